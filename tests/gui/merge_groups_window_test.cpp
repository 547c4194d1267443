#include "support/WindowFixture.h"

#include "gui/EntryListModel.h"
#include "gui/MainWindow.h"
#include "gui/ScreenView.h"
#include "groups/ABGroupEntriesViewController.h"
#include "groups/ABGroupsViewController.h"
#include "merge/MergeViewController.h"
#include "selection/ABEntriesViewController.h"
#include "shell/ScreenRegistry.h"

#include <QApplication>
#include <QDialog>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

using namespace Qt::StringLiterals;

// The duplicate search, the merge screen with its editor and the group screens, clicked
// through in the real window offscreen.
class MergeGroupsWindowTest : public QObject {
    Q_OBJECT
private:
    WindowFixture *m_fixture = nullptr;

    // The top screen's button in the navigation bar (other screens keep theirs hidden).
    QToolButton *navigationButton() const
    {
        for (QToolButton *button : m_fixture->window()->findChildren<QToolButton *>(u"navigationButton"_s)) {
            if (button->isVisible())
                return button;
        }
        return nullptr;
    }
    static void clickLine(QAbstractItemView *list, int line)
    {
        const QModelIndex index = list->model()->index(line, 0);
        list->scrollTo(index);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(index).center());
        WindowFixture::settle();
    }
    // Answers the next modal message box or text entry as soon as it shows.
    static void answerNextModal(QString *text, const QString &typed = QString())
    {
        auto *timer = new QTimer;
        timer->setInterval(20);
        QObject::connect(timer, &QTimer::timeout, timer, [timer, text, typed] {
            QWidget *modal = QApplication::activeModalWidget();
            if (auto *box = qobject_cast<QMessageBox *>(modal)) {
                *text = box->text();
                box->accept();
            } else if (auto *input = qobject_cast<QInputDialog *>(modal)) {
                *text = input->labelText();
                input->setTextValue(typed);
                input->accept();
            } else {
                return;
            }
            timer->deleteLater();
        });
        timer->start();
    }
    void screenshotOf(QWidget *widget, const QString &name)
    {
        const QString folder = qEnvironmentVariable("VENNARO_SCREENSHOTS");
        if (!folder.isEmpty())
            widget->grab().save(folder + u'/' + name + u".png"_s);
    }
    ABRecordID addPerson(const QString &first, const QString &last, const QString &phone)
    {
        ABAddressBookRef book = m_fixture->env().open();
        ABRecordRef person = ABRecord::createPerson();
        person->setValue(kABPersonFirstNameProperty, first);
        person->setValue(kABPersonLastNameProperty, last);
        ABMultiValue phones(kABMultiStringPropertyType);
        phones.addValueAndLabel(phone, kABPersonPhoneMobileLabel);
        phones.addValueAndLabel(u"555 0100"_s, kABWorkLabel);
        person->setValue(kABPersonPhoneProperty, QVariant::fromValue(phones));
        person->setValue(kABPersonOrganizationProperty, u"Acme"_s);
        book->addRecord(person);
        book->save();
        return person->recordID();
    }

