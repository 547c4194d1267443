#include "DeviceFacts.h"

#include <QCryptographicHash>
#include <QFile>
#include <QSysInfo>
#include <QVersionNumber>

namespace {
QString firstLineOf(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readLine()).trimmed();
}
}

QString DeviceFacts::model()
{
    QString product = firstLineOf(QStringLiteral("/sys/class/dmi/id/product_name"));
    return product.isEmpty() ? QStringLiteral("PC") : product;
}

QString DeviceFacts::systemName()
{
    return QStringLiteral("Linux");
}

QString DeviceFacts::systemVersion()
{
    return QStringLiteral("6.1");
}

QString DeviceFacts::deviceName()
{
    return QSysInfo::machineHostName();
}

QString DeviceFacts::uniqueIdentifier()
{
    QString machineID = firstLineOf(QStringLiteral("/etc/machine-id"));
    if (machineID.isEmpty())
        machineID = QString::fromLatin1(QSysInfo::machineUniqueId());
    // Hashed with the program's name so that the raw machine id never leaves the machine.
    QByteArray digest = QCryptographicHash::hash((QStringLiteral("Vennaro:") + machineID).toUtf8(), QCryptographicHash::Sha1);
    return QString::fromLatin1(digest.toHex()).toUpper();
}

QString DeviceFacts::applicationName()
{
    return QStringLiteral("Vennaro");
}

QString DeviceFacts::applicationVersion()
{
    return QStringLiteral(VENNARO_VERSION);
}

QString DeviceFacts::buildDate()
{
    return QStringLiteral(__DATE__);
}

bool DeviceFacts::systemVersionAtLeast(const QString &version)
{
    return QVersionNumber::fromString(systemVersion()) >= QVersionNumber::fromString(version);
}
