#pragma once

#include "EntrySections.h"
#include "RecordDeletion.h"
#include "RecordPrinting.h"
#include "addressbook/EntryData.h"
#include "shell/ScreenController.h"
#include "shell/ScreenInterfaces.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class GoogleContactsSession;

// The contact selection list (screen 7): the working set as an alphabetically sectioned list
// with a tick per row, a search, footer buttons and one navigation button whose meaning
// depends on the list mode. The view draws the state exposed here and forwards the user's
// actions; every change is announced with changed() (rowChanged() for one tick).
class ABEntriesViewController : public ScreenController, public SelectionListInterface {
    Q_OBJECT
public:
    enum Mode {
        ModeExport = 0,
        ModeQRCode = 1,
        ModePrint = 2,
        ModeGoogleImport = 3,
        ModeGoogleExport = 4,
        ModeMerge = 5,
    };
    // Duplicate criteria of the merge mode; the last one lists everybody.
    enum Criterion { FirstAndLastName = 0, FirstName = 1, LastName = 2, ShowAllContacts = 3 };
    enum FooterTag { SelectAllTag = 1, SelectNoneTag = 2, DeleteSelectedTag = 3 };

    struct FooterButton {
        int tag;
        QString title;
        bool enabled;
    };

    // Rows for the merge mode from the duplicate search (criteria 0 to 2), unticked.
    using DuplicateFinder = std::function<EntryList(int criterion)>;

    explicit ABEntriesViewController(QObject *parent = nullptr);

    // Set before the screen is shown.
    void setMode(int mode) override;
    int mode() const { return _mode; }
    void setSearchCriteria(int criterion) override { _searchCriteria = criterion; }
    int searchCriteria() const { return _searchCriteria; }

    // The work that belongs to other parts of the program.
    void setDeleteWriter(RecordDeletion::Writer writer) { m_deleteWriter = std::move(writer); }
    void setPrintPath(RecordPrinting::Path path) { m_printPath = std::move(path); }
    void setDuplicateFinder(DuplicateFinder finder) { m_duplicateFinder = std::move(finder); }
    // Runs the duplicate search on a worker thread (the list stays locked and busy meanwhile);
    // the finder must then report its failures on the main thread itself.
    void setDuplicateFinderRunsOnWorker(bool onWorker) { m_finderOnWorker = onWorker; }
    void setDuplicateSearch(DuplicateFinder search) override
    {
        setDuplicateFinder(std::move(search));
        setDuplicateFinderRunsOnWorker(true);
    }
    void setGoogleSession(GoogleContactsSession *session) { m_googleSession = session; }

    // What the view draws.
    QString title() const override;
    const EntryList &rows() const { return _eData; }
    const QStringList &sectionIndexes() const { return _sectionIndexes; }
    const QList<int> &sectionOffsets() const { return _sectionOffsets; }
    // Sections as shown: one untitled section of hits while searching.
    int sectionCount() const;
    int rowCount(int section) const;
    QString sectionTitle(int section) const;
    // The side index: the section titles, none while searching.
    QStringList sectionIndexTitles() const;
    // The position in rows() of a shown row (hits point back to their rows); -1 when none.
    int dataIndex(int section, int row) const;
    EntryDataRef rowAt(int section, int row) const;
    bool showsTicks() const { return _mode != ModeQRCode; }
    bool showsDetailButton() const { return _mode == ModeMerge; }
    bool isBusy() const { return m_busy; }
    // Empty when the mode has no navigation button.
    QString navigationButtonTitle() const;
    bool navigationButtonEnabled() const { return !navigationButtonTitle().isEmpty() && !isLocked(); }
    // The footer buttons of the mode, left to right (none in the QR mode).
    QList<FooterButton> footerButtons() const;
    int selectedCount() const;
    int editingRecID() const { return _editingRecID; }

    // Search.
    bool isSearching() const { return _bSearching; }
    QString searchText() const { return m_searchText; }
    const QStringList &searchListOfItems() const { return _searchListOfItems; }
    const QList<int> &searchListOfIndexes() const { return _searchListOfIndexes; }
    void searchTextChanged(const QString &text);
    void searchBeginEditing();
    void searchEndEditing();
    // The keyboard's Done key: leaves the search and clears its text.
    void searchReturnPressed();

    // The user's actions.
    void viewWillAppear() override;
    void didSelectRow(int section, int row);
    void accessoryButtonTapped(int section, int row);
    void footerButtonPressed(int tag);
    void selectAll() { setAllTicks(true); }
    void selectNone() { setAllTicks(false); }
    void deleteSelected();
    void exportButtonPressed();

    // Loading: clears the list, locks the screen and loads 0.5 s later.
    void loadData();
    // Flag 1 loads the rows (address book or duplicate search); flag 0 keeps rows already
    // added (the Google fetch). Either way builds the sections and unlocks the screen.
    void internalLoadData(int flag);
    // Mode 3: fetches the rows from the Google account.
    void loadGmail();
    // A row added by the Google fetch.
    void addRow(const EntryDataRef &row) { _eData.append(row); }

    // The progress sheet of the mode's long task.
    void presentSheet();
    // Sets the bar; 1 or more closes the sheet.
    void setProgress(double value);
    void gcSetProgress(double value);
    void gcImportDone();

Q_SIGNALS:
    void rowChanged(int index);
    void busyChanged(bool busy);
    // The detail button: show this person read-only.
    void personViewRequested(int recordID);

private:
    void clearRows();
    void setBusy(bool busy);
    void lockForLoading();
    void finishLoading();
    void loadRows();
    void showLoadedRows();
    void findDuplicatesOnWorker();
    void warnWhenEmpty();
    void setAllTicks(bool ticked);
    void toggleTick(int index);
    void clearSearchHits();
    // Locks the screen and shows the sheet, runs `work` on a worker thread reporting to the
    // sheet, then closes the sheet and runs `done` on the main thread.
    void runWithSheet(std::function<void(ProgressTarget *)> work, std::function<void()> done);
    void startDelete();
    void startPrint();
    void handOverToMerge();
    void handOverToExport();
    void handOverToGoogle();
    void handOverToQRCode(const EntryDataRef &row);
    QList<int> tickedIndexes() const;

    int _mode = ModeExport;
    int _searchCriteria = FirstAndLastName;
    EntryList _eData;
    QStringList _sectionIndexes;
    QList<int> _sectionOffsets;
    QStringList _searchListOfItems;
    QList<int> _searchListOfIndexes;
    bool _bSearching = false;
    int _editingRecID = -1;

    QString m_searchText;
    int m_sortOrdering = 0;
    bool m_busy = false;
    int m_loadGeneration = 0;
    RecordDeletion::Writer m_deleteWriter;
    RecordPrinting::Path m_printPath = RecordPrinting::printEntries;
    DuplicateFinder m_duplicateFinder;
    bool m_finderOnWorker = false;
    GoogleContactsSession *m_googleSession = nullptr;
};
