#include "ABEntriesViewController.h"

#include "ABEntriesLoader.h"
#include "GoogleContactsSession.h"
#include "MergeReceiver.h"
#include "QRCodeReceiver.h"
#include "addressbook/ABContact.h"
#include "addressbook/ABSources.h"
#include "exporting/ExportDataReceiver.h"
#include "formats/backup/BackupExport.h"
#include "formats/common/SheetProgress.h"
#include "platform/DevLog.h"
#include "platform/Localization.h"
#include "shell/MainThread.h"
#include "shell/ScreenRegistry.h"
#include "shell/UiHost.h"

#include <QPointer>
#include <QTimer>

#include <memory>
#include <utility>

namespace {

constexpr int kLoadDelayMs = 500;
constexpr int kDeleteDelayMs = 500;

void closeSheet()
{
    if (UiHost *host = UiHost::current())
        host->closeProgress();
}

// Hands something over to the registered screen `number` when it can take it (`give` is
// called with the screen as Receiver); answers the screen to push, or none.
template <typename Receiver, typename Give>
ScreenController *handOver(int number, Give give)
{
    ScreenController *screen = ScreenRegistry::getViewController(number);
    auto *receiver = dynamic_cast<Receiver *>(screen);
    if (!receiver) {
        if (screen) {
            DevLog::log(QStringLiteral("screen %1 cannot take rows from the selection list").arg(number));
            ScreenRegistry::releaseViewController(screen);
        }
        return nullptr;
    }
    give(*receiver);
    return screen;
}

void logNoGoogleSession(const char *operation)
{
    DevLog::log(QStringLiteral("%1 no Google session").arg(QLatin1String(operation)));
}

}

ABEntriesViewController::ABEntriesViewController(QObject *parent) : ScreenController(ABEntriesScreen, parent)
{
    m_deleteWriter = [](const EntryList &rows, ProgressTarget *progress) { return BackupFiles::deleteWithRecoveryFile(rows, progress); };
    _eData.reserve(50);
    _sectionIndexes.reserve(26);
    _sectionOffsets.reserve(26);
    _searchListOfItems.reserve(10);
    _searchListOfIndexes.reserve(10);
}

void ABEntriesViewController::setMode(int mode)
{
    _mode = mode;
    Q_EMIT changed();
}

QString ABEntriesViewController::title() const
{
    return _mode == ModeGoogleImport ? L("KGoogleContacts") : L("KSelectContacts");
}

QString ABEntriesViewController::navigationButtonTitle() const
{
    switch (_mode) {
    case ModeExport:
    case ModeGoogleExport:
        return L("KExport");
    case ModePrint:
        return L("KPrint");
    case ModeGoogleImport:
        return L("KImport");
    case ModeMerge:
        return L("KNext");
    default:
        return QString();
    }
}

QList<ABEntriesViewController::FooterButton> ABEntriesViewController::footerButtons() const
{
    if (_mode == ModeQRCode)
        return {};
    // Nothing to tick or delete in an empty list.
    const bool enabled = !_eData.isEmpty();
    QList<FooterButton> buttons{{SelectAllTag, L("KSelectAll"), enabled}, {SelectNoneTag, L("KSelectNone"), enabled}};
    if (_mode == ModeExport || _mode == ModeMerge)
        buttons.append({DeleteSelectedTag, L("KDeleteSelected"), enabled});
    return buttons;
}

int ABEntriesViewController::sectionCount() const
{
    return _bSearching ? 1 : int(_sectionIndexes.size());
}

int ABEntriesViewController::rowCount(int section) const
{
    if (_bSearching)
        return section == 0 ? int(_searchListOfIndexes.size()) : 0;
    if (section < 0 || section >= _sectionIndexes.size())
        return 0;
    return _sectionOffsets.at(section + 1) - _sectionOffsets.at(section);
}

QString ABEntriesViewController::sectionTitle(int section) const
{
    if (_bSearching || section < 0 || section >= _sectionIndexes.size())
        return QString();
    return _sectionIndexes.at(section);
}

QStringList ABEntriesViewController::sectionIndexTitles() const
{
    return _bSearching ? QStringList() : _sectionIndexes;
}

int ABEntriesViewController::dataIndex(int section, int row) const
{
    if (row < 0 || row >= rowCount(section))
        return -1;
    return _bSearching ? _searchListOfIndexes.at(row) : _sectionOffsets.at(section) + row;
}

