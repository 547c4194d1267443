#pragma once

#include <QString>
#include <QVariant>
#include <QVariantMap>

// The user's defaults that outlive the documents folder (the language choice): a small XML
// property list in the user's configuration folder, $XDG_CONFIG_HOME/vennaro/defaults.plist,
// or $VENNARO_CONFIG/defaults.plist when that is set.
class UserDefaults {
public:
    static UserDefaults &standardUserDefaults();

    QVariant objectForKey(const QString &key) const;
    QStringList stringArrayForKey(const QString &key) const;
    // The key's text without surrounding white space, or `fallback` when that is empty.
    QString stringForKey(const QString &key, const QString &fallback) const;
    void setObject(const QVariant &value, const QString &key);
    void removeObjectForKey(const QString &key);
    // Writes the defaults out; false when the file could not be written.
    bool synchronize();

    QString path() const;
    // Another file (tests); the values are read from it at once.
    void setPath(const QString &path);

    // "en" or "pt" from the first entry of AppleLanguages, else from the system's locale.
    QString preferredLanguage() const;

private:
    UserDefaults();
    void load();

    QString m_path;
    QVariantMap m_values;
};
