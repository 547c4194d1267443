#include "AppData.h"

#include "Documents.h"
#include "platform/DevLog.h"
#include "platform/PropertyList.h"

#include <QFile>
#include <QSaveFile>
#include <QVariantMap>

namespace {
const char *const kIntegerKeys[] = {"Marker", "ExportFlags", "ImportFlags", "ConfirmImport", "BTblockSize", "PeerPort",
                                    "CharSet", "ReuseFilename", "EnableDropbox", "EnableMobileme",
                                    "EnableGoogleDocs", "EnableGmail", "EnableSources", "AnnounceOnNetwork"};
const char *const kTextKeys[] = {"LastFilename", "EmailDropbox", "EmailMobileme", "EmailGoogle", "QRChartURL",
                                 "ContactsServer"};
}

AppData &AppData::sharedInstance()
{
    static QRecursiveMutex creation;
    QMutexLocker lock(&creation);
    static AppData *instance = new AppData;
    return *instance;
}

QString AppData::settingsPath() const
{
    return Documents::filePath(QStringLiteral("settings.plist"));
}

int *AppData::integerSetting(const QString &key)
{
    static const QHash<QString, int AppData::*> members{
        {QStringLiteral("Marker"), &AppData::m_addMarker},
        {QStringLiteral("ExportFlags"), &AppData::m_flagsExp},
        {QStringLiteral("ImportFlags"), &AppData::m_flagsImp},
        {QStringLiteral("ConfirmImport"), &AppData::m_confirmImport},
        {QStringLiteral("BTblockSize"), &AppData::m_btBlockSize},
        {QStringLiteral("PeerPort"), &AppData::m_peerPort},
        {QStringLiteral("CharSet"), &AppData::m_charSet},
        {QStringLiteral("ReuseFilename"), &AppData::m_saveFilename},
        {QStringLiteral("EnableDropbox"), &AppData::m_enableDropbox},
        {QStringLiteral("EnableMobileme"), &AppData::m_enableMobileme},
        {QStringLiteral("EnableGoogleDocs"), &AppData::m_enableGoogleDocs},
        {QStringLiteral("EnableGmail"), &AppData::m_enableGmail},
        {QStringLiteral("EnableSources"), &AppData::m_sourcesEnabled},
        {QStringLiteral("AnnounceOnNetwork"), &AppData::m_announceOnNetwork},
    };
    auto it = members.find(key);
    return it == members.end() ? nullptr : &(this->*(*it));
}

QString *AppData::textSetting(const QString &key)
{
    static const QHash<QString, QString AppData::*> members{
        {QStringLiteral("LastFilename"), &AppData::m_fileName},
        {QStringLiteral("EmailDropbox"), &AppData::m_emailDropbox},
        {QStringLiteral("EmailMobileme"), &AppData::m_emailMobileme},
        {QStringLiteral("EmailGoogle"), &AppData::m_emailGoogle},
        {QStringLiteral("QRChartURL"), &AppData::m_qrChartURL},
        {QStringLiteral("ContactsServer"), &AppData::m_contactsServer},
    };
    auto it = members.find(key);
    return it == members.end() ? nullptr : &(this->*(*it));
}

void AppData::loadSettings()
{
    const QString path = settingsPath();
    QFile file(path);
    Result<QVariant> root = file.open(QIODevice::ReadOnly) ? PropertyList::read(file.readAll())
                                                           : Result<QVariant>(Error{file.errorString()});
    if (!root || root->metaType().id() != QMetaType::QVariantMap) {
        DevLog::log(QStringLiteral("FILE NOT FOUND %1").arg(path));
        return;
    }
    QMutexLocker lock(&m_mutex);
    const QVariantMap entries = root->toMap();
    for (auto it = entries.begin(); it != entries.end(); ++it) {
        if (int *setting = integerSetting(it.key())) {
            bool ok = false;
            qint64 value = it.value().toLongLong(&ok);
            if (ok)
                *setting = int(value);
        } else if (QString *text = textSetting(it.key())) {
            *text = it.value().toString();
        }
    }
}

bool AppData::saveSettings()
{
    QVariantMap entries;
    {
        QMutexLocker lock(&m_mutex);
        for (const char *key : kIntegerKeys)
            entries.insert(QString::fromLatin1(key), qint64(*integerSetting(QString::fromLatin1(key))));
        for (const char *key : kTextKeys) {
            const QString *text = textSetting(QString::fromLatin1(key));
            if (!text->isNull())
                entries.insert(QString::fromLatin1(key), *text);
        }
    }
    QSaveFile file(settingsPath());
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = PropertyList::writeXml(entries);
    // QSaveFile takes a short write (a full disk) for success; unchecked, a cut file replaced
    // the settings. Without commit() the temporary file is dropped and the old one stays.
    return file.write(bytes) == bytes.size() && file.commit();
}

void AppData::resetToDefaults()
{
    QMutexLocker lock(&m_mutex);
    AppData fresh;
    for (const QString &key : keys()) {
        if (int *setting = integerSetting(key))
            *setting = *fresh.integerSetting(key);
        else
            *textSetting(key) = *fresh.textSetting(key);
    }
    m_logEnabled = 0;
}

uint32_t AppData::importMask() const
{
    QMutexLocker lock(&m_mutex);
    return uint32_t(m_flagsImp) | (m_addMarker ? FieldFilter::Marker : 0u);
}

QStringList AppData::keys()
{
    QStringList all;
    for (const char *key : kIntegerKeys)
        all.append(QString::fromLatin1(key));
    for (const char *key : kTextKeys)
        all.append(QString::fromLatin1(key));
    return all;
}

QString AppData::valueByKey(const QString &key) const
{
    QMutexLocker lock(&m_mutex);
    auto *self = const_cast<AppData *>(this);
    if (const int *setting = self->integerSetting(key))
        return QString::number(*setting);
    if (const QString *text = self->textSetting(key))
        return *text;
    return QString();
}

bool AppData::setByKey(const QString &key, const QString &value)
{
    QMutexLocker lock(&m_mutex);
    if (int *setting = integerSetting(key)) {
        bool ok = false;
        qint64 number = value.startsWith(QLatin1String("0x"), Qt::CaseInsensitive) ? value.mid(2).toLongLong(&ok, 16)
                                                                                   : value.toLongLong(&ok);
        if (ok)
            *setting = int(number);
        return ok;
    }
    if (QString *text = textSetting(key)) {
        *text = value;
        return true;
    }
    return false;
}
