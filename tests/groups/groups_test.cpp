#include "support/RecordingUiHost.h"
#include "support/TestEnvironment.h"

#include "addressbook/ABSources.h"
#include "exporting/ExportDataReceiver.h"
#include "groups/ABGroupEntriesViewController.h"
#include "groups/ABGroupsViewController.h"
#include "groups/GroupStore.h"
#include "screens/ScreenCatalog.h"
#include "shell/ScreenRegistry.h"

#include <QTest>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

class ExportProbe : public ScreenController, public ExportDataReceiver {
public:
    ExportProbe() : ScreenController(ExportFileScreen) {}
    QString title() const override { return u"export"_s; }
    void setData(const EntryList &rows) override { received = rows; }
    EntryList received;
};

QStringList names(const EntryList &rows)
{
    QStringList list;
    for (const EntryDataRef &row : rows)
        list.append(row->name);
    return list;
}

QList<ABRecordID> memberIDs(TestEnvironment &env, ABRecordID group)
{
    ABAddressBookRef book = env.open();
    QList<ABRecordID> ids = book->groupWithRecordID(group)->copyArrayOfAllMemberIDs();
    std::sort(ids.begin(), ids.end());
    return ids;
}

} // namespace

class GroupsTest : public QObject {
    Q_OBJECT
private:
    TestEnvironment *env = nullptr;
    RecordingUiHost *host = nullptr;

    ABRecordID addPerson(const QString &first, const QString &last = QString(), const ABRecordRef &source = nullptr)
    {
        ABAddressBookRef book = env->open();
        ABRecordRef person = ABRecord::createPerson(source ? book->sourceWithRecordID(source->recordID()) : nullptr);
        person->setValue(kABPersonFirstNameProperty, first);
        if (!last.isEmpty())
            person->setValue(kABPersonLastNameProperty, last);
        book->addRecord(person);
        book->save();
        return person->recordID();
    }
    ABRecordID addGroup(const QString &name, const QList<ABRecordID> &members = {})
    {
        ABAddressBookRef book = env->open();
        ABRecordRef group = ABRecord::createGroup(book->copyDefaultSource());
        group->setValue(kABGroupNameProperty, name);
        book->addRecord(group);
        for (ABRecordID id : members)
            group->addMember(book->personWithRecordID(id));
        book->save();
        return group->recordID();
    }
    // The members screen of a group, loaded.
    ABGroupEntriesViewController *openMembers(ABRecordID group)
    {
        auto *screen = getScreen<ABGroupEntriesViewController>(ABGroupEntriesScreen);
        host->push(screen);
        screen->loadGroupData(u"Friends"_s, group);
        [&] { QTRY_VERIFY(!screen->isBusy()); }();
        return screen;
    }
    int indexOf(ABGroupEntriesViewController *screen, ABRecordID id)
    {
        for (int index = 0; index < screen->rows().size(); ++index) {
            if (screen->rows().at(index)->recID == id)
                return index;
        }
        return -1;
    }
    void tap(ABGroupEntriesViewController *screen, ABRecordID id)
    {
        const int index = indexOf(screen, id);
        for (int section = 0; section < screen->sectionCount(); ++section) {
            const int start = screen->sectionOffsets().at(section);
            if (index >= start && index < start + screen->rowCount(section)) {
                screen->didSelectRow(section, index - start);
                return;
            }
        }
        QFAIL("no such row");
    }

private Q_SLOTS:
    void init()
    {
        env = new TestEnvironment;
        host = new RecordingUiHost;
        ScreenCatalog::registerAll();
    }
    void cleanup()
    {
        ScreenRegistry::clear();
        delete host;
        delete env;
    }

    void emptySourceOpensInEditingMode()
    {
        auto *groups = getScreen<ABGroupsViewController>(ABGroupsScreen);
        groups->loadGroups();
        QVERIFY(groups->isEditing());
        QCOMPARE(groups->rows().size(), 1);
        QCOMPARE(groups->rows().first().text, u"Add group"_s);
        QCOMPARE(groups->rows().first().tag, ABGroupsViewController::kAddGroupTag);

        // An empty name does nothing; a name creates the group before "Add group".
        host->textAnswers.enqueue(u""_s);
        groups->didSelectRow(0);
        QCOMPARE(host->lastText(), u"<group name>"_s);
        QCOMPARE(groups->groups().size(), 0);
        QCOMPARE(env->open()->copyArrayOfAllGroups().size(), 0);
        host->textAnswers.enqueue(u"Family"_s);
        groups->didSelectRow(0);
        QCOMPARE(groups->rows().size(), 2);
        QCOMPARE(groups->rows().at(0).text, u"Family"_s);
        QCOMPARE(groups->rows().at(1).text, u"Add group"_s);
        QCOMPARE(env->open()->groupWithRecordID(groups->groups().first().recID)->copyCompositeName(), u"Family"_s);

        // Leaving editing hides "Add group"; tapping a group opens its members.
        groups->setEditing(false);
        QCOMPARE(groups->rows().size(), 1);
        groups->didSelectRow(0);
        auto *members = qobject_cast<ABGroupEntriesViewController *>(host->stack.last());
        QVERIFY(members);
        QCOMPARE(members->title(), u"Family"_s);
        QVERIFY(members->isLocked() && members->isExportMode());
    }

