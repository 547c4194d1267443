#include "ZipArchive.h"

#include "platform/AsciiText.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <minizip/zip.h>

#include <cstdio>

#include <unistd.h>

namespace {

// Language encoding flag: the entry name is UTF-8.
constexpr uLong kUtf8NameFlag = 0x800;
// Made on Unix by zip 2.0, so that readers take the UTF-8 name as it is (an MS-DOS origin
// makes some of them convert names from an old code page) and give files a normal mode.
constexpr uLong kMadeByUnix = (3u << 8) | 20u;
constexpr uLong kRegularFileMode = 0100644u << 16;

zip_fileinfo entryInfo(const QString &file)
{
    zip_fileinfo info{};
    info.external_fa = kRegularFileMode;
    const QDateTime modified = QFileInfo(file).lastModified();
    if (modified.isValid()) {
        const QDateTime local = modified.toLocalTime();
        info.tmz_date.tm_sec = uInt(local.time().second());
        info.tmz_date.tm_min = uInt(local.time().minute());
        info.tmz_date.tm_hour = uInt(local.time().hour());
        info.tmz_date.tm_mday = uInt(local.date().day());
        info.tmz_date.tm_mon = uInt(local.date().month() - 1);
        info.tmz_date.tm_year = uInt(local.date().year());
    }
    return info;
}

// The zip64 end records an archive of more than 65,535 entries needs: minizip 1.1 writes
// 0xFFFF as the entry count of the end record, meaning "see the zip64 record", but writes that
// record only for an archive past 4 GB, so readers that follow the format (Info-ZIP's unzip)
// refuse the archive. Added before the end record when it is missing. False when the file
// cannot be read or written, or does not end with an end record of its own kind.
bool addZip64EndRecords(const QString &path, quint64 entries)
{
    constexpr qint64 kEndRecordSize = 22;
    constexpr qint64 kLocatorSize = 20;
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite) || file.size() < kEndRecordSize)
        return false;
    const qint64 endAt = file.size() - kEndRecordSize;
    auto littleEndian = [](const QByteArray &bytes, int at, int size) {
        quint64 value = 0;
        for (int i = size - 1; i >= 0; --i)
            value = (value << 8) | quint8(bytes[at + i]);
        return value;
    };
    if (!file.seek(endAt))
        return false;
    const QByteArray end = file.read(kEndRecordSize);
    if (end.size() != kEndRecordSize || littleEndian(end, 0, 4) != 0x06054b50)
        return false;
    if (endAt >= kLocatorSize && file.seek(endAt - kLocatorSize) && littleEndian(file.read(4), 0, 4) == 0x07064b50)
        return true; // written already (an archive past 4 GB)
    QByteArray records;
    auto put = [&records](quint64 value, int size) {
        for (int i = 0; i < size; ++i, value >>= 8)
            records.append(char(value & 0xff));
    };
    const quint64 directorySize = littleEndian(end, 12, 4);
    const quint64 directoryAt = littleEndian(end, 16, 4);
    put(0x06064b50, 4);          // zip64 end of central directory record
    put(44, 8);                  // its size after this field
    put((3u << 8) | 45u, 2);     // made by: Unix, zip 4.5
    put(45, 2);                  // needed: zip 4.5
    put(0, 4);                   // this disk
    put(0, 4);                   // the disk of the central directory
    put(entries, 8);             // entries on this disk
    put(entries, 8);             // entries
    put(directorySize, 8);
    put(directoryAt, 8);
    put(0x07064b50, 4);          // zip64 end of central directory locator
    put(0, 4);                   // the disk of the zip64 record
    put(quint64(endAt), 8);      // where it starts
    put(1, 4);                   // disks
    return file.seek(endAt) && file.write(records + end) == records.size() + end.size() && file.flush();
}

// Puts the finished archive on the disk before it replaces the older one.
bool syncToDisk(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadWrite) && ::fsync(file.handle()) == 0;
}

} // namespace

ZipArchive::~ZipArchive()
{
    discard();
}

bool ZipArchive::CreateZipFile2(const QString &path)
{
    discard();
    QTemporaryFile partial(path + QStringLiteral(".XXXXXX"));
    partial.setAutoRemove(false);
    if (!partial.open())
        return false;
    // The archive is for sharing: readable by others like any file the user saves.
    partial.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    m_partialPath = partial.fileName();
    partial.close();
    m_zip = zipOpen64(QFile::encodeName(m_partialPath).constData(), APPEND_STATUS_CREATE);
    if (!m_zip) {
        QFile::remove(m_partialPath);
        m_partialPath.clear();
        return false;
    }
    m_path = path;
    return true;
}

void ZipArchive::discard()
{
    if (!m_zip)
        return;
    zipClose(m_zip, nullptr);
    m_zip = nullptr;
    m_entries = 0;
    QFile::remove(m_partialPath);
    m_partialPath.clear();
}

bool ZipArchive::addFileToZip(const QString &file, const QString &newname)
{
    if (!m_zip)
        return false;
    QFile input(file);
    if (!input.open(QIODevice::ReadOnly))
        return false;
    const zip_fileinfo info = entryInfo(file);
    const QByteArray name = newname.toUtf8();
    const bool ascii = AsciiText::isAscii(name);
    const int large = input.size() >= qint64(0xffffffffLL) ? 1 : 0;
    if (zipOpenNewFileInZip4_64(m_zip, name.constData(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                                Z_DEFAULT_COMPRESSION, 0, -MAX_WBITS, DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY, nullptr, 0, kMadeByUnix,
                                ascii ? 0 : kUtf8NameFlag, large) != ZIP_OK)
        return false;
    bool ok = true;
    while (ok && !input.atEnd()) {
        const QByteArray chunk = input.read(1 << 20);
        if (chunk.isEmpty() && input.error() != QFileDevice::NoError)
            ok = false;
        else if (!chunk.isEmpty())
            ok = zipWriteInFileInZip(m_zip, chunk.constData(), unsigned(chunk.size())) == ZIP_OK;
    }
    // A closed entry is in the central directory, whole or not.
    const bool closedEntry = zipCloseFileInZip(m_zip) == ZIP_OK;
    m_entries += closedEntry ? 1 : 0;
    return closedEntry && ok;
}

bool ZipArchive::CloseZipFile2()
{
    if (!m_zip)
        return false;
    constexpr quint64 kMostEntriesWithoutZip64 = 0xfffe;
    const bool closed = zipClose(m_zip, nullptr) == ZIP_OK
                        && (m_entries <= kMostEntriesWithoutZip64 || addZip64EndRecords(m_partialPath, m_entries));
    m_zip = nullptr;
    m_entries = 0;
    const bool placed = closed && syncToDisk(m_partialPath)
                        && std::rename(QFile::encodeName(m_partialPath).constData(), QFile::encodeName(m_path).constData()) == 0;
    if (!placed)
        QFile::remove(m_partialPath);
    m_partialPath.clear();
    return placed;
}
