// The cap on one line that bounds the memory of the vCard, LDIF and CSV readers: a line up to
// the cap is read, a longer one, physical or folded, refuses the whole file and adds nobody.
// The cap is lowered here; the hostile-input benchmark reads a 2 GB line under the real one.

#include "support/TestEnvironment.h"
#include "formats/common/FileLines.h"
#include "formats/common/ImportOutcome.h"
#include "formats/csv/CSVimport.h"
#include "formats/ldif/LdifReader.h"
#include "formats/vcard/VCARDimport.h"
#include "shell/AppData.h"

#include <QFile>
#include <QTest>

namespace {

constexpr qsizetype kCap = 4096;

// Imports a file by its ending, as the file list does: the persons added or the failure.
int importFile(const QString &path)
{
    if (path.endsWith(QLatin1String(".vcf")))
        return VCARDimport::importFile(path, FieldFilter::Default, 0, nullptr);
    if (path.endsWith(QLatin1String(".ldif")))
        return ldif_import(path, FieldFilter::Default, 0, nullptr);
    Result<std::shared_ptr<CSVimport>> csv = CSVimport::fromFile(path, 0);
    if (!csv)
        return csv.error() == ImportOutcome::message(ImportOutcome::kFailed) ? ImportOutcome::kFailed : -100;
    return (*csv)->importWithTagert(nullptr, FieldFilter::Default);
}

// `prefix` followed by filler up to `length` bytes.
QByteArray line(const QByteArray &prefix, qsizetype length)
{
    return prefix + QByteArray(length - prefix.size(), 'x');
}

// A value of `pieces` folded lines of `length` bytes each, every one after the first starting
// with the blank that continues a line.
QByteArray folded(const QByteArray &prefix, int pieces, qsizetype length)
{
    QByteArray text = line(prefix, length);
    for (int i = 1; i < pieces; ++i)
        text += "\n " + QByteArray(length - 1, 'y');
    return text;
}

} // namespace

class LineCapTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { FileLines::setMaxLineBytes(kCap); }
    void cleanup() { FileLines::setMaxLineBytes(FileLines::kDefaultMaxLineBytes); }

    void lineUpToTheCapIsReadALongerOneRefusesTheFile_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("added");

        const QByteArray photo = QByteArray(kCap / 2, '\x5a').toBase64(); // under the cap once written
        QTest::newRow("vCard photo line") << "a.vcf" << "BEGIN:VCARD\nN:Photo;;;;\nPHOTO;ENCODING=b:" + photo + "\nEND:VCARD\n" << 1;
        QTest::newRow("vCard line at the cap") << "a.vcf" << "BEGIN:VCARD\nN:A;;;;\n" + line("NOTE:", kCap) + "\r\nEND:VCARD\n" << 1;
        QTest::newRow("vCard line past the cap")
            << "a.vcf" << "BEGIN:VCARD\nN:A;;;;\nEND:VCARD\nBEGIN:VCARD\nN:B;;;;\n" + line("NOTE:", kCap + 1) + "\nEND:VCARD\n" << -1;
        QTest::newRow("vCard folded line past the cap")
            << "a.vcf" << "BEGIN:VCARD\nN:A;;;;\n" + folded("NOTE:", 3, kCap / 2) + "\nEND:VCARD\n" << -1;
        QTest::newRow("LDIF photo line") << "a.ldif" << "dn: cn=A\nsn: A\njpegPhoto:: " + photo + "\n\n" << 1;
        QTest::newRow("LDIF line past the cap")
            << "a.ldif" << "dn: cn=A\nsn: A\n\ndn: cn=B\n" + line("sn: ", kCap + 1) + "\n\n" << -1;
        QTest::newRow("LDIF continued line past the cap") << "a.ldif" << "dn: cn=A\n" + folded("sn: ", 3, kCap / 2) + "\n\n" << -1;
        QTest::newRow("CSV row at the cap") << "a.csv" << "Note\n" + line("", kCap) + "\n" << 1;
        QTest::newRow("CSV row past the cap") << "a.csv" << "Note\nfirst\n" + line("", kCap + 1) << -1;
    }

    void lineUpToTheCapIsReadALongerOneRefusesTheFile()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(int, added);
        TestEnvironment env;
        QFile file(env.path(name));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
        file.close();
        QCOMPARE(importFile(file.fileName()), added);
        QCOMPARE(env.open()->personCount(), qMax(added, 0));
    }

    void largeFileIsReadWhole()
    {
        // Large enough to be read in two halves at once; a file opened as a reader opens it.
        FileLines::setMaxLineBytes(FileLines::kDefaultMaxLineBytes);
        QByteArray content;
        for (int i = 0; content.size() < (5 << 20) + 7; ++i)
            content += QByteArray::number(i) + '\n';
        TestEnvironment env;
        QFile file(env.path(QStringLiteral("large.csv")));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
        file.close();
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(FileLines::readWhole(file), std::optional<QByteArray>(content));
        QVERIFY(file.atEnd());
    }
};

QTEST_GUILESS_MAIN(LineCapTest)
#include "line_cap_test.moc"