EntryDataRef ABEntriesViewController::rowAt(int section, int row) const
{
    int index = dataIndex(section, row);
    return index < 0 ? nullptr : _eData.at(index);
}

int ABEntriesViewController::selectedCount() const
{
    return int(tickedIndexes().size());
}

QList<int> ABEntriesViewController::tickedIndexes() const
{
    QList<int> ticked;
    for (qsizetype index = 0; index < _eData.size(); ++index) {
        if (_eData.at(index)->selected)
            ticked.append(int(index));
    }
    return ticked;
}

// Search.

void ABEntriesViewController::clearSearchHits()
{
    _searchListOfItems.clear();
    _searchListOfIndexes.clear();
}

void ABEntriesViewController::searchTextChanged(const QString &text)
{
    m_searchText = text;
    clearSearchHits();
    _bSearching = !text.isEmpty();
    for (qsizetype index = 0; _bSearching && index < _eData.size(); ++index) {
        const QString &name = _eData.at(index)->name;
        if (name.contains(text, Qt::CaseInsensitive)) {
            _searchListOfItems.append(name);
            _searchListOfIndexes.append(int(index));
        }
    }
    Q_EMIT changed();
}

void ABEntriesViewController::searchBeginEditing()
{
    _bSearching = true;
    Q_EMIT changed();
}

void ABEntriesViewController::searchEndEditing()
{
    _bSearching = false;
    Q_EMIT changed();
}

void ABEntriesViewController::searchReturnPressed()
{
    _bSearching = false;
    m_searchText.clear();
    clearSearchHits();
    Q_EMIT changed();
}

// Loading.

void ABEntriesViewController::viewWillAppear()
{
    ScreenController::viewWillAppear();
    if (_mode == ModeGoogleImport)
        loadGmail();
    else if (_eData.isEmpty())
        loadData(); // coming back from a pushed screen keeps the rows and their ticks
}

void ABEntriesViewController::clearRows()
{
    _eData.clear();
    _sectionIndexes.clear();
    _sectionOffsets.clear();
    // Hits point into the old rows.
    _bSearching = false;
    m_searchText.clear();
    clearSearchHits();
}

void ABEntriesViewController::setBusy(bool busy)
{
    if (m_busy == busy)
        return;
    m_busy = busy;
    Q_EMIT busyChanged(busy);
}

void ABEntriesViewController::lockForLoading()
{
    clearRows();
    setLocked(true);
    setBusy(true);
    Q_EMIT changed();
}

void ABEntriesViewController::loadData()
{
    lockForLoading();
    // The delay lets the locked screen and the busy indicator show first; a newer load
    // replaces one still waiting.
    const int generation = ++m_loadGeneration;
    QTimer::singleShot(kLoadDelayMs, this, [this, generation] {
        if (generation == m_loadGeneration)
            internalLoadData(1);
    });
}

void ABEntriesViewController::loadGmail()
{
    lockForLoading();
    if (m_googleSession) {
        m_googleSession->fetchAllGroupsAndContacts(this);
        return;
    }
    logNoGoogleSession("loadGmail");
    internalLoadData(0);
}

void ABEntriesViewController::loadRows()
{
    _eData.clear();
    if (_mode == ModeMerge && _searchCriteria != ShowAllContacts) {
        if (m_duplicateFinder)
            _eData = m_duplicateFinder(_searchCriteria);
        else
            DevLog::log(QStringLiteral("internalLoadData: no duplicate search"));
        m_sortOrdering = ABEntriesLoader::currentSortOrdering();
        return;
    }
    Result<ABEntriesLoader::Loaded> loaded = ABEntriesLoader::loadWorkingSet(_mode != ModeMerge);
    if (!loaded) {
        showError(loaded.error());
        return;
    }
    _eData = std::move(loaded->rows);
    m_sortOrdering = loaded->sortOrdering;
}

void ABEntriesViewController::internalLoadData(int flag)
{
    if (flag == 1 && m_finderOnWorker && m_duplicateFinder && _mode == ModeMerge && _searchCriteria != ShowAllContacts) {
        findDuplicatesOnWorker();
        return;
    }
    if (flag == 1)
        loadRows();
    showLoadedRows();
}

