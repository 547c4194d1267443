#pragma once

#include <QRecursiveMutex>
#include <QString>
#include <QStringList>

#include <cstdint>

// Field filter bits: bit n has the value 1 << n. Bit 0 carries the marker in import masks.
namespace FieldFilter {
inline constexpr uint32_t Marker = 1u << 0;
inline constexpr uint32_t Photo = 1u << 1;
inline constexpr uint32_t Phone = 1u << 2;
inline constexpr uint32_t Address = 1u << 3;
inline constexpr uint32_t Email = 1u << 4;
inline constexpr uint32_t URL = 1u << 5;
inline constexpr uint32_t Note = 1u << 6;
inline constexpr uint32_t Groups = 1u << 7;
inline constexpr uint32_t Dates = 1u << 8;
inline constexpr uint32_t IM = 1u << 9;
inline constexpr uint32_t Phonetic = 1u << 10;
inline constexpr uint32_t PrefixSuffix = 1u << 11;
inline constexpr uint32_t Default = 0xfffe;
}

// The user's settings, shared by the whole program and stored in settings.plist in the
// documents folder. Loaded once at start; written by saveSettings() only.
class AppData {
public:
    static AppData &sharedInstance();

    // Reads settings.plist; when it cannot be read, logs "FILE NOT FOUND %@" and keeps the
    // current values. Unknown keys are ignored; missing keys leave their setting unchanged.
    void loadSettings();
    // Writes every stored setting atomically (logEnabled is never stored). Answers false when
    // the file could not be written (callers may ignore it).
    bool saveSettings();
    QString settingsPath() const;
    // Back to the values of a fresh install (tests; another documents folder).
    void resetToDefaults();

    // The import mask handed to importers: flagsImp | addMarker.
    uint32_t importMask() const;

#define VENNARO_SETTING(type, getter, setter, member)                                   \
    type getter() const { QMutexLocker lock(&m_mutex); return member; }                 \
    void setter(type value) { QMutexLocker lock(&m_mutex); member = value; }
    VENNARO_SETTING(int, addMarker, setAddMarker, m_addMarker)
    VENNARO_SETTING(uint32_t, flagsExp, setFlagsExp, m_flagsExp)
    VENNARO_SETTING(uint32_t, flagsImp, setFlagsImp, m_flagsImp)
    VENNARO_SETTING(int, confirmImport, setConfirmImport, m_confirmImport)
    VENNARO_SETTING(int, btBlockSize, setBtBlockSize, m_btBlockSize)
    // The TCP port the receiving peer screen listens on.
    VENNARO_SETTING(int, peerPort, setPeerPort, m_peerPort)
    VENNARO_SETTING(int, logEnabled, setLogEnabled, m_logEnabled)
    VENNARO_SETTING(int, charSet, setCharSet, m_charSet)
    VENNARO_SETTING(int, saveFilename, setSaveFilename, m_saveFilename)
    VENNARO_SETTING(int, enableDropbox, setEnableDropbox, m_enableDropbox)
    VENNARO_SETTING(int, enableMobileme, setEnableMobileme, m_enableMobileme)
    VENNARO_SETTING(int, enableGoogleDocs, setEnableGoogleDocs, m_enableGoogleDocs)
    VENNARO_SETTING(int, enableGmail, setEnableGmail, m_enableGmail)
    VENNARO_SETTING(int, sourcesEnabled, setSourcesEnabled, m_sourcesEnabled)
    // Whether a running web server announces itself on the local network (UPnP, DNS-SD).
    VENNARO_SETTING(int, announceOnNetwork, setAnnounceOnNetwork, m_announceOnNetwork)
    VENNARO_SETTING(QString, fileName, setFileName, m_fileName)
    VENNARO_SETTING(QString, emailDropbox, setEmailDropbox, m_emailDropbox)
    VENNARO_SETTING(QString, emailMobileme, setEmailMobileme, m_emailMobileme)
    VENNARO_SETTING(QString, emailGoogle, setEmailGoogle, m_emailGoogle)
    // The chart web service that renders QR images; empty: they are made on this machine.
    VENNARO_SETTING(QString, qrChartURL, setQrChartURL, m_qrChartURL)
    // The contacts server of the last successful sign-in, which pre-fills the sign-in screen.
    VENNARO_SETTING(QString, contactsServer, setContactsServer, m_contactsServer)
#undef VENNARO_SETTING

    // Settings by their file key ("Marker", "ExportFlags", "LastFilename" …), for the command
    // line. setByKey answers false for an unknown key or a value that is not a number where
    // one is needed.
    static QStringList keys();
    QString valueByKey(const QString &key) const;
    bool setByKey(const QString &key, const QString &value);

private:
    AppData() = default;
    int *integerSetting(const QString &key);
    QString *textSetting(const QString &key);

    mutable QRecursiveMutex m_mutex;
    int m_addMarker = 0;
    int m_flagsExp = int(FieldFilter::Default);
    int m_flagsImp = int(FieldFilter::Default);
    int m_confirmImport = 1;
    int m_btBlockSize = 30;
    int m_peerPort = 8090;
    int m_logEnabled = 0;
    int m_charSet = 0;
    int m_saveFilename = 1;
    int m_enableDropbox = 1;
    int m_enableMobileme = 1;
    int m_enableGoogleDocs = 0;
    int m_enableGmail = 1;
    int m_sourcesEnabled = 0;
    int m_announceOnNetwork = 0;
    QString m_fileName;
    QString m_emailDropbox;
    QString m_emailMobileme;
    QString m_emailGoogle;
    QString m_qrChartURL;
    QString m_contactsServer;
};
