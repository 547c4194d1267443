// The folder of broken vCard files (tests/data/vcard-broken), the same inputs the fuzz target
// starts from: files named "refused-…" must be refused as a whole and add nobody; every other
// one imports what it can, in both character sets, without harm to the address book.

#include "support/TestEnvironment.h"

#include "formats/vcard/VCARDimport.h"
#include "shell/AppData.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

class VCardBrokenTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void brokenFilesFailCleanly_data()
    {
        QTest::addColumn<QString>("path");
        const QDir folder(TestEnvironment::dataPath(QStringLiteral("vcard-broken")));
        const QStringList names = folder.entryList({QStringLiteral("*.vcf")}, QDir::Files, QDir::Name);
        QVERIFY(names.size() >= 10);
        for (const QString &name : names)
            QTest::newRow(qPrintable(name)) << folder.filePath(name);
    }

    void brokenFilesFailCleanly()
    {
        QFETCH(QString, path);
        const bool refused = QFileInfo(path).fileName().startsWith(QLatin1String("refused-"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const qsizetype cards = file.readAll().toUpper().count("BEGIN:VCARD");
        for (int charSet : {0, 1}) {
            TestEnvironment env;
            const int answer = VCARDimport::importFile(path, FieldFilter::Default | FieldFilter::Marker, charSet, nullptr);
            ABAddressBookRef book = env.open();
            QVERIFY(book);
            if (refused && !(charSet == 1 && path.endsWith(QLatin1String("invalid-utf8.vcf")))) {
                QVERIFY2(answer < 0, qPrintable(QString::number(answer)));
                QCOMPARE(book->personCount(), 0);
            } else {
                QVERIFY2(answer >= 0, qPrintable(QString::number(answer)));
                QVERIFY(answer <= cards);
                QCOMPARE(book->personCount(), answer);
            }
        }
    }
};

QTEST_GUILESS_MAIN(VCardBrokenTest)
#include "vcard_broken_test.moc"