void ABEntriesViewController::findDuplicatesOnWorker()
{
    // A large book takes longer than a frame to search: the window keeps drawing meanwhile.
    auto found = std::make_shared<EntryList>();
    DuplicateFinder finder = m_duplicateFinder;
    const int criterion = _searchCriteria;
    const int generation = m_loadGeneration;
    QPointer<ABEntriesViewController> self(this);
    MainThread::runOnWorker([found, finder, criterion] { *found = finder(criterion); },
                            [self, found, generation] {
                                if (!self || generation != self->m_loadGeneration)
                                    return;
                                self->_eData = std::move(*found);
                                self->m_sortOrdering = ABEntriesLoader::currentSortOrdering();
                                self->showLoadedRows();
                            });
}

void ABEntriesViewController::showLoadedRows()
{
    EntrySections sections = EntrySections::build(_eData, m_sortOrdering);
    _sectionIndexes = std::move(sections.titles);
    _sectionOffsets = std::move(sections.offsets);
    finishLoading();
    if (_eData.isEmpty())
        warnWhenEmpty();
}

void ABEntriesViewController::finishLoading()
{
    setBusy(false);
    setLocked(false);
    Q_EMIT changed();
}

void ABEntriesViewController::warnWhenEmpty()
{
    if (_mode == ModeMerge && _searchCriteria != ShowAllContacts)
        showWarning(L("KNoDuplicatesFound"));
    else
        showWarning(L("KNoDataFound"));
}

// Ticks.

void ABEntriesViewController::setAllTicks(bool ticked)
{
    if (isLocked())
        return;
    for (const EntryDataRef &row : std::as_const(_eData))
        row->selected = ticked;
    Q_EMIT changed();
}

void ABEntriesViewController::toggleTick(int index)
{
    EntryData &row = *_eData.at(index);
    row.selected = !row.selected;
    Q_EMIT rowChanged(index);
}

void ABEntriesViewController::didSelectRow(int section, int row)
{
    const int index = dataIndex(section, row);
    if (index < 0 || isLocked())
        return;
    if (_mode == ModeQRCode)
        handOverToQRCode(_eData.at(index));
    else
        toggleTick(index);
}

void ABEntriesViewController::accessoryButtonTapped(int section, int row)
{
    const int index = dataIndex(section, row);
    if (index < 0 || _mode != ModeMerge || isLocked())
        return;
    ABAddressBookRef book = ABSources::openAddressBook("accessoryButtonTapped");
    if (!book)
        return;
    _editingRecID = _eData.at(index)->recID;
    if (book->personWithRecordID(_editingRecID))
        Q_EMIT personViewRequested(_editingRecID);
}

void ABEntriesViewController::footerButtonPressed(int tag)
{
    switch (tag) {
    case SelectAllTag:
        selectAll();
        break;
    case SelectNoneTag:
        selectNone();
        break;
    case DeleteSelectedTag:
        deleteSelected();
        break;
    default:
        break;
    }
}

// Long tasks.

void ABEntriesViewController::presentSheet()
{
    const char *task = nullptr;
    switch (_mode) {
    case ModeExport:
    case ModeMerge:
        task = "KPleaseWaitDeleting";
        break;
    case ModePrint:
        task = "KPleaseWaitFormating";
        break;
    case ModeGoogleImport:
        task = "KPleaseWaitImporting";
        break;
    case ModeGoogleExport:
        task = "KPleaseWaitExporting";
        break;
    default:
        return;
    }
    if (UiHost *host = UiHost::current())
        host->showProgress(L(task), false);
}

void ABEntriesViewController::setProgress(double value)
{
    if (UiHost *host = UiHost::current())
        host->setProgress(value);
}

void ABEntriesViewController::gcSetProgress(double value)
{
    // Only the bar: the exchange ends its sheet itself with gcImportDone.
    setProgress(qMin(value, 0.999));
}

void ABEntriesViewController::gcImportDone()
{
    closeSheet();
}

void ABEntriesViewController::runWithSheet(std::function<void(ProgressTarget *)> work, std::function<void()> done)
{
    // The rows stay untouched while the worker runs: the screen is locked.
    setLocked(true);
    presentSheet();
    QPointer<ABEntriesViewController> self(this);
    MainThread::runOnWorker(
        [work = std::move(work)] {
            SheetProgress progress;
            work(&progress);
        },
        [self, done = std::move(done)] {
            // A writer that stops early sends no final value; the sheet must not stay up.
            closeSheet();
            if (self)
                done();
        });
}

