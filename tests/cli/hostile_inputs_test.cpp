// Hostile files, made here at run time, read by `vennaro import` as a person would: each is
// refused cleanly or gives what is sound in it, and the address book stays sound. The very large
// ones (a 2 GB line, 10^6 cards) are read by the hostile-input benchmark, which also measures the
// memory each reader needs.

#include "platform/KeyedArchive.h"
#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"
#include "support/ProgramRuns.h"
#include "support/TestEnvironment.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QRandomGenerator>
#include <QTest>

namespace {

// The bytes of a literal, NUL bytes inside included.
template <qsizetype N>
QByteArray bytesOf(const char (&text)[N])
{
    return QByteArray(text, N - 1);
}

QByteArray card(const QByteArray &lastName, const QByteArray &extra = QByteArray(), const QByteArray &eol = "\r\n")
{
    return "BEGIN:VCARD" + eol + "VERSION:3.0" + eol + "N:" + lastName + ";Ann;;;" + eol + extra + "END:VCARD" + eol;
}

quint32 crc32(const QByteArray &bytes)
{
    quint32 crc = 0xffffffffu;
    for (char c : bytes) {
        crc ^= quint8(c);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

QByteArray pngChunk(const QByteArray &type, const QByteArray &data)
{
    QByteArray chunk;
    QDataStream out(&chunk, QIODevice::WriteOnly);
    out << quint32(data.size());
    chunk += type + data;
    const quint32 crc = crc32(type + data);
    for (int shift : {24, 16, 8, 0})
        chunk += char((crc >> shift) & 0xff);
    return chunk;
}

// A PNG of a few kilobytes that claims 50,000 × 50,000 pixels: 10 GB once decoded.
QByteArray decompressionBomb()
{
    QByteArray header;
    QDataStream out(&header, QIODevice::WriteOnly);
    out << quint32(50000) << quint32(50000) << quint8(8) << quint8(6) << quint8(0) << quint8(0) << quint8(0);
    const QByteArray zeros = qCompress(QByteArray(4 * 1024 * 1024, '\0'), 9).mid(4);
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + pngChunk("IHDR", header) + pngChunk("IDAT", zeros) + pngChunk("IEND", {});
}

QByteArray randomBase64(qsizetype bytes)
{
    QByteArray raw(bytes, Qt::Uninitialized);
    QRandomGenerator generator(7);
    generator.fillRange(reinterpret_cast<quint32 *>(raw.data()), bytes / 4);
    return raw.toBase64();
}

QVariant nestedLists(int depth)
{
    QVariant value = QVariantList{};
    for (int i = 1; i < depth; ++i)
        value = QVariantList{value};
    return value;
}

} // namespace

class HostileInputsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void eachIsRefusedOrGivesWhatIsSound_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("bytes");
        // People added; -1: refused with exit status 1 and nothing added.
        QTest::addColumn<int>("added");

        QTest::newRow("vCard NUL bytes") << "nul.vcf" << card(bytesOf("Nul\0Inside"), bytesOf("NOTE:a\0b\r\n")) + card("After")
                                         << 2;
        // Lines end in CRLF or LF in vCard and LDIF; a file of bare CRs is one line.
        QTest::newRow("vCard CR-only line ends") << "cr.vcf" << card("One", {}, "\r") + card("Two", {}, "\r") << -1;
        QTest::newRow("vCard invalid UTF-8 among UTF-8")
            << "mixed.vcf" << card("Jos\xc3\xa9") + card("Jos\xe9") + card("\xff\xfe") << -1;
        QTest::newRow("vCard 50 MB base64 photo line")
            << "bigphoto.vcf" << card("Photo", "PHOTO;ENCODING=b;TYPE=JPEG:" + randomBase64(37 * 1024 * 1024) + "\r\n") << 1;
        QTest::newRow("vCard photo that decodes to 10 GB")
            << "bomb.vcf" << card("Bomb", "PHOTO;ENCODING=b;TYPE=PNG:" + decompressionBomb().toBase64() + "\r\n") << 1;
        QTest::newRow("LDIF NUL bytes") << "nul.ldif" << bytesOf("dn: cn=A\nsn: Nul\0Inside\ncn: A\n\ndn: cn=B\nsn: After\n\n") << 2;
        QTest::newRow("LDIF CR-only line ends") << "cr.ldif" << QByteArray("dn: cn=A\rsn: One\r\rdn: cn=B\rsn: Two\r\r") << 1;
        QTest::newRow("LDIF invalid UTF-8 value") << "mixed.ldif" << QByteArray("dn: cn=A\nsn: Jos\xe9\n\ndn: cn=B\nsn: \xff\xfe\n\n") << 2;
        QTest::newRow("CSV NUL bytes") << "nul.csv" << bytesOf("Last\nNul\0Inside\nAfter\n") << 2;
        QTest::newRow("CSV CR-only row ends") << "cr.csv" << QByteArray("Last\rOne\rTwo\r") << 2;
        // Refused with the advice to read it as ISO 8859-1.
        QTest::newRow("CSV invalid UTF-8 cells") << "mixed.csv" << QByteArray("Last\nJos\xe9\n\xff\xfe\n") << -1;
    }

    void eachIsRefusedOrGivesWhatIsSound()
    {
        QFETCH(QString, file);
        QFETCH(QByteArray, bytes);
        QFETCH(int, added);
        TestEnvironment env;
        QCOMPARE(env.runProgram({QStringLiteral("seed"), QStringLiteral("--count"), QStringLiteral("2")}), 0);
        QFile input(env.path(file));
        QVERIFY(input.open(QIODevice::WriteOnly) && input.write(bytes) == bytes.size());
        input.close();
        QString out;
        QString err;
        const int status = env.runProgram({QStringLiteral("import"), input.fileName(), QStringLiteral("--yes"),
                                           QStringLiteral("--map"), QStringLiteral("0=LastName")},
                                          &out, &err);
        QVERIFY2(status == (added < 0 ? 1 : 0), qPrintable(QStringLiteral("status %1: %2%3").arg(status).arg(out, err)));
        QCOMPARE(ProgramRuns::integrityCheck(env.addressBookPath()), QStringLiteral("ok"));
        QCOMPARE(env.open()->personCount(), 2 + qMax(added, 0));
    }

    // Deeper ones are refused: tests/data/backup-broken/deep-nesting.vnbin and its kin.
    void archivesNestedToTheDepthLimitAreRead()
    {
        const Result<QByteArray> atLimit = KeyedArchiver::archivedData(nestedLists(KeyedArchive::kMaxDepth));
        QVERIFY2(atLimit.ok(), qPrintable(atLimit ? QString() : atLimit.error()));
        QVERIFY(KeyedUnarchiver::unarchive(*atLimit).ok());
    }
};

QTEST_GUILESS_MAIN(HostileInputsTest)
#include "hostile_inputs_test.moc"
