// The two peer transfer screens in the window: a file received on the server screen, then
// sent from the file list's Bluetooth mode through the client screen, the picker and the
// question answered as a user would.

#include "support/WindowFixture.h"

#include "gui/MainWindow.h"
#include "gui/ScreenView.h"
#include "importing/FileChooserViewController.h"
#include "platform/DeviceFacts.h"
#include "platform/Localization.h"
#include "shell/Documents.h"
#include "shell/ScreenRegistry.h"
#include "transfer/BTcliViewController.h"
#include "transfer/BTsrvViewController.h"

#include <QApplication>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>

namespace {

// Answers every question with its default button (yes) and every text entry with `typed`,
// while it lives.
class ModalAnswerer {
public:
    ModalAnswerer()
    {
        m_timer.setInterval(20);
        QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] {
            QWidget *modal = QApplication::activeModalWidget();
            if (auto *box = qobject_cast<QMessageBox *>(modal)) {
                questions.append(box->text());
                box->defaultButton()->click();
            } else if (auto *input = qobject_cast<QInputDialog *>(modal)) {
                input->setTextValue(typed);
                input->accept();
            }
        });
        m_timer.start();
    }
    QString typed;
    QStringList questions;

private:
    QTimer m_timer;
};

QString text(const WindowFixture &fixture, const char *label)
{
    return fixture.find<QLabel>(QLatin1String(label))->text();
}

} // namespace

class BTTransferViewTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void receiveThenSendInTheWindow();
};

void BTTransferViewTest::receiveThenSendInTheWindow()
{
    WindowFixture fixture;
    ModalAnswerer answerer;
    QDir().mkpath(fixture.env().path(QStringLiteral("outbox")));
    QFile source(fixture.env().path(QStringLiteral("outbox/team.vcf")));
    QVERIFY(source.open(QIODevice::WriteOnly));
    source.write(QByteArray(150000, 'v'));
    source.close();

    auto *receiving = getScreen<BTsrvViewController>(BTsrvScreen);
    receiving->setListenAddress(QHostAddress::LocalHost, 0);
    fixture.window()->push(receiving);
    WindowFixture::settle();
    QCOMPARE(text(fixture, "labelStatus"), QStringLiteral("Waiting connection"));
    QCOMPARE(text(fixture, "labelMSG1"), QStringLiteral("Waiting"));

    BTcliViewController sending;
    answerer.typed = QStringLiteral("127.0.0.1:%1").arg(receiving->serverPort());
    sending.setFile(source.fileName());
    sending.showPicker();
    QTRY_COMPARE(sending.labelMSG1(), L("KbtTXok"));
    QTRY_COMPARE(receiving->labelStatus(), L("KbtDisconnected"));
    WindowFixture::settle();
    QCOMPARE(text(fixture, "labelMSG1"), QStringLiteral("File received"));
    QCOMPARE(text(fixture, "labelFile"), QStringLiteral("team.vcf (146.48 KB)"));
    QCOMPARE(text(fixture, "labelMSG4"), QStringLiteral("5/5"));
    QVERIFY(text(fixture, "labelMSG3").startsWith(QStringLiteral("Time: ")));
    QCOMPARE(fixture.find<QProgressBar>(QStringLiteral("progressBar"))->value(), 1000);
    QCOMPARE(answerer.questions, QStringList{QStringLiteral("Accept connection from: %1 ?").arg(DeviceFacts::deviceName())});
    fixture.screenshot(QStringLiteral("bt-server"));
    fixture.window()->pop();
    WindowFixture::settle();

    // Back through the file list: the received file goes to another receiver.
    BTsrvViewController other;
    other.setListenAddress(QHostAddress::LocalHost, 0);
    other.startSession();
    answerer.typed = QStringLiteral("127.0.0.1:%1").arg(other.serverPort());
    auto *list = getScreen<FileChooserViewController>(FileChooserScreen);
    fixture.window()->push(list);
    list->loadFiles(FileChooserViewController::SendBluetoothMode);
    QCOMPARE(list->rows().size(), 1);
    list->selectRow(0);
    QTRY_COMPARE(fixture.top()->controller()->screenNumber(), int(BTcliScreen));
    QTRY_COMPARE(other.labelMSG1(), L("KbtFileReceived"));
    QTRY_COMPARE(text(fixture, "labelMSG1"), QStringLiteral("File transmitted"));
    QTRY_COMPARE(text(fixture, "labelStatus"), QStringLiteral("Disconnected"));
    QCOMPARE(text(fixture, "labelFile"), QStringLiteral("team.vcf (146.48 KB)"));
    fixture.screenshot(QStringLiteral("bt-client"));
}

QTEST_MAIN(BTTransferViewTest)
#include "BTTransferView_test.moc"
