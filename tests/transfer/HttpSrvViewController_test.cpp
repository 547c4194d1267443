// The web server screen: the port field, start and stop with their messages, the status
// line's addresses, the trace, and a file sent by our own upload client landing through it.

#include "support/RecordingUiHost.h"
#include "support/TestEnvironment.h"

#include "screens/ScreenCatalog.h"
#include "shell/AppData.h"
#include "shell/ScreenRegistry.h"
#include "transfer/Announcer.h"
#include "transfer/DeviceAddresses.h"
#include "transfer/HTTPPostFile.h"
#include "transfer/HTTPPostFileBody.h"
#include "transfer/HTTPServer.h"
#include "transfer/HttpSrvViewController.h"

#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPointer>
#include <QRegularExpression>
#include <QUdpSocket>
#include <QSignalSpy>
#include <QTcpServer>
#include <QtTest>

using namespace Qt::StringLiterals;
using Kind = DeviceAddresses::Kind;
using Interfaces = QList<DeviceAddresses::Interface>;

namespace {

const DeviceAddresses::Interface kWired{u"eth0"_s, u"192.168.1.20"_s, u"255.255.255.0"_s, 0, true, Kind::Wired};
const DeviceAddresses::Interface kCellular{u"ppp0"_s, u"10.64.1.2"_s, u"255.255.255.255"_s, 0, true, Kind::Cellular};

void useInterfaces(const Interfaces &interfaces)
{
    DeviceAddresses::setInterfaceSource([interfaces] { return interfaces; });
}

// A port no one listens on at the moment.
quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::Any, 0);
    return probe.serverPort();
}

// Types the text into the port field, replacing what is there, one deletion and one key at a time.
void typePort(HttpSrvViewController &screen, const QString &text)
{
    while (!screen.portText().isEmpty())
        screen.editPort(screen.portText().chopped(1));
    for (QChar c : text)
        screen.editPort(screen.portText() + c);
}

} // namespace

class HttpSrvViewControllerTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { ScreenCatalog::registerAll(); }
    void cleanup()
    {
        ScreenRegistry::clear();
        DeviceAddresses::setInterfaceSource({});
    }

    void portFieldTakesDigitsOnly_data();
    void portFieldTakesDigitsOnly();
    void refusedStarts_data();
    void refusedStarts();
    void startShowsTheAddresses_data();
    void startShowsTheAddresses();
    void portInUse();
    void stopAndLeave();
    void traceKeepsTheLastTen();
    void uploadFromOurOwnClientLands();
};

void HttpSrvViewControllerTest::portFieldTakesDigitsOnly_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("digit typed at the end") << u"808"_s << u"8080"_s << true;
    QTest::newRow("digit typed inside") << u"880"_s << u"8080"_s << true;
    QTest::newRow("digit over a selection") << u"8080"_s << u"9"_s << true;
    QTest::newRow("deletion") << u"8080"_s << u"800"_s << true;
    QTest::newRow("all deleted") << u"8080"_s << QString() << true;
    QTest::newRow("letter") << u"808"_s << u"808x"_s << false;
    QTest::newRow("blank") << u"80"_s << u"8 0"_s << false;
    QTest::newRow("sign") << u"80"_s << u"-80"_s << false;
    QTest::newRow("paste of two digits") << u"80"_s << u"8080"_s << false;
    QTest::newRow("paste over a selection") << u"8080"_s << u"1280"_s << false;
}

void HttpSrvViewControllerTest::portFieldTakesDigitsOnly()
{
    QFETCH(QString, before);
    QFETCH(QString, after);
    QFETCH(bool, accepted);
    QCOMPARE(HttpSrvViewController::acceptsEdit(before, after), accepted);
}

void HttpSrvViewControllerTest::refusedStarts_data()
{
    QTest::addColumn<QString>("port");
    QTest::addColumn<Interfaces>("interfaces");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("message");
    QTest::newRow("port 1024") << u"1024"_s << Interfaces{kWired} << u"Error"_s << u"Port number must be greater than 1024."_s;
    QTest::newRow("empty port") << QString() << Interfaces{kWired} << u"Error"_s << u"Port number must be greater than 1024."_s;
    QTest::newRow("port 74616 would wrap round") << u"74616"_s << Interfaces{kWired} << u"Error"_s
                                                << u"Port number must be between 1025 and 65535."_s;
    QTest::newRow("no network") << u"8080"_s << Interfaces{} << u"Warning"_s
                                << u"No active network connection.\n\nPlease connect to a network and try again."_s;
}

