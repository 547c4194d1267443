#include "support/RecordingUiHost.h"
#include "support/TestEnvironment.h"

#include "addressbook/DemoSeeder.h"
#include "screens/ScreenCatalog.h"
#include "selection/ABEntriesViewController.h"
#include "exporting/ExportDataReceiver.h"
#include "selection/GoogleContactsSession.h"
#include "selection/MergeReceiver.h"
#include "selection/QRCodeReceiver.h"
#include "shell/MainThread.h"
#include "shell/ScreenRegistry.h"

#include <QFile>
#include <QSignalSpy>
#include <QTest>

#include <atomic>

using namespace Qt::StringLiterals;

namespace {

// The screens the list hands over to, reduced to what they receive.
class ExportProbe : public ScreenController, public ExportDataReceiver {
public:
    ExportProbe() : ScreenController(ExportFileScreen) {}
    QString title() const override { return QStringLiteral("export"); }
    void setData(const EntryList &rows) override { received = rows; }
    EntryList received;
};

class QRProbe : public ScreenController, public QRCodeReceiver {
public:
    QRProbe() : ScreenController(QRCodeScreen) {}
    QString title() const override { return QStringLiteral("qr"); }
    void getQRCode(const EntryDataRef &row) override { received = row; }
    EntryDataRef received;
};

class MergeProbe : public ScreenController, public MergeReceiver {
public:
    MergeProbe() : ScreenController(MergeScreen) {}
    QString title() const override { return QStringLiteral("merge"); }
    void setContact1AndContact2(const ABContactRef &a, const ABContactRef &b) override { first = a, second = b; }
    ABContactRef first, second;
};

// The Google exchange as the list sees it: fetches two contacts, records what it is asked.
class GoogleProbe : public GoogleContactsSession {
public:
    void fetchAllGroupsAndContacts(ABEntriesViewController *list) override
    {
        for (const QString &name : {u"Zack"_s, u"Amy"_s}) {
            auto row = std::make_shared<EntryData>();
            row->name = row->lastname = name;
            row->identifier = u"id-"_s + name;
            list->addRow(row);
        }
        list->internalLoadData(0);
    }
    void importGmailContacts(const QStringList &identifiers, ABEntriesViewController *) override { imported = identifiers; }
    void exportGmailContacts(const QList<int> &recordIDs, ABEntriesViewController *) override { exported = recordIDs; }
    QStringList imported;
    QList<int> exported;
};

ABRecordID addPerson(ABAddressBook &book, const QString &first, const QString &last = QString(),
                     const QString &organization = QString())
{
    ABRecordRef person = ABRecord::createPerson();
    if (!first.isEmpty())
        person->setValue(kABPersonFirstNameProperty, first);
    if (!last.isEmpty())
        person->setValue(kABPersonLastNameProperty, last);
    if (!organization.isEmpty())
        person->setValue(kABPersonOrganizationProperty, organization);
    book.addRecord(person);
    book.save();
    return person->recordID();
}

QStringList names(const EntryList &rows)
{
    QStringList list;
    for (const EntryDataRef &row : rows)
        list.append(row->name);
    return list;
}

QList<bool> ticks(const EntryList &rows)
{
    QList<bool> list;
    for (const EntryDataRef &row : rows)
        list.append(row->selected);
    return list;
}

} // namespace

class ABEntriesViewControllerTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TestEnvironment> env;
    std::unique_ptr<RecordingUiHost> host;

    ABEntriesViewController *openList(int mode, int criterion = 0)
    {
        auto *list = getScreen<ABEntriesViewController>(ABEntriesScreen);
        list->setMode(mode);
        list->setSearchCriteria(criterion);
        return list;
    }

    // Shows the list as the window would and waits for the delayed load.
    ABEntriesViewController *showList(int mode, int criterion = 0)
    {
        ABEntriesViewController *list = openList(mode, criterion);
        host->push(list);
        [&] { QTRY_VERIFY(!list->isBusy()); }();
        return list;
    }

