#pragma once

#include <QString>

// A zip archive being written (minizip): entries deflated at the default level, each with the
// modification time of its file. The archive is written under a temporary name beside its
// path and takes the path only when CloseZipFile2 succeeds, so a failed or abandoned archive
// never replaces an older file. Releasing the object without closing discards the archive.
class ZipArchive {
public:
    ZipArchive() = default;
    ~ZipArchive();
    ZipArchive(const ZipArchive &) = delete;
    ZipArchive &operator=(const ZipArchive &) = delete;

    // Starts a new archive that will replace any file at `path`.
    bool CreateZipFile2(const QString &path);
    // Adds the file at `file` as the entry `newname` ("folder/file").
    bool addFileToZip(const QString &file, const QString &newname);
    // Writes the central directory, closes the archive and puts it at its path. False (and
    // the older file kept) when any of that fails.
    bool CloseZipFile2();
    // Drops the archive being written; the older file stays.
    void discard();

private:
    void *m_zip = nullptr;
    quint64 m_entries = 0;
    QString m_path;
    QString m_partialPath;
};