    void groupsOfOtherSourcesAreLeftOut()
    {
        addGroup(u"Local"_s);
        ABAddressBookRef book = env->open();
        ABRecordRef cloud = book->addSource(kABSourceTypeCardDAV, u"Cloud"_s);
        ABRecordRef group = ABRecord::createGroup(cloud);
        group->setValue(kABGroupNameProperty, u"Remote"_s);
        book->addRecord(group);
        book->save();
        ABSources::setSelectedIndex(2);
        auto *groups = getScreen<ABGroupsViewController>(ABGroupsScreen);
        groups->loadGroups();
        QCOMPARE(groups->rows().size(), 1);
        QCOMPARE(groups->rows().first().text, u"Remote"_s);
        QVERIFY(!groups->isEditing());
    }

    void refusedCreationNamesTheSource_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("message");
        QTest::newRow("Exchange") << kABSourceTypeExchange
                                  << u"You sync with MS Exchange and it doesn't support groups.\nCouldn't create group."_s;
        QTest::newRow("LDAP") << kABSourceTypeLDAP
                              << u"You sync with an external source that is blocking group creation.\nCouldn't create group.\n(source 16777219)"_s;
    }
    void refusedCreationNamesTheSource()
    {
        QFETCH(int, type);
        QFETCH(QString, message);
        env->open()->addSource(type, u"Work"_s);
        ABSources::setSelectedIndex(2);
        auto *groups = getScreen<ABGroupsViewController>(ABGroupsScreen);
        groups->loadGroups();
        QCOMPARE(groups->addGroup(u"Team"_s), -1);
        QCOMPARE(host->lastTitle(), u"Error"_s);
        QCOMPARE(host->lastText(), message);
        QVERIFY(groups->groups().isEmpty());
        QVERIFY(env->open()->copyArrayOfAllGroups().isEmpty());
    }

    void deletingAGroup()
    {
        const ABRecordID first = addGroup(u"One"_s);
        addGroup(u"Two"_s);
        auto *groups = getScreen<ABGroupsViewController>(ABGroupsScreen);
        groups->loadGroups();
        groups->setEditing(true);
        QVERIFY(groups->deleteRow(0));
        QCOMPARE(groups->rows().first().text, u"Two"_s);
        QVERIFY(!env->open()->groupWithRecordID(first));
        // Gone meanwhile (another handle removed it): the row stays and the user is told.
        {
            ABAddressBookRef book = env->open();
            book->removeRecord(book->groupWithRecordID(groups->groups().first().recID));
            book->save();
        }
        QVERIFY(!groups->deleteRow(0));
        QCOMPARE(host->lastText(), u"Invalid record"_s);
    }

    void membersAreTickedAndCounted()
    {
        // The same order by first and by last name.
        const ABRecordID ann = addPerson(u"Ann"_s, u"Abel"_s);
        const ABRecordID bo = addPerson(u"Bo"_s, u"Berg"_s);
        addPerson(u"Cy"_s);
        const ABRecordID group = addGroup(u"Friends"_s, {ann});
        ABGroupEntriesViewController *screen = openMembers(group);
        QCOMPARE(names(screen->rows()), (QStringList{u"Ann Abel"_s, u"Bo Berg"_s, u"Cy"_s}));
        QCOMPARE(screen->membersText(), u"1 members"_s);
        QVERIFY(screen->rows().at(0)->selected && screen->rows().at(0)->member);
        QCOMPARE(screen->rightButtonTitle(), u"Export"_s);
        tap(screen, bo);
        QCOMPARE(screen->rightButtonTitle(), u"Save"_s);
        QCOMPARE(screen->memberCount(), 2);
        tap(screen, ann);
        QCOMPARE(screen->membersText(), u"1 members"_s);

        // Save adds Bo and removes Ann, then closes.
        const int depth = int(host->stack.size());
        screen->rightButtonPressed();
        QVERIFY(host->alerts.isEmpty());
        QCOMPARE(host->stack.size(), depth - 1);
        QCOMPARE(memberIDs(*env, group), QList<ABRecordID>{bo});
    }

    void tickingBackAndForthChangesNothing()
    {
        const ABRecordID ann = addPerson(u"Ann"_s);
        const ABRecordID group = addGroup(u"Friends"_s);
        ABGroupEntriesViewController *screen = openMembers(group);
        tap(screen, ann);
        tap(screen, ann);
        const int depth = int(host->stack.size());
        screen->savePressed();
        QCOMPARE(host->lastTitle(), u"Warning"_s);
        QCOMPARE(host->lastText(), u"Nothing changed!"_s);
        QCOMPARE(host->stack.size(), depth); // stays
    }

    // A walk that stops part-way leaves the group exactly as it was.
    void failedWalkSavesNothing()
    {
        const ABRecordID ann = addPerson(u"Ann"_s);
        const ABRecordID bo = addPerson(u"Bo"_s);
        const ABRecordID cy = addPerson(u"Cy"_s);
        const ABRecordID group = addGroup(u"Friends"_s, {cy});
        ABGroupEntriesViewController *screen = openMembers(group);
        tap(screen, ann);
        tap(screen, bo);
        tap(screen, cy);
        {
            // Bo goes away while the screen is open.
            ABAddressBookRef book = env->open();
            book->removeRecord(book->personWithRecordID(bo));
            book->save();
        }
        const int depth = int(host->stack.size());
        screen->savePressed();
        QCOMPARE(host->lastTitle(), u"Error"_s);
        QCOMPARE(host->lastText(), u"Group member not found"_s);
        QCOMPARE(host->stack.size(), depth - 1);
        QCOMPARE(memberIDs(*env, group), QList<ABRecordID>{cy});
    }

    void exchangePeopleCannotBeTicked()
    {
        ABRecordRef exchange = env->open()->addSource(kABSourceTypeExchange, u"Work"_s);
        const ABRecordID boss = addPerson(u"Boss"_s, QString(), exchange);
        addPerson(u"Ann"_s);
        const ABRecordID group = addGroup(u"Friends"_s);
        ABGroupEntriesViewController *screen = openMembers(group);
        QCOMPARE(screen->rows().at(indexOf(screen, boss))->sourceType, kABSourceTypeExchange);
        tap(screen, boss);
        QCOMPARE(host->lastText(), u"Records synced with Exchange can't be assigned to groups."_s);
        QCOMPARE(screen->memberCount(), 0);
        QVERIFY(!screen->rows().at(indexOf(screen, boss))->selected);
        QVERIFY(screen->isExportMode());
    }

    void exportNeedsATick()
    {
        const ABRecordID ann = addPerson(u"Ann"_s);
        addPerson(u"Bo"_s);
        const ABRecordID empty = addGroup(u"Empty"_s);
        ABGroupEntriesViewController *screen = openMembers(empty);
        screen->rightButtonPressed();
        QCOMPARE(host->lastText(), u"Group is empty!"_s);

        ScreenRegistry::registerFactory(ExportFileScreen, [] { return new ExportProbe; });
        screen = openMembers(addGroup(u"Full"_s, {ann}));
        screen->exportPressed();
        auto *probe = dynamic_cast<ExportProbe *>(host->stack.last());
        QVERIFY(probe);
        QCOMPARE(names(probe->received), (QStringList{u"Ann"_s, u"Bo"_s})); // every row, with its tick
        QVERIFY(probe->received.at(0)->selected && !probe->received.at(1)->selected);
    }

    void sectionsAndSearch()
    {
        for (const QString &name : {u"Anna"_s, u"anton"_s, u"Bert"_s})
            addPerson(name);
        ABGroupEntriesViewController *screen = openMembers(addGroup(u"Friends"_s));
        QCOMPARE(screen->sectionIndexes(), (QStringList{u"A"_s, u"a"_s, u"B"_s}));
        QCOMPARE(screen->sectionOffsets(), (QList<int>{0, 1, 2, 3}));
        screen->searchTextChanged(u"AN"_s);
        QCOMPARE(screen->sectionCount(), 1);
        QCOMPARE(screen->sectionTitle(0), QString());
        QVERIFY(screen->sectionIndexTitles().isEmpty());
        QCOMPARE(screen->rowCount(0), 2);
        screen->didSelectRow(0, 1); // anton
        QVERIFY(screen->rows().at(1)->selected);
        screen->searchTextChanged(QString());
        QCOMPARE(screen->sectionCount(), 3);
    }

    void missingGroupSaysSo()
    {
        addPerson(u"Ann"_s);
        ABGroupEntriesViewController *screen = openMembers(4242);
        QCOMPARE(host->lastText(), u"Group not found."_s);
        QVERIFY(screen->rows().isEmpty());
    }
};

QTEST_MAIN(GroupsTest)
#include "groups_test.moc"
