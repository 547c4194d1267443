#include "ABGroupEntriesViewController.h"

#include "GroupStore.h"
#include "exporting/ExportDataReceiver.h"
#include "platform/DevLog.h"
#include "platform/Localization.h"
#include "selection/EntrySections.h"
#include "shell/ScreenRegistry.h"
#include "shell/UiHost.h"

#include <QTimer>

namespace {
constexpr int kLoadDelayMs = 500;
}

ABGroupEntriesViewController::ABGroupEntriesViewController(QObject *parent) : ScreenController(ABGroupEntriesScreen, parent)
{
    _eData.reserve(50);
    _searchListOfItems.reserve(10);
    _searchListOfIndexes.reserve(10);
}

void ABGroupEntriesViewController::setBusy(bool busy)
{
    if (m_busy == busy)
        return;
    m_busy = busy;
    Q_EMIT busyChanged(busy);
}

void ABGroupEntriesViewController::loadGroupData(const QString &name, int recordID)
{
    m_groupName = name;
    _groupRecID = recordID;
    _eData.clear();
    _sectionIndexes.clear();
    _sectionOffsets.clear();
    _searchListOfItems.clear();
    _searchListOfIndexes.clear();
    _bSearching = false;
    m_searchText.clear();
    _bExportMode = true;
    _iMembers = 0;
    setLocked(true);
    setBusy(true);
    Q_EMIT changed();
    const int generation = ++m_loadGeneration;
    QTimer::singleShot(kLoadDelayMs, this, [this, generation] {
        if (generation == m_loadGeneration)
            internalLoadData();
    });
}

void ABGroupEntriesViewController::internalLoadData()
{
    Result<GroupStore::Members> loaded = GroupStore::loadMembers(_groupRecID);
    _eData.clear();
    _iMembers = 0;
    int sortOrdering = 0;
    if (loaded) {
        _eData = std::move(loaded->rows);
        _iMembers = loaded->memberCount;
        sortOrdering = loaded->sortOrdering;
    }
    EntrySections sections = EntrySections::build(_eData, sortOrdering);
    _sectionIndexes = std::move(sections.titles);
    _sectionOffsets = std::move(sections.offsets);
    setBusy(false);
    setLocked(false);
    Q_EMIT changed();
    if (!loaded)
        showError(loaded.error());
    else if (_eData.isEmpty())
        showWarning(L("KNoGroupData"));
}

int ABGroupEntriesViewController::sectionCount() const
{
    return _bSearching ? 1 : int(_sectionIndexes.size());
}

int ABGroupEntriesViewController::rowCount(int section) const
{
    if (_bSearching)
        return section == 0 ? int(_searchListOfIndexes.size()) : 0;
    if (section < 0 || section >= _sectionIndexes.size())
        return 0;
    return _sectionOffsets.at(section + 1) - _sectionOffsets.at(section);
}

QString ABGroupEntriesViewController::sectionTitle(int section) const
{
    if (_bSearching || section < 0 || section >= _sectionIndexes.size())
        return QString();
    return _sectionIndexes.at(section);
}

QStringList ABGroupEntriesViewController::sectionIndexTitles() const
{
    return _bSearching ? QStringList() : _sectionIndexes;
}

int ABGroupEntriesViewController::dataIndex(int section, int row) const
{
    if (row < 0 || row >= rowCount(section))
        return -1;
    return _bSearching ? _searchListOfIndexes.at(row) : _sectionOffsets.at(section) + row;
}

EntryDataRef ABGroupEntriesViewController::rowAt(int section, int row) const
{
    const int index = dataIndex(section, row);
    return index < 0 ? nullptr : _eData.at(index);
}

QString ABGroupEntriesViewController::membersText() const
{
    return L("Kmembers").arg(_iMembers);
}

QString ABGroupEntriesViewController::rightButtonTitle() const
{
    return _bExportMode ? L("KExport") : L("KSave");
}

void ABGroupEntriesViewController::searchTextChanged(const QString &text)
{
    m_searchText = text;
    _searchListOfItems.clear();
    _searchListOfIndexes.clear();
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

void ABGroupEntriesViewController::didSelectRow(int section, int row)
{
    const int index = dataIndex(section, row);
    if (index < 0 || isLocked())
        return;
    EntryData &entry = *_eData.at(index);
    if (entry.sourceType == 1) {
        showWarning(L("KExchangeTypeError"));
        return;
    }
    if (_bExportMode) {
        _bExportMode = false;
        Q_EMIT changed();
    }
    entry.selected = !entry.selected;
    _iMembers += entry.selected ? 1 : -1;
    Q_EMIT rowChanged(index);
}

void ABGroupEntriesViewController::rightButtonPressed()
{
    if (_bExportMode)
        exportPressed();
    else
        savePressed();
}

void ABGroupEntriesViewController::exportPressed()
{
    if (isLocked())
        return;
    bool anyTicked = false;
    for (const EntryDataRef &row : std::as_const(_eData))
        anyTicked = anyTicked || row->selected;
    if (!anyTicked) {
        showWarning(L("KNoMembers"));
        return;
    }
    ScreenController *screen = ScreenRegistry::getViewController(ExportFileScreen);
    auto *receiver = dynamic_cast<ExportDataReceiver *>(screen);
    if (!receiver) {
        DevLog::log(QStringLiteral("exportData: no export screen"));
        if (screen)
            ScreenRegistry::releaseViewController(screen);
        return;
    }
    receiver->setData(_eData);
    pushChild(screen);
}

void ABGroupEntriesViewController::savePressed()
{
    if (isLocked())
        return;
    if (!GroupStore::hasChanges(_eData)) {
        showWarning(L("KNothingChanged"));
        return;
    }
    Result<void> saved = GroupStore::saveMembership(_groupRecID, _eData);
    if (!saved)
        showError(saved.error());
    if (UiHost *host = UiHost::current())
        host->pop();
}