private Q_SLOTS:
    void init() { m_fixture = new WindowFixture; }
    void cleanup()
    {
        delete m_fixture;
        m_fixture = nullptr;
    }

    void duplicatesMergeAndEditor()
    {
        addPerson(u"Ann"_s, u"Smith"_s, u"555 1234"_s);
        addPerson(u"ann"_s, u"Smyth"_s, u"555 9876"_s);
        addPerson(u"Bo"_s, u"Berg"_s, u"555 0000"_s);

        m_fixture->find<QPushButton>(u"row15"_s)->click(); // "Merge contacts"
        WindowFixture::settle();
        QCOMPARE(m_fixture->top()->controller()->screenNumber(), int(DuplicateSearchScreen));
        m_fixture->screenshot(u"duplicate-search"_s);
        m_fixture->find<QPushButton>(u"row11"_s)->click(); // "First name"
        WindowFixture::settle();
        auto *list = qobject_cast<ABEntriesViewController *>(m_fixture->top()->controller());
        QVERIFY(list);
        QTRY_VERIFY(!list->isBusy());
        WindowFixture::settle();
        QCOMPARE(list->rows().size(), 2);
        auto *entries = m_fixture->find<QListView>(u"entries"_s);
        // Section headers depend on the sort ordering: tick every line that is a row.
        for (int line = 0; line < entries->model()->rowCount(); ++line) {
            if (!entries->model()->index(line, 0).data(EntryListModel::HeaderRole).toBool())
                clickLine(entries, line);
        }
        QCOMPARE(list->selectedCount(), 2);
        m_fixture->screenshot(u"duplicate-list"_s);
        navigationButton()->click();
        WindowFixture::settle();

        auto *merge = qobject_cast<MergeViewController *>(m_fixture->top()->controller());
        QVERIFY(merge);
        QCOMPARE(navigationButton()->text(), u"Next"_s);
        auto *fields = m_fixture->find<QListWidget>(u"fields"_s);
        // Line 0 is the "Identification" header, then both first names and both last names.
        QCOMPARE(fields->item(0)->text(), u"Identification"_s);
        clickLine(fields, 4); // the second person's last name
        const MergeDataRef smyth = merge->rowAt(0, 3);
        QVERIFY(smyth->selected && smyth->contactIndex == 1);
        QVERIFY(merge->rowAt(0, 2)->dim);
        clickLine(fields, 3); // refused: its partner is ticked
        QVERIFY(!merge->rowAt(0, 2)->selected);
        m_fixture->screenshot(u"merge-fields"_s);

        // Next opens the editor; Cancel leaves everything as it was.
        navigationButton()->click();
        QDialog *editor = nullptr;
        QTRY_VERIFY((editor = m_fixture->window()->findChild<QDialog *>(u"newPersonEditor"_s)) && editor->isVisible());
        QCOMPARE(editor->findChild<QLineEdit *>(u"text%1"_s.arg(kABPersonLastNameProperty))->text(), u"Smyth"_s);
        QCOMPARE(editor->findChild<QLineEdit *>(u"text%1"_s.arg(kABPersonOrganizationProperty))->text(), u"Acme"_s);
        screenshotOf(editor, u"new-person-editor"_s);
        editor->findChild<QPushButton *>(u"cancelButton"_s)->click();
        QTRY_VERIFY(!m_fixture->window()->findChild<QDialog *>(u"newPersonEditor"_s) ||
                    !m_fixture->window()->findChild<QDialog *>(u"newPersonEditor"_s)->isVisible());
        QCOMPARE(m_fixture->top()->controller(), merge);
        QCOMPARE(m_fixture->env().open()->personCount(), 3);

        // Save: the edited person is added, the screen closes and says so.
        navigationButton()->click();
        QTRY_VERIFY((editor = m_fixture->window()->findChild<QDialog *>(u"newPersonEditor"_s)) && editor->isVisible());
        editor->findChild<QLineEdit *>(u"text%1"_s.arg(kABPersonFirstNameProperty))->setText(u"Anne"_s);
        QString info;
        answerNextModal(&info);
        editor->findChild<QPushButton *>(u"saveButton"_s)->click();
        QTRY_COMPARE(info, u"A new contact record with merged fields has been created and added to the address book."_s);
        WindowFixture::settle();
        QCOMPARE(m_fixture->top()->controller(), list);
        ABAddressBookRef book = m_fixture->env().open();
        QCOMPARE(book->personCount(), 4);
        bool found = false;
        for (const ABRecordRef &person : book->copyArrayOfAllPeople())
            found = found || (person->copyText(kABPersonFirstNameProperty) == u"Anne"_s &&
                              person->copyText(kABPersonLastNameProperty) == u"Smyth"_s);
        QVERIFY(found);
    }

    void groupsAddOpenAndSave()
    {
        addPerson(u"Ann"_s, u"Abel"_s, u"1"_s);
        addPerson(u"Bo"_s, u"Berg"_s, u"2"_s);
        m_fixture->find<QPushButton>(u"row8"_s)->click(); // "Manage groups"
        WindowFixture::settle();
        auto *groups = qobject_cast<ABGroupsViewController *>(m_fixture->top()->controller());
        QVERIFY(groups);
        QVERIFY(groups->isEditing()); // no group yet
        QCOMPARE(navigationButton()->text(), u"Done"_s);
        QString asked;
        answerNextModal(&asked, u"Family"_s);
        m_fixture->find<QPushButton>(u"row-2"_s)->click(); // "Add group"
        QCOMPARE(asked, u"<group name>"_s);
        WindowFixture::settle();
        QVERIFY(m_fixture->find<QPushButton>(u"delete0"_s));
        m_fixture->screenshot(u"groups-editing"_s);
        navigationButton()->click(); // Done
        WindowFixture::settle();
        m_fixture->find<QPushButton>(u"row0"_s)->click();
        WindowFixture::settle();
        auto *members = qobject_cast<ABGroupEntriesViewController *>(m_fixture->top()->controller());
        QVERIFY(members);
        QTRY_VERIFY(!members->isBusy());
        WindowFixture::settle();
        QCOMPARE(navigationButton()->text(), u"Export"_s);
        auto *list = m_fixture->find<QListView>(u"members"_s);
        clickLine(list, 1); // "A" header, then Ann Lee
        QCOMPARE(m_fixture->find<QLabel>(u"membersCount"_s)->text(), u"1 members"_s);
        QCOMPARE(navigationButton()->text(), u"Save"_s);
        m_fixture->screenshot(u"group-members"_s);
        navigationButton()->click();
        WindowFixture::settle();
        QCOMPARE(m_fixture->top()->controller(), groups);
        m_fixture->screenshot(u"groups"_s);
        ABAddressBookRef book = m_fixture->env().open();
        const QList<ABRecordRef> all = book->copyArrayOfAllGroups();
        QCOMPARE(all.size(), 1);
        QCOMPARE(all.first()->copyArrayOfAllMemberIDs().size(), 1);
    }
};

QTEST_MAIN(MergeGroupsWindowTest)
#include "merge_groups_window_test.moc"
