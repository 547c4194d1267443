#include "FuzzScratch.h"

#include "addressbook/ABAddressBook.h"
#include "platform/DevLog.h"

#include <QFile>
#include <QTemporaryDir>

namespace {
QTemporaryDir &scratch()
{
    static QTemporaryDir folder;
    static const bool ready = [] {
        DevLog::setConsoleEnabled(false);
        ABAddressBook::setDefaultPath(folder.filePath(QStringLiteral("fuzz.db")));
        return true;
    }();
    (void)ready;
    return folder;
}
}

QString FuzzScratch::writeInput(const QString &name, const uint8_t *data, size_t size)
{
    const QString path = scratch().filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return QString();
    if (file.write(reinterpret_cast<const char *>(data), qint64(size)) != qint64(size))
        return QString();
    return path;
}

void FuzzScratch::resetAddressBook()
{
    QFile::remove(scratch().filePath(QStringLiteral("fuzz.db")));
}
