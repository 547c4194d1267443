#include "Documents.h"

#include <QDir>
#include <QMutex>
#include <QStandardPaths>

namespace {
QMutex g_mutex;
QString g_path;
}

void Documents::setPath(const QString &path)
{
    QMutexLocker lock(&g_mutex);
    g_path = QDir(path).absolutePath();
}

QString Documents::getDocumentsDir()
{
    QMutexLocker lock(&g_mutex);
    if (g_path.isEmpty()) {
        QString fromEnvironment = qEnvironmentVariable("VENNARO_DOCUMENTS");
        g_path = !fromEnvironment.isEmpty()
                     ? QDir(fromEnvironment).absolutePath()
                     : QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) + QStringLiteral("/Vennaro");
    }
    QDir().mkpath(g_path);
    return g_path;
}

QString Documents::filePath(const QString &name)
{
    return getDocumentsDir() + QLatin1Char('/') + name;
}