void HttpSrvViewControllerTest::refusedStarts()
{
    QFETCH(QString, port);
    QFETCH(Interfaces, interfaces);
    QFETCH(QString, title);
    QFETCH(QString, message);
    TestEnvironment env;
    RecordingUiHost host;
    useInterfaces(interfaces);
    HttpSrvViewController screen;
    typePort(screen, port);
    screen.buttonAction();
    QCOMPARE(host.lastTitle(), title);
    QCOMPARE(host.lastText(), message);
    QVERIFY(!screen.isServerUp());
    QVERIFY(!screen.server()->isRunning());
    QCOMPARE(screen.buttonText(), u"Start server"_s);
}

void HttpSrvViewControllerTest::startShowsTheAddresses_data()
{
    QTest::addColumn<Interfaces>("interfaces");
    QTest::addColumn<QString>("status"); // %1: the port
    QTest::addColumn<bool>("announced");
    QTest::newRow("wired") << Interfaces{kWired} << u"http://192.168.1.20:%1"_s << true;
    QTest::newRow("wired and cellular, Wi-Fi first") << Interfaces{kCellular, kWired}
                                                   << u"http://192.168.1.20:%1\nhttp://10.64.1.2:%1"_s << true;
    QTest::newRow("only cellular") << Interfaces{kCellular} << u"http://10.64.1.2:%1"_s << false;
}

void HttpSrvViewControllerTest::startShowsTheAddresses()
{
    QFETCH(Interfaces, interfaces);
    QFETCH(QString, status);
    QFETCH(bool, announced);
    TestEnvironment env;
    RecordingUiHost host;
    AppData::sharedInstance().setAnnounceOnNetwork(1);
    useInterfaces(interfaces);
    HttpSrvViewController screen;
    // The announcement goes to loopback, never to the network.
    QUdpSocket receiver;
    QVERIFY(receiver.bind(QHostAddress::LocalHost, 0));
    screen.announcer()->setTarget(QHostAddress::LocalHost, receiver.localPort());
    QCOMPARE(screen.statusType(), int(HttpSrvViewController::Stopped));
    QCOMPARE(screen.statusText(), u"Http server is not running"_s);
    const quint16 port = freePort();
    typePort(screen, QString::number(port));
    screen.buttonAction();
    QVERIFY2(host.alerts.isEmpty(), qPrintable(host.lastText()));
    QVERIFY(screen.isServerUp());
    QCOMPARE(screen.server()->port(), port);
    QCOMPARE(screen.statusType(), int(HttpSrvViewController::Running));
    QCOMPARE(screen.statusText(), status.arg(port));
    QCOMPARE(screen.buttonText(), u"Stop server"_s);
    QCOMPARE(screen.announcer()->isRunning(), announced);
    if (announced)
        QTRY_VERIFY(receiver.hasPendingDatagrams());
}

void HttpSrvViewControllerTest::portInUse()
{
    TestEnvironment env;
    RecordingUiHost host;
    useInterfaces({kWired});
    QTcpServer taken;
    QVERIFY(taken.listen(QHostAddress::Any, 0));
    HttpSrvViewController screen;
    typePort(screen, QString::number(taken.serverPort()));
    screen.buttonAction();
    QCOMPARE(host.lastTitle(), u"Error"_s);
    QVERIFY2(host.lastText().startsWith(u"The server could not be started: "_s), qPrintable(host.lastText()));
    QVERIFY(host.lastText().size() > 34);
    QVERIFY(!screen.isServerUp());
    QCOMPARE(screen.buttonText(), u"Start server"_s);
}

