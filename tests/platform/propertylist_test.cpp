// Property lists from outside: text with NUL bytes inside values and keys, in XML and binary form.

#include "support/TestEnvironment.h"
#include "platform/PropertyList.h"

#include <QtTest>

class PropertyListTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void nulBytesInsideTexts_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray head = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">";
        QTest::newRow("xml value") << head + QByteArrayLiteral("<dict><key>a</key><string>NS\0Array</string></dict></plist>");
        QTest::newRow("xml key") << head + QByteArrayLiteral("<dict><key>a\0b</key><string>x</string></dict></plist>");
        QTest::newRow("xml array") << head + QByteArrayLiteral("<array><string>\0\0\0</string></array></plist>");
    }

    void nulBytesInsideTexts()
    {
        QFETCH(QByteArray, bytes);
        // A value or an Error; before, libplist aborted the whole program here.
        Result<QVariant> root = PropertyList::read(bytes);
        if (root) {
            Result<QVariant> again = PropertyList::read(PropertyList::writeBinary(*root));
            QVERIFY(again);
        }
    }

    void brokenFilesGiveAValueOrAnError()
    {
        const QDir folder(TestEnvironment::dataPath(QStringLiteral("plist-broken")));
        const QStringList names = folder.entryList(QDir::Files);
        QVERIFY(!names.isEmpty());
        for (const QString &name : names) {
            QFile file(folder.filePath(name));
            QVERIFY(file.open(QIODevice::ReadOnly));
            (void)PropertyList::read(file.readAll());
        }
    }

    void textsReadBackWhole()
    {
        Result<QVariant> root = PropertyList::read(PropertyList::writeBinary(QVariantMap{{QStringLiteral("name"), QStringLiteral("Zoë Å")}}));
        QVERIFY(root);
        QCOMPARE(root->toMap().value(QStringLiteral("name")).toString(), QStringLiteral("Zoë Å"));
    }
};

QTEST_GUILESS_MAIN(PropertyListTest)
#include "propertylist_test.moc"
