// QR images made on this machine: exact sizes, and an outside reader (zbarimg) gets back the
// very text that went in.

#include "qr/QRCodeImage.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

class QRCodeImageTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void readsBack_data();
    void readsBack();
    void tooMuchForTheSize();
};

void QRCodeImageTest::readsBack_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<QString>("text");
    QTest::newRow("small") << 0 << u"MECARD:N:Silva, Ana;TEL:+351 912 345 678;;"_s;
    QTest::newRow("medium, non-ASCII") << 1
                                       << u"MECARD:N:Müller, José;NICKNAME:Zé;EMAIL:ze@example.org;"
                                          "NOTE:call after 5\\; ask for Bo;;"_s;
    QTest::newRow("large, long") << 2
                                 << u"MECARD:N:Ånström, Łukasz;TEL:111;TEL:222;ADR:Rua 1,Porto,,4000,Portugal;"
                                    "URL:http\\://example.org/a;NOTE:"_s
                                        + QString(300, u'x') + u";BDAY:19800229;;"_s;
}

void QRCodeImageTest::readsBack()
{
    QFETCH(int, size);
    QFETCH(QString, text);
    const int pixels = QRCodeImage::pixelsForSize(size);
    Result<QImage> image = QRCodeImage::render(text, pixels);
    QVERIFY2(image.ok(), image.ok() ? "" : qPrintable(image.error()));
    QCOMPARE(image->size(), QSize(pixels, pixels));
    // A white quiet zone all round.
    for (int i = 0; i < pixels; ++i) {
        QCOMPARE(qGray(image->pixel(i, 0)), 255);
        QCOMPARE(qGray(image->pixel(0, i)), 255);
        QCOMPARE(qGray(image->pixel(i, pixels - 1)), 255);
        QCOMPARE(qGray(image->pixel(pixels - 1, i)), 255);
    }

    QTemporaryDir dir;
    const QString path = dir.filePath(u"code.png"_s);
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QRCodeImage::toPng(*image));
    file.close();
    QCOMPARE(QImage(path).size(), QSize(pixels, pixels));

    if (QStandardPaths::findExecutable(u"zbarimg"_s).isEmpty())
        QSKIP("zbarimg (zbar-tools) is not installed");
    QProcess zbar;
    zbar.start(u"zbarimg"_s, {u"--quiet"_s, u"--raw"_s, u"-Sdisable"_s, u"-Sqrcode.enable"_s, path});
    QVERIFY(zbar.waitForFinished(30000));
    QCOMPARE(zbar.exitCode(), 0);
    QByteArray decoded = zbar.readAllStandardOutput();
    QVERIFY(decoded.endsWith('\n'));
    decoded.chop(1);
    QCOMPARE(QString::fromUtf8(decoded), text);
}

void QRCodeImageTest::tooMuchForTheSize()
{
    // Fits in a symbol, but not at one pixel per module in 120 pixels.
    const QString text = QString(1500, u'a');
    Result<QImage> small = QRCodeImage::render(text, QRCodeImage::pixelsForSize(0));
    QVERIFY(!small.ok());
    QVERIFY(QRCodeImage::render(text, QRCodeImage::pixelsForSize(2)).ok());
    // More than any symbol holds.
    QVERIFY(!QRCodeImage::render(QString(4000, u'a'), 320).ok());
}

QTEST_GUILESS_MAIN(QRCodeImageTest)
#include "QRCodeImage_test.moc"
