#include "TestEnvironment.h"
#include "platform/DevLog.h"
#include "platform/PropertyList.h"
#include "shell/AppData.h"

#include <QFile>
#include <QTest>

namespace {
QVariantMap readSettingsFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    Result<QVariant> root = PropertyList::read(file.readAll());
    return root ? root->toMap() : QVariantMap();
}
}

class AppDataTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void freshInstallWritesEveryIntegerKey()
    {
        TestEnvironment env;
        AppData &settings = AppData::sharedInstance();
        settings.setLogEnabled(1);
        QVERIFY(settings.saveSettings());
        const QVariantMap stored = readSettingsFile(settings.settingsPath());
        const QVariantMap expected{
            {QStringLiteral("ExportFlags"), 65534}, {QStringLiteral("ImportFlags"), 65534},
            {QStringLiteral("ConfirmImport"), 1},   {QStringLiteral("BTblockSize"), 30},
            {QStringLiteral("CharSet"), 0},         {QStringLiteral("ReuseFilename"), 1},
            {QStringLiteral("EnableDropbox"), 1},   {QStringLiteral("EnableMobileme"), 1},
            {QStringLiteral("EnableGoogleDocs"), 0}, {QStringLiteral("EnableGmail"), 1},
            {QStringLiteral("EnableSources"), 0},   {QStringLiteral("Marker"), 0},
            {QStringLiteral("AnnounceOnNetwork"), 0},
            {QStringLiteral("PeerPort"), 8090},
        };
        QCOMPARE(stored.keys(), expected.keys());
        for (auto it = expected.begin(); it != expected.end(); ++it)
            QCOMPARE(stored.value(it.key()).toInt(), it.value().toInt());

        QFile file(settings.settingsPath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY2(file.readAll().startsWith("<?xml"), "the settings file is an XML property list");
    }

    void loadKeepsWhatTheFileLacksAndDropsUnknownKeys()
    {
        TestEnvironment env;
        AppData &settings = AppData::sharedInstance();
        QFile file(settings.settingsPath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(PropertyList::writeXml(QVariantMap{{QStringLiteral("CharSet"), 1},
                                                      {QStringLiteral("LastFilename"), QStringLiteral("mine")},
                                                      {QStringLiteral("SomethingElse"), 5}}));
        file.close();
        settings.setLogEnabled(1);
        settings.loadSettings();
        QCOMPARE(settings.charSet(), 1);
        QCOMPARE(settings.fileName(), QStringLiteral("mine"));
        QCOMPARE(settings.confirmImport(), 1);
        QVERIFY(settings.saveSettings());
        const QVariantMap stored = readSettingsFile(settings.settingsPath());
        QVERIFY(!stored.contains(QStringLiteral("SomethingElse")));
        QCOMPARE(stored.value(QStringLiteral("LastFilename")).toString(), QStringLiteral("mine"));
        QVERIFY(!stored.contains(QStringLiteral("EmailGoogle")));
        QVERIFY2(!stored.contains(QStringLiteral("logEnabled")), "the export log is never stored");

        // A later start loads with the export log off.
        settings.resetToDefaults();
        settings.loadSettings();
        QCOMPARE(settings.logEnabled(), 0);
    }

    void unreadableFileKeepsValuesAndLogs()
    {
        TestEnvironment env;
        QStringList lines;
        DevLog::setSink([&](const QString &line) { lines.append(line); });
        AppData &settings = AppData::sharedInstance();
        settings.setCharSet(1);
        settings.loadSettings();
        QFile file(settings.settingsPath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("<plist><dict><key>CharSet</key>"); // broken
        file.close();
        settings.loadSettings();
        DevLog::setSink({});
        QCOMPARE(settings.charSet(), 1);
        QCOMPARE(lines.count(QStringLiteral("FILE NOT FOUND %1").arg(settings.settingsPath())), 2);
    }

    void importMaskCarriesTheMarker()
    {
        TestEnvironment env;
        AppData &settings = AppData::sharedInstance();
        QCOMPARE(settings.importMask(), 0xfffeu);
        settings.setAddMarker(1);
        QCOMPARE(settings.importMask(), 0xffffu);
        settings.setFlagsExp(settings.flagsExp() & ~FieldFilter::Groups);
        QCOMPARE(settings.flagsExp(), 0xff7eu);
        QCOMPARE(settings.flagsImp(), 0xfffeu);
    }

    void settingsByKey()
    {
        TestEnvironment env;
        AppData &settings = AppData::sharedInstance();
        QVERIFY(settings.setByKey(QStringLiteral("ExportFlags"), QStringLiteral("0x7e")));
        QCOMPARE(settings.flagsExp(), 0x7eu);
        QVERIFY(!settings.setByKey(QStringLiteral("CharSet"), QStringLiteral("latin")));
        QVERIFY(!settings.setByKey(QStringLiteral("Nope"), QStringLiteral("1")));
        QVERIFY(settings.setByKey(QStringLiteral("EmailGoogle"), QStringLiteral("a@b")));
        QCOMPARE(settings.valueByKey(QStringLiteral("EmailGoogle")), QStringLiteral("a@b"));
    }
};

QTEST_GUILESS_MAIN(AppDataTest)
#include "appdata_test.moc"