void HttpSrvViewControllerTest::stopAndLeave()
{
    TestEnvironment env;
    RecordingUiHost host;
    useInterfaces({kWired});
    auto *screen = getScreen<HttpSrvViewController>(HttpSrvScreen);
    typePort(*screen, QString::number(freePort()));
    screen->buttonAction();
    QVERIFY(screen->isServerUp());
    screen->httpRequest(u"Get /"_s);
    QVERIFY(screen->traceShown());
    screen->buttonAction();
    QVERIFY(!screen->isServerUp());
    QVERIFY(!screen->server()->isRunning());
    QVERIFY(!screen->traceShown());
    QCOMPARE(screen->statusText(), u"Http server is not running"_s);
    QCOMPARE(screen->statusType(), int(HttpSrvViewController::Stopped));

    // Leaving the screen stops a running server.
    screen->buttonAction();
    QVERIFY(screen->server()->isRunning());
    QPointer<HTTPServer> server = screen->server();
    screen->viewWillDisappear();
    screen->viewDidDisappear();
    QVERIFY(!ScreenRegistry::isViewControllerLoaded(HttpSrvScreen));
    QVERIFY(!server || !server->isRunning());
}

void HttpSrvViewControllerTest::traceKeepsTheLastTen()
{
    TestEnvironment env;
    HttpSrvViewController screen;
    QVERIFY(!screen.traceShown());
    screen.httpRequest(u"Get /"_s);
    QVERIFY(screen.traceShown());
    QStringList lines = screen.traceText().split(u'\n');
    QCOMPARE(lines.size(), 11); // ten lines and the end of the last
    QCOMPARE(lines.mid(0, 9), QStringList(9, u" "_s));
    QVERIFY2(QRegularExpression(u"^\\d\\d:\\d\\d:\\d\\d Get /$"_s).match(lines[9]).hasMatch(), qPrintable(lines[9]));
    for (int i = 2; i <= 11; ++i)
        screen.httpRequest(u"Get /%1"_s.arg(i));
    lines = screen.traceText().split(u'\n');
    QCOMPARE(lines.size(), 11);
    QVERIFY2(lines.first().endsWith(u"Get /2"_s), qPrintable(lines.first()));
    QVERIFY2(lines[9].endsWith(u"Get /11"_s), qPrintable(lines[9]));
}

void HttpSrvViewControllerTest::uploadFromOurOwnClientLands()
{
    TestEnvironment env;
    RecordingUiHost host;
    useInterfaces({kWired});
    HttpSrvViewController screen;
    typePort(screen, QString::number(freePort()));
    screen.buttonAction();
    QVERIFY(screen.isServerUp());

    // The sender's file lives outside the receiving documents folder.
    const QByteArray card = "BEGIN:VCARD\r\nVERSION:2.1\r\nN:Doe;Jane\r\nEND:VCARD\r\n";
    QFile source(env.path(u"jane.vcf"_s));
    QVERIFY(source.open(QIODevice::WriteOnly));
    source.write(card);
    source.close();
    HTTPPostFile poster(QUrl(u"http://127.0.0.1:%1/filepost"_s.arg(screen.server()->port())), source.fileName(), u"iphone"_s, QString());
    QSignalSpy done(&poster, &HTTPPostFile::done);
    QSignalSpy failed(&poster, &HTTPPostFile::failed);
    poster.upload();
    QTRY_VERIFY_WITH_TIMEOUT(!done.isEmpty() || !failed.isEmpty(), 10000);
    QVERIFY2(failed.isEmpty(), failed.isEmpty() ? "" : qPrintable(failed.first().first().toString()));
    QFile landed(env.documents() + u"/jane.vcf"_s);
    QVERIFY(landed.open(QIODevice::ReadOnly));
    QCOMPARE(landed.readAll(), card);
    QVERIFY2(screen.traceText().contains(u"Upload /jane.vcf"_s), qPrintable(screen.traceText()));

    // What the client read its success from: the result page for our own client.
    QNetworkAccessManager manager;
    HTTPPostFileBody body(source.fileName());
    QVERIFY(body.openFile());
    QNetworkReply *reply = manager.post(HTTPPostFile::postRequest(QUrl(u"http://127.0.0.1:%1/filepost"_s.arg(screen.server()->port())),
                                                                  body.size()),
                                        &body);
    QTRY_VERIFY_WITH_TIMEOUT(reply->isFinished(), 10000);
    const QByteArray page = reply->readAll();
    reply->deleteLater();
    QVERIFY2(page.contains("File upload has been completed."), page.constData());
    QVERIFY2(page.contains("<html") || page.contains("<HTML") || page.contains("<!DOCTYPE"), page.constData());
}

QTEST_MAIN(HttpSrvViewControllerTest)
#include "HttpSrvViewController_test.moc"
