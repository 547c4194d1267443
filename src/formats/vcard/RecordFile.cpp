#include "RecordFile.h"

#include <QFile>

bool RecordFile::fits(const QString &path)
{
    return QFile::encodeName(path).size() <= kMaxPathBytes;
}

QString RecordFile::freePath(const QString &folder, const QString &name, const QString &extension)
{
    if (name.isEmpty())
        return QString();
    QString safeName = name;
    safeName.replace(QLatin1Char('/'), QLatin1Char('-'));
    safeName.replace(QChar(0), QLatin1Char('-'));
    QString stem = folder + QLatin1Char('/') + safeName;
    QString path = stem + extension;
    while (fits(path) && QFile::exists(path)) {
        stem += QLatin1Char('_');
        path = stem + extension;
    }
    return fits(path) ? path : QString();
}