private Q_SLOTS:
    void init()
    {
        env = std::make_unique<TestEnvironment>();
        host = std::make_unique<RecordingUiHost>();
        ScreenCatalog::registerAll();
        ScreenRegistry::registerFactory(ExportFileScreen, [] { return new ExportProbe; });
        ScreenRegistry::registerFactory(QRCodeScreen, [] { return new QRProbe; });
        ScreenRegistry::registerFactory(MergeScreen, [] { return new MergeProbe; });
    }

    void cleanup()
    {
        ScreenRegistry::clear();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        host.reset();
        env.reset();
    }

    void loadsLockedAfterDelayWithSortedTickedRows()
    {
        auto book = env->open();
        book->setSortOrdering(kABPersonSortByFirstName);
        addPerson(*book, QStringLiteral("Bert"));
        addPerson(*book, QStringLiteral("anton"));
        addPerson(*book, QStringLiteral("Anna"));
        addPerson(*book, QString(), QString(), QStringLiteral("Zeta Works"));
        addPerson(*book, QString(), QString(), QString()); // no name: no row

        ABEntriesViewController *list = openList(ABEntriesViewController::ModeExport);
        host->push(list);
        QVERIFY(list->isBusy());
        QVERIFY(list->isLocked() && host->locked);
        QVERIFY(!list->navigationButtonEnabled());
        QVERIFY(list->rows().isEmpty());
        QTRY_VERIFY(!list->isBusy());
        QVERIFY(!list->isLocked() && !host->locked);
        QVERIFY(list->navigationButtonEnabled());

        QCOMPARE(names(list->rows()), (QStringList{u"Anna"_s, u"anton"_s, u"Bert"_s, u"Zeta Works"_s}));
        QCOMPARE(list->rows().at(3)->lastname, QStringLiteral("Zeta Works"));
        QCOMPARE(ticks(list->rows()), (QList<bool>{true, true, true, true}));
        // Exact, case-sensitive keys; offsets end with the total.
        QCOMPARE(list->sectionIndexes(), (QStringList{u"A"_s, u"a"_s, u"B"_s, u"Z"_s}));
        QCOMPARE(list->sectionOffsets(), (QList<int>{0, 1, 2, 3, 4}));
        QCOMPARE(list->sectionIndexTitles(), list->sectionIndexes());
        QCOMPARE(list->rowAt(1, 0)->name, QStringLiteral("anton"));
        QCOMPARE(list->dataIndex(1, 1), -1);
        QVERIFY(host->alerts.isEmpty());
    }

    void sectionsAreNeverMerged()
    {
        EntryList rows;
        for (const QString &name : {u"Ann"_s, u"Al"_s, u"Bob"_s, u"Amy"_s, QString::fromUtf8("\U0001D400x"), QString::fromUtf8("\U0001D400y")}) {
            auto row = std::make_shared<EntryData>();
            row->name = row->lastname = name;
            rows.append(row);
        }
        rows.at(2)->lastname = QStringLiteral("ann"); // by last name Bob sits under "a"
        EntrySections byFirst = EntrySections::build(rows, kABPersonSortByFirstName);
        QCOMPARE(byFirst.titles, (QStringList{u"A"_s, u"B"_s, u"A"_s, QString::fromUtf8("\U0001D400")}));
        QCOMPARE(byFirst.offsets, (QList<int>{0, 2, 3, 4, 6}));
        EntrySections byLast = EntrySections::build(rows, kABPersonSortByLastName);
        QCOMPARE(byLast.titles, (QStringList{u"A"_s, u"a"_s, u"A"_s, QString::fromUtf8("\U0001D400")}));
        QCOMPARE(EntrySections::build({}, kABPersonSortByFirstName).offsets, QList<int>{0});
    }

    void sortsByTheBookOrderingWithCollation()
    {
        auto book = env->open();
        book->setSortOrdering(kABPersonSortByFirstName);
        addPerson(*book, QStringLiteral("Zoe"), QStringLiteral("Écrin"));
        addPerson(*book, QStringLiteral("Eva"), QStringLiteral("Ångström"));
        addPerson(*book, QStringLiteral("Émile"), QStringLiteral("Zola"));
        addPerson(*book, QStringLiteral("Emma"), QStringLiteral("Abel"));

        ABEntriesViewController *list = showList(ABEntriesViewController::ModeExport);
        QCOMPARE(names(list->rows()), (QStringList{u"Émile Zola"_s, u"Emma Abel"_s, u"Eva Ångström"_s, u"Zoe Écrin"_s}));
        QCOMPARE(list->sectionIndexes(), (QStringList{u"É"_s, u"E"_s, u"Z"_s}));

        host->pop();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        book->setSortOrdering(kABPersonSortByLastName);
        list = showList(ABEntriesViewController::ModeExport);
        QCOMPARE(names(list->rows()), (QStringList{u"Emma Abel"_s, u"Eva Ångström"_s, u"Zoe Écrin"_s, u"Émile Zola"_s}));
        QCOMPARE(list->sectionIndexes(), (QStringList{u"A"_s, u"Å"_s, u"É"_s, u"Z"_s}));
    }

    void searchListsHitsThatPointBackToTheirRows()
    {
        auto book = env->open();
        for (const QString &name : {u"Anna"_s, u"Bert"_s, u"Joanna"_s, u"Carl"_s})
            addPerson(*book, name);
        ABEntriesViewController *list = showList(ABEntriesViewController::ModeExport);
        QSignalSpy changed(list, &ScreenController::changed);

        list->searchBeginEditing();
        list->searchTextChanged(QStringLiteral("ann"));
        QVERIFY(list->isSearching());
        QCOMPARE(list->searchListOfItems(), (QStringList{u"Anna"_s, u"Joanna"_s}));
        QCOMPARE(list->searchListOfIndexes(), (QList<int>{0, 3}));
        QCOMPARE(list->sectionCount(), 1);
        QCOMPARE(list->sectionTitle(0), QString());
        QVERIFY(list->sectionIndexTitles().isEmpty());
        QVERIFY(changed.count() >= 2);

        list->didSelectRow(0, 1); // Joanna
        QCOMPARE(ticks(list->rows()), (QList<bool>{true, true, true, false}));

        list->searchTextChanged(QStringLiteral("ANNA"));
        QCOMPARE(list->searchListOfIndexes(), (QList<int>{0, 3}));
        list->searchTextChanged(QStringLiteral("xyz"));
        QVERIFY(list->isSearching());
        QCOMPARE(list->rowCount(0), 0);

        list->searchTextChanged(QString());
        QVERIFY(!list->isSearching());
        QCOMPARE(list->sectionIndexes(), (QStringList{u"A"_s, u"B"_s, u"C"_s, u"J"_s}));
        QCOMPARE(ticks(list->rows()), (QList<bool>{true, true, true, false}));

        list->searchTextChanged(QStringLiteral("er"));
        list->searchReturnPressed();
        QVERIFY(!list->isSearching());
        QVERIFY(list->searchText().isEmpty() && list->searchListOfIndexes().isEmpty());
    }

    void modeTable_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QStringList>("footer");
        QTest::addColumn<bool>("ticked");
        QTest::addColumn<bool>("showsTicks");
        const QStringList two{u"Select All"_s, u"Select None"_s};
        const QStringList three{u"Select All"_s, u"Select None"_s, u"Delete Selected"_s};
        QTest::newRow("export") << 0 << u"Select Contacts"_s << u"Export"_s << three << true << true;
        QTest::newRow("qr") << 1 << u"Select Contacts"_s << u""_s << QStringList() << true << false;
        QTest::newRow("print") << 2 << u"Select Contacts"_s << u"Print"_s << two << true << true;
        QTest::newRow("google import") << 3 << u"Google contacts"_s << u"Import"_s << two << true << true;
        QTest::newRow("google export") << 4 << u"Select Contacts"_s << u"Export"_s << two << true << true;
        QTest::newRow("merge") << 5 << u"Select Contacts"_s << u"Next"_s << three << false << true;
    }

    void modeTable()
    {
        QFETCH(int, mode);
        auto book = env->open();
        addPerson(*book, QStringLiteral("Anna"));
        ABEntriesViewController *list = openList(mode, ABEntriesViewController::ShowAllContacts);
        if (mode == ABEntriesViewController::ModeGoogleImport)
            list->internalLoadData(1); // its rows come from the Google account
        else
            list = showList(mode, ABEntriesViewController::ShowAllContacts);
        QTEST(list->title(), "title");
        QTEST(list->navigationButtonTitle(), "button");
        QStringList footer;
        for (const auto &button : list->footerButtons()) {
            footer.append(button.title);
            QVERIFY(button.enabled);
        }
        QTEST(footer, "footer");
        QTEST(list->rows().first()->selected, "ticked");
        QTEST(list->showsTicks(), "showsTicks");
        QCOMPARE(list->showsDetailButton(), mode == ABEntriesViewController::ModeMerge);
    }

    void emptyListDisablesFooterAndWarns_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("criterion");
        QTest::addColumn<QString>("warning");
        QTest::newRow("export") << 0 << 0 << u"No contacts found!"_s;
        QTest::newRow("google export") << 4 << 0 << u"No contacts found!"_s;
        QTest::newRow("merge duplicates") << 5 << 0 << u"No duplicate contacts found!"_s;
        QTest::newRow("merge all") << 5 << 3 << u"No contacts found!"_s;
    }

    void emptyListDisablesFooterAndWarns()
    {
        QFETCH(int, mode);
        QFETCH(int, criterion);
        ABEntriesViewController *list = showList(mode, criterion);
        QVERIFY(list->rows().isEmpty());
        QCOMPARE(list->sectionOffsets(), QList<int>{0});
        QVERIFY(!list->footerButtons().isEmpty());
        for (const auto &button : list->footerButtons())
            QVERIFY(!button.enabled);
        QCOMPARE(host->alerts.size(), 1);
        QCOMPARE(host->lastTitle(), QStringLiteral("Warning"));
        QTEST(host->lastText(), "warning");
    }

    void duplicateSearchFillsTheMergeList()
    {
        ABEntriesViewController *list = openList(ABEntriesViewController::ModeMerge, ABEntriesViewController::LastName);
        int asked = -1;
        list->setDuplicateFinder([&](int criterion) {
            asked = criterion;
            EntryList rows;
            for (const QString &name : {u"Ann Lee"_s, u"Anne Lee"_s}) {
                auto row = std::make_shared<EntryData>();
                row->name = row->lastname = name;
                row->selected = false;
                rows.append(row);
            }
            return rows;
        });
        list->internalLoadData(1);
        QCOMPARE(asked, int(ABEntriesViewController::LastName));
        QCOMPARE(names(list->rows()), (QStringList{u"Ann Lee"_s, u"Anne Lee"_s}));
        QCOMPARE(list->sectionIndexes(), QStringList{u"A"_s});
        QVERIFY(host->alerts.isEmpty());
    }

    void navigationButtonNeedsTicks()
    {
        auto book = env->open();
        addPerson(*book, QStringLiteral("Anna"));
        for (int mode : {0, 2, 3, 4}) {
            ABEntriesViewController *list = openList(mode);
            list->internalLoadData(1);
            list->selectNone();
            host->alerts.clear();
            list->exportButtonPressed();
            QCOMPARE(host->lastTitle(), QStringLiteral("Warning"));
            QCOMPARE(host->lastText(), QStringLiteral("No contacts selected!\n\nPlease select one or more contacts."));
            QVERIFY(host->stack.isEmpty() && host->progressTitles.isEmpty());
        }
    }

    void mergeModeTakesExactlyTwoRows()
    {
        auto book = env->open();
        const ABRecordID bert = addPerson(*book, QStringLiteral("Bert"));
        const ABRecordID anna = addPerson(*book, QStringLiteral("Anna"));
        addPerson(*book, QStringLiteral("Carl"));
        ABEntriesViewController *list = showList(ABEntriesViewController::ModeMerge, ABEntriesViewController::ShowAllContacts);
        QCOMPARE(ticks(list->rows()), (QList<bool>{false, false, false}));

        list->exportButtonPressed();
        QCOMPARE(host->lastText(), QStringLiteral("Select two contacts to merge."));
        list->didSelectRow(0, 0);
        list->exportButtonPressed();
        QCOMPARE(host->lastText(), QStringLiteral("Select two contacts to merge."));
        list->selectAll();
        list->exportButtonPressed();
        QCOMPARE(host->lastTitle(), QStringLiteral("Warning"));
        QCOMPARE(host->lastText(), QStringLiteral("Too many contacts selected.\nOnly two contacts at a time can be merged."));
        QCOMPARE(host->stack.size(), 1);

        list->didSelectRow(2, 0); // untick Carl
        list->exportButtonPressed();
        QCOMPARE(host->stack.size(), 2);
        auto *merge = static_cast<MergeProbe *>(host->stack.last());
        QCOMPARE(merge->screenNumber(), int(MergeScreen));
        QCOMPARE(merge->first->recordID(), anna); // list order, not identifier order
        QCOMPARE(merge->second->recordID(), bert);
        QVERIFY(!list->bCanRelease);
    }

    void ticksSurviveAPushedScreen()
    {
        auto book = env->open();
        for (const QString &name : {u"Anna"_s, u"Bert"_s, u"Carl"_s})
            addPerson(*book, name);
        ABEntriesViewController *list = showList(ABEntriesViewController::ModeExport);
        const EntryList before = list->rows();
        list->didSelectRow(1, 0);

        list->exportButtonPressed();
        QCOMPARE(host->stack.size(), 2);
        auto *exporter = static_cast<ExportProbe *>(host->stack.last());
        QCOMPARE(exporter->received, before);
        QVERIFY(!list->bCanRelease);

        host->pop();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!list->isBusy() && !list->isLocked());
        QCOMPARE(list->rows(), before);
        QCOMPARE(ticks(list->rows()), (QList<bool>{true, false, true}));
        QVERIFY(list->bCanRelease);
        QCOMPARE(ScreenRegistry::getViewControllerIndex(list), 0);
    }

    void qrModeHandsOverTheTappedRow()
    {
        auto book = env->open();
        addPerson(*book, QStringLiteral("Anna"));
        ABEntriesViewController *list = showList(ABEntriesViewController::ModeQRCode);
        QVERIFY(list->footerButtons().isEmpty());
        list->didSelectRow(0, 0);
        QCOMPARE(host->stack.size(), 2);
        QCOMPARE(static_cast<QRProbe *>(host->stack.last())->received, list->rows().first());
        QVERIFY(list->rows().first()->selected);
    }

    void googleModesHandTheTickedRowsToTheSession()
    {
        auto book = env->open();
        const ABRecordID anna = addPerson(*book, QStringLiteral("Anna"));
        addPerson(*book, QStringLiteral("Bert"));
        GoogleProbe google;
        ABEntriesViewController *list = openList(ABEntriesViewController::ModeGoogleImport);
        list->setGoogleSession(&google);
        host->push(list); // fetches at once, without the delay
        QVERIFY(!list->isLocked() && !list->isBusy());
        QCOMPARE(names(list->rows()), (QStringList{u"Zack"_s, u"Amy"_s})); // in the account's order
        QCOMPARE(list->sectionIndexes(), (QStringList{u"Z"_s, u"A"_s}));
        list->didSelectRow(0, 0);
        list->exportButtonPressed();
        QCOMPARE(google.imported, QStringList{u"id-Amy"_s});
        QCOMPARE(host->progressTitles, QList<QString>{u"Please Wait ...\n\nImporting contacts\n\n"_s});

        host->pop();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        list = showList(ABEntriesViewController::ModeGoogleExport);
        list->setGoogleSession(&google);
        list->didSelectRow(1, 0);
        list->exportButtonPressed();
        QCOMPARE(google.exported, QList<int>{anna});
        QCOMPARE(host->progressTitles.last(), u"Please Wait ...\n\nExporting contacts\n\n"_s);
        list->gcImportDone();
        QVERIFY(!host->progressOpen);
    }

    void deleteAsksWritesTheRecoveryFileAndReloads()
    {
        auto book = env->open();
        for (const QString &name : {u"Anna"_s, u"Bert"_s, u"Carl"_s})
            addPerson(*book, name);
        ABEntriesViewController *list = showList(ABEntriesViewController::ModeExport);

        std::atomic<bool> onWorker{false};
        QList<ABRecordID> written;
        // Stands in for the backup writer: writes the identifiers, then removes the people.
        list->setDeleteWriter([&](const EntryList &rows, ProgressTarget *progress) {
            onWorker = !MainThread::isMainThread();
            QFile file(env->documents() + u"/trash.vnbin"_s);
            if (!file.open(QIODevice::WriteOnly))
                return -1;
            auto handle = ABAddressBook::open(env->addressBookPath());
            int removed = 0;
            for (const EntryDataRef &row : rows) {
                if (!row->selected)
                    continue;
                written.append(row->recID);
                file.write(QByteArray::number(row->recID) + '\n');
                removed += handle->removeRecord(handle->personWithRecordID(row->recID));
            }
            file.close();
            progress->setProgress(0.5);
            return handle->save() ? removed : -1;
        });

        list->selectNone();
        list->deleteSelected();
        QCOMPARE(host->lastTitle(), QStringLiteral("Vennaro"));
        QCOMPARE(host->lastText(), QStringLiteral("There are no contacts selected!"));

        list->didSelectRow(0, 0);
        list->didSelectRow(2, 0);
        host->answers.enqueue(0); // No
        list->deleteSelected();
        QCOMPARE(host->lastText(),
                 QStringLiteral("Continuing with delete, a recovery file \"trash.vnbin\" is automatically created with "
                                "deleted records.\n\nIf you change your mind, import \"trash.vnbin\" to recover the "
                                "records.\n\nConfirm delete selected contacts."));
        QCOMPARE(host->alerts.last().buttons, (QStringList{u"No"_s, u"Yes"_s}));
        QTest::qWait(700);
        QVERIFY(written.isEmpty() && !QFile::exists(env->documents() + u"/trash.vnbin"_s));

        host->answers.enqueue(1); // Yes
        list->deleteSelected();
        QTRY_VERIFY(!list->isBusy() && list->rows().size() == 1);
        QVERIFY(onWorker);
        QCOMPARE(written.size(), 2);
        QCOMPARE(host->progressTitles, QList<QString>{u"Please Wait ...\n\nDeleting records\n\n"_s});
        QCOMPARE(host->progressValues.first(), 0.5);
        QVERIFY(!host->progressOpen && !host->locked);
        QCOMPARE(names(list->rows()), QStringList{u"Bert"_s});
        QCOMPARE(env->open()->personCount(), 1);
        QCOMPARE(host->alerts.size(), 3); // the two questions and the information, no error
    }

    void failedDeleteTellsTheUserAndKeepsEveryone()
    {
        auto book = env->open();
        addPerson(*book, QStringLiteral("Anna"));
        ABEntriesViewController *list = showList(ABEntriesViewController::ModeMerge, ABEntriesViewController::ShowAllContacts);
        list->selectAll();
        list->setDeleteWriter([](const EntryList &, ProgressTarget *) { return -1; });
        host->answers.enqueue(1);
        list->deleteSelected();
        QTRY_COMPARE(host->lastText(), QStringLiteral("Couldn't delete the selected contacts."));
        QCOMPARE(host->lastTitle(), QStringLiteral("Error"));
        QTRY_VERIFY(!list->isBusy() && list->rows().size() == 1);
        QVERIFY(!host->progressOpen);
    }

    void printRunsThePrintPathAndWarnsOnFailure()
    {
        auto book = env->open();
        addPerson(*book, QStringLiteral("Anna"));
        addPerson(*book, QStringLiteral("Bert"));
        ABEntriesViewController *list = showList(ABEntriesViewController::ModePrint);
        QList<int> printed;
        QString answer;
        list->setPrintPath([&](const EntryList &rows, ProgressTarget *) {
            for (const EntryDataRef &row : rows)
                printed.append(row->selected);
            return answer;
        });
        list->didSelectRow(1, 0);
        list->exportButtonPressed();
        QCOMPARE(host->progressTitles, QList<QString>{u"Please Wait ...\n\nFormating data\n\n"_s});
        QVERIFY(list->isLocked());
        QTRY_VERIFY(!list->isLocked());
        QCOMPARE(printed, (QList<int>{1, 0}));
        QVERIFY(host->alerts.isEmpty() && !host->progressOpen);

        answer = QStringLiteral("Printer is not available!");
        list->exportButtonPressed();
        QTRY_COMPARE(host->lastText(), answer);
        QCOMPARE(host->lastTitle(), QStringLiteral("Warning"));
    }

    void listCommandShowsTheListOrder()
    {
        auto book = env->open();
        DemoSeeder::Options options;
        options.count = 80;
        QVERIFY(DemoSeeder::seed(*book, options).ok());
        addPerson(*book, QStringLiteral("Émile"), QStringLiteral("Zola"));
        addPerson(*book, QStringLiteral("anton"));
        for (int ordering : {kABPersonSortByFirstName, kABPersonSortByLastName}) {
            book->setSortOrdering(ordering);
            auto *list = openList(ABEntriesViewController::ModeExport);
            list->internalLoadData(1);
            QString expected;
            for (const EntryDataRef &row : list->rows())
                expected += QStringLiteral("%1\t%2\n").arg(row->recID).arg(row->name);
            QString out, err;
            QCOMPARE(env->runProgram({QStringLiteral("list")}, &out, &err), 0);
            QCOMPARE(out, expected);
        }
    }
};

QTEST_GUILESS_MAIN(ABEntriesViewControllerTest)
#include "ABEntriesViewController_test.moc"
