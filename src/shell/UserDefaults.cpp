#include "UserDefaults.h"

#include "platform/PropertyList.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSaveFile>
#include <QStandardPaths>

UserDefaults &UserDefaults::standardUserDefaults()
{
    static UserDefaults defaults;
    return defaults;
}

UserDefaults::UserDefaults()
{
    const QString folder = qEnvironmentVariableIsSet("VENNARO_CONFIG")
                               ? qEnvironmentVariable("VENNARO_CONFIG")
                               : QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/vennaro");
    m_path = folder + QStringLiteral("/defaults.plist");
    load();
}

void UserDefaults::load()
{
    m_values.clear();
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    Result<QVariant> root = PropertyList::read(file.readAll());
    if (root && root->metaType().id() == QMetaType::QVariantMap)
        m_values = root->toMap();
}

QString UserDefaults::path() const
{
    return m_path;
}

void UserDefaults::setPath(const QString &path)
{
    m_path = path;
    load();
}

QVariant UserDefaults::objectForKey(const QString &key) const
{
    return m_values.value(key);
}

QStringList UserDefaults::stringArrayForKey(const QString &key) const
{
    return m_values.value(key).toStringList();
}

QString UserDefaults::stringForKey(const QString &key, const QString &fallback) const
{
    const QString value = m_values.value(key).toString().trimmed();
    return value.isEmpty() ? fallback : value;
}

void UserDefaults::setObject(const QVariant &value, const QString &key)
{
    m_values.insert(key, value);
}

void UserDefaults::removeObjectForKey(const QString &key)
{
    m_values.remove(key);
}

bool UserDefaults::synchronize()
{
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = PropertyList::writeXml(m_values);
    // QSaveFile takes a short write (a full disk) for success; unchecked, a cut file replaced
    // the settings. Without commit() the temporary file is dropped and the old one stays.
    return file.write(bytes) == bytes.size() && file.commit();
}

QString UserDefaults::preferredLanguage() const
{
    const QStringList languages = stringArrayForKey(QStringLiteral("AppleLanguages"));
    const QString first = languages.isEmpty() ? QLocale::system().name() : languages.first();
    return first.startsWith(QLatin1String("pt")) ? QStringLiteral("pt") : QStringLiteral("en");
}