void ABEntriesViewController::deleteSelected()
{
    if ((_mode != ModeExport && _mode != ModeMerge) || isLocked())
        return;
    if (selectedCount() == 0) {
        showInfo(L("KNoContactsSelected"));
        return;
    }
    UiHost *host = UiHost::current();
    if (!host || host->ask(QStringLiteral("Vennaro"), L("KDelConfirm"), {L("KNo"), L("KYes")}, 0) != 1)
        return;
    QTimer::singleShot(kDeleteDelayMs, this, [this] { startDelete(); });
}

void ABEntriesViewController::startDelete()
{
    auto removed = std::make_shared<int>(-1);
    RecordDeletion::Writer writer = m_deleteWriter;
    const EntryList rows = _eData;
    runWithSheet(
        [removed, writer, rows](ProgressTarget *progress) {
            if (writer)
                *removed = writer(rows, progress);
        },
        [this, removed] {
            DevLog::log(QStringLiteral("deleted records: %1").arg(*removed));
            if (*removed < 0)
                showError(L("KErrDeleteRecords"));
            loadData();
        });
}

void ABEntriesViewController::startPrint()
{
    auto failure = std::make_shared<QString>(L("KNoPrinter"));
    RecordPrinting::Path path = m_printPath;
    const EntryList rows = _eData;
    runWithSheet(
        [failure, path, rows](ProgressTarget *progress) {
            if (path)
                *failure = path(rows, progress);
        },
        [this, failure] {
            setLocked(false);
            if (!failure->isEmpty())
                showWarning(*failure);
        });
}

// The navigation button and the hand-overs.

void ABEntriesViewController::exportButtonPressed()
{
    if (isLocked() || _mode == ModeQRCode)
        return;
    if (_mode == ModeMerge) {
        handOverToMerge();
        return;
    }
    if (selectedCount() == 0) {
        showWarning(L("KNothingSelected"));
        return;
    }
    switch (_mode) {
    case ModeExport:
        handOverToExport();
        break;
    case ModePrint:
        startPrint();
        break;
    case ModeGoogleImport:
    case ModeGoogleExport:
        handOverToGoogle();
        break;
    default:
        break;
    }
}

void ABEntriesViewController::handOverToGoogle()
{
    presentSheet();
    if (!m_googleSession) {
        logNoGoogleSession(_mode == ModeGoogleImport ? "importGmailContacts" : "exportGmailContacts");
        closeSheet();
        return;
    }
    QStringList identifiers;
    QList<int> recordIDs;
    for (int index : tickedIndexes()) {
        identifiers.append(_eData.at(index)->identifier);
        recordIDs.append(_eData.at(index)->recID);
    }
    if (_mode == ModeGoogleImport)
        m_googleSession->importGmailContacts(identifiers, this);
    else
        m_googleSession->exportGmailContacts(recordIDs, this);
}

void ABEntriesViewController::handOverToExport()
{
    pushChild(handOver<ExportDataReceiver>(ExportFileScreen, [this](ExportDataReceiver &screen) { screen.setData(_eData); }));
}

void ABEntriesViewController::handOverToQRCode(const EntryDataRef &row)
{
    pushChild(handOver<QRCodeReceiver>(QRCodeScreen, [&row](QRCodeReceiver &screen) { screen.getQRCode(row); }));
}

void ABEntriesViewController::handOverToMerge()
{
    const QList<int> ticked = tickedIndexes();
    if (ticked.size() > 2) {
        showWarning(L("KMergeSelected2"));
        return;
    }
    if (ticked.size() < 2) {
        showWarning(L("KMergeSelected1"));
        return;
    }
    ABContactRef contact1 = ABContact::contactWithRecordID(_eData.at(ticked.at(0))->recID);
    ABContactRef contact2 = ABContact::contactWithRecordID(_eData.at(ticked.at(1))->recID);
    if (!contact1 || !contact2) {
        // Removed since the list was built (by another program or device): nothing to merge.
        showError(L("KErrCreateAllpeople"));
        return;
    }
    pushChild(handOver<MergeReceiver>(MergeScreen, [&](MergeReceiver &screen) { screen.setContact1AndContact2(contact1, contact2); }));
}
