// The transfer screens in the window offscreen, clicked through as a user would: the main
// menu's "File transfer" row, the chooser, the file list in its send mode and the send screen
// posting to a loopback server.

#include "support/UploadStandIn.h"
#include "support/WindowFixture.h"

#include "gui/ScreenView.h"
#include "shell/ScreenController.h"
#include "transfer/DeviceAddresses.h"
#include "transfer/SendFileViewController.h"

#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTcpServer>
#include <QTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

using namespace Qt::StringLiterals;

class TransferWindowTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { DeviceAddresses::setInterfaceSource({}); }
    void chooserToSendScreen();
    void serverScreen();
};

void TransferWindowTest::chooserToSendScreen()
{
    WindowFixture fixture;
    DeviceAddresses::setInterfaceSource([] {
        return QList<DeviceAddresses::Interface>{{u"eth0"_s, u"192.168.1.20"_s, u"255.255.255.0"_s, 0, true, DeviceAddresses::Kind::Wired}};
    });
    QFile file(fixture.env().documents() + u"/all.vcf"_s);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("BEGIN:VCARD\r\nEND:VCARD\r\n");
    file.close();

    fixture.find<QPushButton>(u"row10"_s)->click(); // File transfer
    WindowFixture::settle();
    QCOMPARE(fixture.top()->controller()->screenNumber(), int(FTChooserScreen));
    auto *sendRow = fixture.find<QPushButton>(u"row3"_s);
    QCOMPARE(sendRow->text(), u"Send to WEB server"_s);
    QVERIFY(sendRow->font().bold());
    fixture.screenshot(u"transfer-chooser"_s);

    sendRow->click();
    WindowFixture::settle();
    QCOMPARE(fixture.top()->controller()->screenNumber(), int(FileChooserScreen));
    auto *files = fixture.find<QListWidget>(u"files"_s);
    QTest::mouseClick(files->viewport(), Qt::LeftButton, {}, files->visualItemRect(files->item(0)).center());
    WindowFixture::settle();
    QCOMPARE(fixture.top()->controller()->screenNumber(), int(SendFileScreen));
    QCOMPARE(fixture.find<QLabel>(u"file"_s)->text(), u"File to send:    all.vcf"_s);
    auto *port = fixture.find<QLineEdit>(u"port"_s);
    QCOMPARE(port->text(), u"8080"_s);

    UploadStandIn server({{UploadStandIn::answer("200 OK", "File upload has been completed.")}});
    QTest::keyClicks(fixture.find<QLineEdit>(u"address"_s), u"127.0.0.1"_s);
    port->selectAll();
    QTest::keyClicks(port, QString::number(server.port()));
    fixture.screenshot(u"send-file"_s);
    auto *screen = static_cast<SendFileViewController *>(fixture.top()->controller());
    QSignalSpy finished(screen, &SendFileViewController::sendFinished);
    // The result comes as a modal alert: read and closed as soon as it shows.
    QString alert;
    QTimer closer;
    closer.setInterval(20);
    connect(&closer, &QTimer::timeout, this, [&] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            alert = box->text();
            box->accept();
        }
    });
    closer.start();
    fixture.find<QPushButton>(u"send"_s)->click();
    QTRY_VERIFY_WITH_TIMEOUT(!finished.isEmpty(), 10000);
    QCOMPARE(alert, u"Success."_s);
    QCOMPARE(server.requests.size(), 1);
}

void TransferWindowTest::serverScreen()
{
    WindowFixture fixture;
    DeviceAddresses::setInterfaceSource([] {
        return QList<DeviceAddresses::Interface>{{u"eth0"_s, u"192.168.1.20"_s, u"255.255.255.0"_s, 0, true, DeviceAddresses::Kind::Wired}};
    });
    fixture.find<QPushButton>(u"row10"_s)->click(); // File transfer
    WindowFixture::settle();
    fixture.find<QPushButton>(u"row1"_s)->click(); // WEB server
    WindowFixture::settle();
    QCOMPARE(fixture.top()->controller()->screenNumber(), int(HttpSrvScreen));
    auto *status = fixture.find<QLabel>(u"status"_s);
    QCOMPARE(status->text(), u"Http server is not running"_s);
    QVERIFY(!fixture.find<QLabel>(u"trace"_s)->isVisible());
    fixture.screenshot(u"http-server-stopped"_s);

    // Typing a letter or pasting several digits leaves the field as it was.
    auto *port = fixture.find<QLineEdit>(u"port"_s);
    port->setFocus();
    port->end(false);
    QTest::keyClick(port, Qt::Key_X);
    QCOMPARE(port->text(), u"8080"_s);
    QTest::keyClick(port, Qt::Key_Backspace);
    QCOMPARE(port->text(), u"808"_s);
    QTcpServer probe;
    QVERIFY(probe.listen(QHostAddress::Any, 0));
    const QString free = QString::number(probe.serverPort());
    probe.close();
    port->selectAll();
    QTest::keyClick(port, Qt::Key_Backspace);
    QTest::keyClicks(port, free);
    QCOMPARE(port->text(), free);

    auto *button = fixture.find<QPushButton>(u"startStop"_s);
    QCOMPARE(button->text(), u"Start server"_s);
    button->click();
    WindowFixture::settle();
    QCOMPARE(button->text(), u"Stop server"_s);
    QCOMPARE(status->text(), u"http://192.168.1.20:"_s + free);

    // A browser's request shows in the trace.
    QNetworkAccessManager browser;
    QNetworkReply *reply = browser.get(QNetworkRequest(QUrl(u"http://127.0.0.1:%1/"_s.arg(free))));
    QTRY_VERIFY_WITH_TIMEOUT(reply->isFinished(), 10000);
    reply->deleteLater();
    WindowFixture::settle();
    auto *trace = fixture.find<QLabel>(u"trace"_s);
    QVERIFY(trace->isVisible());
    QVERIFY2(trace->text().endsWith(u"Get /"_s), qPrintable(trace->text()));
    fixture.screenshot(u"http-server-running"_s);
    button->click();
    WindowFixture::settle();
    QCOMPARE(status->text(), u"Http server is not running"_s);
}

QTEST_MAIN(TransferWindowTest)
#include "transfer_window_test.moc"
