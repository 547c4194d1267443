#pragma once

#include <QString>

#include <functional>

// Exports that write one file per record (Windows contacts, vCard files per contact): they
// write into a folder of their own that is then packed into a zip archive and removed.
namespace FolderExport {

// Whether a typed file name stays inside the documents folder: no "/", no NUL, not "." or
// "..". Names that fail would write elsewhere.
bool isSafeName(const QString &name);

struct Outcome {
    bool folderMade = false; // otherwise the writer did not run
    int answer = -1;         // the writer's answer
    bool packaged = false;   // the archive documents/name.zip was written
};

// Makes an empty hidden folder in the documents folder and runs `write` with its path; when
// the writer answers more than 0, packs the folder into documents/name.zip (entries
// "name/file"). Nothing else of the documents folder is touched (an entry called `name`
// stays); the folder is removed in every case.
Outcome writeZipped(const QString &name, const std::function<int(const QString &folder)> &write);

}
