// The contacts account's sign-in as the window shows it: the main-menu row opens it in its own
// dialog with the saved account name, and Cancel takes it away again.

#include "support/WindowFixture.h"

#include "google/GCLoginController.h"
#include "gui/MainWindow.h"
#include "gui/ScreenView.h"
#include "shell/AppData.h"
#include "shell/MainViewController.h"

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace Qt::StringLiterals;

class GCLoginViewTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void signInDialog();
};

void GCLoginViewTest::signInDialog()
{
    WindowFixture fixture;
    AppData::sharedInstance().setEmailGoogle(u"ana@example.org"_s);
    fixture.find<QPushButton>(u"row14"_s)->click(); // Google contacts import
    WindowFixture::settle();
    QDialog *dialog = fixture.window()->findChild<QDialog *>();
    QVERIFY(dialog);
    QTRY_VERIFY(dialog->isVisible());
    WindowFixture::settle();

    QCOMPARE(dialog->findChild<QLineEdit *>(u"email"_s)->text(), u"ana@example.org"_s);
    auto *password = dialog->findChild<QLineEdit *>(u"password"_s);
    QCOMPARE(password->echoMode(), QLineEdit::Password);
    QCOMPARE(password->placeholderText(), u"<required>"_s);
    QCOMPARE(dialog->findChild<QLineEdit *>(u"server"_s)->placeholderText(), u"contacts.example.com"_s);
    QCOMPARE(dialog->findChild<QPushButton *>(u"loginButton"_s)->text(), u"Login"_s);
    if (const QString folder = qEnvironmentVariable("VENNARO_SCREENSHOTS"); !folder.isEmpty())
        dialog->grab().save(folder + u"/contacts-login.png"_s);

    dialog->findChild<QPushButton *>(u"cancelButton"_s)->click();
    WindowFixture::settle();
    QTRY_VERIFY(!dialog || !dialog->isVisible());
    QCOMPARE(fixture.top()->controller()->screenNumber(), int(MainScreen));
}

QTEST_MAIN(GCLoginViewTest)
#include "GCLoginView_test.moc"
