// The QR screen driven through its controller: the local image, the chart service against a
// loopback stand-in, and saving.

#include "support/RecordingUiHost.h"
#include "support/TestEnvironment.h"

#include "qr/QRCodeImage.h"
#include "qr/QRCodeViewController.h"
#include "shell/AppData.h"
#include "shell/Documents.h"

#include <QBuffer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

const QString kExpectedText = u"MECARD:N:Müller, José;TEL:+351 912;NOTE:after 5\\; ask for Bo;;"_s;

// A chart service on loopback: reads one POST and answers with a fixed content type and body.
class ChartStandIn : public QObject {
public:
    ChartStandIn(const QByteArray &contentType, const QByteArray &body) : m_contentType(contentType), m_body(body)
    {
        m_server.listen(QHostAddress::LocalHost);
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            QTcpSocket *socket = m_server.nextPendingConnection();
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { read(socket); });
        });
    }
    QUrl url() const { return QUrl(u"http://127.0.0.1:%1/chart"_s.arg(m_server.serverPort())); }

    QByteArray head;    // request line and headers
    QByteArray request; // the body as received
    bool answered = false;

private:
    void read(QTcpSocket *socket)
    {
        m_buffer += socket->readAll();
        const qsizetype end = m_buffer.indexOf("\r\n\r\n");
        if (end < 0)
            return;
        head = m_buffer.left(end);
        qsizetype length = 0;
        for (const QByteArray &line : head.split('\n')) {
            if (line.toLower().startsWith("content-length:"))
                length = line.mid(15).trimmed().toLongLong();
        }
        if (m_buffer.size() - end - 4 < length)
            return;
        request = m_buffer.mid(end + 4, length);
        socket->write("HTTP/1.1 200 OK\r\nContent-Type: " + m_contentType + "\r\nContent-Length: " +
                      QByteArray::number(m_body.size()) + "\r\nConnection: close\r\n\r\n" + m_body);
        socket->disconnectFromHost();
        answered = true;
    }

    QTcpServer m_server;
    QByteArray m_contentType;
    QByteArray m_body;
    QByteArray m_buffer;
};

EntryDataRef addPerson(const TestEnvironment &env)
{
    ABAddressBookRef book = env.open();
    ABRecordRef person = ABRecord::createPerson(book->copyDefaultSource());
    person->setValue(kABPersonFirstNameProperty, u"José"_s);
    person->setValue(kABPersonLastNameProperty, u"Müller"_s);
    person->setValue(kABPersonNoteProperty, u"after 5; ask for Bo"_s);
    ABMultiValue phones(kABMultiStringPropertyType);
    phones.addValueAndLabel(u"+351 912"_s, kABPersonPhoneMobileLabel);
    person->setValue(kABPersonPhoneProperty, QVariant::fromValue(phones));
    book->addRecord(person);
    if (!book->save())
        qWarning("the person was not saved");
    auto row = std::make_shared<EntryData>();
    row->name = u"José Müller"_s;
    row->recID = person->recordID();
    return row;
}

QByteArray pngOfSize(int pixels)
{
    QImage image(pixels, pixels, QImage::Format_RGB32);
    image.fill(Qt::white);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

} // namespace

class QRCodeViewControllerTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void localImageInEachSize_data();
    void localImageInEachSize();
    void saveAsksForAName();
    void chartService_data();
    void chartService();
    void refusedConnectionShowsTheError();
    void vanishedPersonSendsNothing();
    void imageFrame_data();
    void imageFrame();
};

void QRCodeViewControllerTest::localImageInEachSize_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<QString>("label");
    QTest::addColumn<int>("pixels");
    QTest::newRow("small") << 0 << u"QR Code size: 120x120"_s << 120;
    QTest::newRow("medium") << 1 << u"QR Code size: 230x230"_s << 230;
    QTest::newRow("large") << 2 << u"QR Code size: 320x320"_s << 320;
}

