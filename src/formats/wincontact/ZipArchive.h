#pragma once

#include <QString>

// A zip archive being written (minizip): entries deflated at the default level, each with the
// modification time of its file. Releasing the object closes an open archive.
class ZipArchive {
public:
    ZipArchive() = default;
    ~ZipArchive();
    ZipArchive(const ZipArchive &) = delete;
    ZipArchive &operator=(const ZipArchive &) = delete;

    // Opens a new archive at `path`, replacing any file of that name.
    bool CreateZipFile2(const QString &path);
    // Adds the file at `file` as the entry `newname` ("folder/file").
    bool addFileToZip(const QString &file, const QString &newname);
    // Writes the central directory and closes the archive.
    bool CloseZipFile2();

private:
    void *m_zip = nullptr;
};
