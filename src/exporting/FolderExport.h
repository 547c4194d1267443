#pragma once

#include <QString>

#include <functional>

// Exports that write one file per record (Windows contacts, vCard files per contact): they
// write into a folder of the documents folder that is then packed into a zip archive of the
// same name and removed.
namespace FolderExport {

// Whether a typed file name stays inside the documents folder: no "/", no NUL, not "." or
// "..". Names that fail would write elsewhere, and the folder exports would remove the
// documents folder or its parent before writing.
bool isSafeName(const QString &name);

struct Outcome {
    bool folderMade = false; // otherwise the writer did not run
    int answer = -1;         // the writer's answer
    bool packaged = false;   // the archive documents/name.zip was written
};

// Removes whatever is at documents/name, makes an empty folder there and runs `write` with its
// path; when the writer answers 0 or more, packs the folder into documents/name.zip (entries
// "name/file"). The folder is removed in every case.
Outcome writeZipped(const QString &name, const std::function<int(const QString &folder)> &write);

}