void QRCodeViewControllerTest::localImageInEachSize()
{
    QFETCH(int, size);
    QFETCH(QString, label);
    QFETCH(int, pixels);
    TestEnvironment env;
    RecordingUiHost host;
    QRCodeViewController screen;
    screen.getQRCode(addPerson(env));
    QCOMPARE(screen.nameText(), u"José Müller"_s);
    QCOMPARE(screen.size(), int(QRCodeViewController::Medium));
    QCOMPARE(screen.sizeSegments(), (QStringList{u"Small"_s, u"Medium"_s, u"Large"_s}));
    QCOMPARE(screen.buttonText(), u"Generate QR Code"_s);
    QVERIFY(screen.showsSizeChoice());
    // Made here: the notice does not warn of an Internet connection.
    QCOMPARE(screen.noticeText(),
             u"Encoded data format is compatible with NTT DOCOMO phonebook registration format.\n\n"
             "Image can be saved to file or directly scanned using another device with the appropriate scanning software."_s);

    screen.setSize(size);
    QCOMPARE(screen.sizeText(), label);
    screen.buttonPressed();
    QVERIFY(!screen.showsSizeChoice());
    QCOMPARE(screen.buttonText(), u"Save"_s);
    QVERIFY(!screen.statusIsError());
    QCOMPARE(screen.image().size(), QSize(pixels, pixels));
    QImage fromBytes;
    QVERIFY(fromBytes.loadFromData(screen.imageBytes(), "PNG"));
    QCOMPARE(fromBytes.size(), QSize(pixels, pixels));
    QVERIFY(host.alerts.isEmpty());

    // Another contact starts over with the size choice.
    screen.getQRCode(addPerson(env));
    QVERIFY(screen.showsSizeChoice());
    QVERIFY(screen.image().isNull());
    QCOMPARE(screen.buttonText(), u"Generate QR Code"_s);
}

void QRCodeViewControllerTest::saveAsksForAName()
{
    TestEnvironment env;
    RecordingUiHost host;
    QRCodeViewController screen;
    screen.getQRCode(addPerson(env));
    screen.buttonPressed();
    const QString path = Documents::filePath(u"card.png"_s);

    host.textAnswers.enqueue(u""_s);
    screen.buttonPressed();
    QCOMPARE(host.alerts.size(), 1);
    QCOMPARE(host.alerts.last().buttons, (QStringList{u"Cancel"_s, u"Save"_s}));
    QCOMPARE(host.lastPlaceholder, u"<file name>"_s);
    screen.buttonPressed(); // Cancel
    QCOMPARE(QDir(Documents::getDocumentsDir()).entryList(QDir::Files).filter(u".png"_s), QStringList());

    host.textAnswers.enqueue(u"../card"_s);
    screen.buttonPressed();
    QCOMPARE(host.lastText(), u"Invalid filename: it must not contain \"/\" nor be \".\" or \"..\"."_s);
    QVERIFY(!QFile::exists(env.path(u"card.png"_s)));

    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("an older file");
    old.close();
    host.textAnswers.enqueue(u"card"_s);
    screen.buttonPressed();
    QFile saved(path);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), screen.imageBytes());
}

void QRCodeViewControllerTest::chartService_data()
{
    QTest::addColumn<QByteArray>("contentType");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("status");
    QTest::addColumn<bool>("error");
    QTest::addColumn<bool>("shown");
    QTest::newRow("png") << QByteArray("image/png") << pngOfSize(230) << u"Receiving image..."_s << false << true;
    QTest::newRow("html") << QByteArray("text/html; charset=utf-8") << QByteArray("<html>busy</html>")
                          << u"Error invalid response."_s << true << false;
}

