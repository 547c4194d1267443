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
    return zipCloseFileInZip(m_zip) == ZIP_OK && ok;
}

bool ZipArchive::CloseZipFile2()
{
    if (!m_zip)
        return false;
    const bool closed = zipClose(m_zip, nullptr) == ZIP_OK;
    m_zip = nullptr;
    const bool placed = closed && syncToDisk(m_partialPath)
                        && std::rename(QFile::encodeName(m_partialPath).constData(), QFile::encodeName(m_path).constData()) == 0;
    if (!placed)
        QFile::remove(m_partialPath);
    m_partialPath.clear();
    return placed;
}