void QRCodeViewControllerTest::chartService()
{
    QFETCH(QByteArray, contentType);
    QFETCH(QByteArray, body);
    QFETCH(QString, status);
    QFETCH(bool, error);
    QFETCH(bool, shown);
    TestEnvironment env;
    RecordingUiHost host;
    ChartStandIn chart(contentType, body);
    AppData::sharedInstance().setQrChartURL(chart.url().toString());
    QRCodeViewController screen;
    screen.getQRCode(addPerson(env));
    QVERIFY(screen.noticeText().endsWith(u"\n\nInternet connection will be used!"_s));
    screen.buttonPressed();
    QCOMPARE(screen.statusText(), u"Connecting ..."_s);
    QCOMPARE(screen.buttonText(), u"Save"_s);
    QTRY_VERIFY(chart.answered);
    QTRY_VERIFY(!screen.isLoading());

    const QByteArray expected = "cht=qr&chs=230x230&chl=" + kExpectedText.toUtf8();
    QCOMPARE(chart.request, expected);
    QVERIFY(chart.head.startsWith("POST /chart HTTP/1.1\r\n"));
    QVERIFY2(chart.head.toLower().contains("\r\ncontent-length: " + QByteArray::number(expected.size())), chart.head.constData());
    QCOMPARE(screen.statusText(), status);
    QCOMPARE(screen.statusIsError(), error);
    QCOMPARE(!screen.image().isNull(), shown);
    QCOMPARE(screen.imageBytes(), body);

    // Save writes whatever arrived, image or not.
    host.textAnswers.enqueue(u"remote"_s);
    screen.buttonPressed();
    QFile saved(Documents::filePath(u"remote.png"_s));
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), body);
}

void QRCodeViewControllerTest::refusedConnectionShowsTheError()
{
    TestEnvironment env;
    RecordingUiHost host;
    QTcpServer closed;
    QVERIFY(closed.listen(QHostAddress::LocalHost));
    const quint16 port = closed.serverPort();
    closed.close();
    AppData::sharedInstance().setQrChartURL(u"http://127.0.0.1:%1/chart"_s.arg(port));
    QRCodeViewController screen;
    screen.getQRCode(addPerson(env));
    screen.buttonPressed();
    QTRY_VERIFY(!screen.isLoading());
    QVERIFY(screen.statusIsError());
    QVERIFY2(screen.statusText().contains(u"refused"_s, Qt::CaseInsensitive), qPrintable(screen.statusText()));
    QVERIFY(screen.image().isNull());
}

void QRCodeViewControllerTest::vanishedPersonSendsNothing()
{
    TestEnvironment env;
    RecordingUiHost host;
    ChartStandIn chart("image/png", pngOfSize(120));
    AppData::sharedInstance().setQrChartURL(chart.url().toString());
    auto row = std::make_shared<EntryData>();
    row->name = u"Gone"_s;
    row->recID = 4242;
    QRCodeViewController screen;
    screen.getQRCode(row);
    screen.buttonPressed();
    QCOMPARE(screen.statusText(), u"Couldn't retrieve contacts."_s);
    QVERIFY(screen.statusIsError());
    QVERIFY(!screen.isLoading());
    QVERIFY(screen.showsSizeChoice());
    QCOMPARE(screen.buttonText(), u"Generate QR Code"_s);
    QTest::qWait(50);
    QVERIFY(chart.head.isEmpty());
}

void QRCodeViewControllerTest::imageFrame_data()
{
    QTest::addColumn<QSize>("image");
    QTest::addColumn<QRect>("frame");
    QTest::newRow("small, centred") << QSize(120, 120) << QRect(100, 0, 120, 120);
    QTest::newRow("exactly 320") << QSize(320, 320) << QRect(0, 0, 320, 320);
    QTest::newRow("wide, scaled down") << QSize(640, 480) << QRect(0, 0, 320, 240);
    QTest::newRow("tall, scaled into 320") << QSize(400, 800) << QRect(80, 0, 160, 320);
    QTest::newRow("narrow and tall, own size") << QSize(100, 500) << QRect(110, 0, 100, 500);
}

void QRCodeViewControllerTest::imageFrame()
{
    QFETCH(QSize, image);
    QFETCH(QRect, frame);
    QCOMPARE(QRCodeViewController::imageFrame(image), frame);
}

QTEST_GUILESS_MAIN(QRCodeViewControllerTest)
#include "QRCodeViewController_test.moc"
