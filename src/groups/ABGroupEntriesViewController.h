#pragma once

#include "addressbook/EntryData.h"
#include "shell/ScreenController.h"

#include <QList>
#include <QString>
#include <QStringList>

// The members screen (12): every person of the chosen source (or of every source), the
// group's members ticked. Ticks change the membership on Save; while nothing was tapped the
// right button exports the ticked people instead.
class ABGroupEntriesViewController : public ScreenController {
    Q_OBJECT
public:
    explicit ABGroupEntriesViewController(QObject *parent = nullptr);

    QString title() const override { return m_groupName; }
    int groupRecID() const { return _groupRecID; }

    // Shows the group: clears the rows, locks the screen and loads half a second later.
    void loadGroupData(const QString &name, int recordID);
    // The load itself (also used directly by the command line).
    void internalLoadData();

    const EntryList &rows() const { return _eData; }
    const QStringList &sectionIndexes() const { return _sectionIndexes; }
    const QList<int> &sectionOffsets() const { return _sectionOffsets; }
    int sectionCount() const;
    int rowCount(int section) const;
    QString sectionTitle(int section) const;
    QStringList sectionIndexTitles() const;
    int dataIndex(int section, int row) const;
    EntryDataRef rowAt(int section, int row) const;
    int memberCount() const { return _iMembers; }
    QString membersText() const;
    bool isExportMode() const { return _bExportMode; }
    QString rightButtonTitle() const;
    bool isBusy() const { return m_busy; }

    // Search.
    bool isSearching() const { return _bSearching; }
    const QList<int> &searchListOfIndexes() const { return _searchListOfIndexes; }
    bool showsTicks() const { return true; }
    QString searchText() const { return m_searchText; }
    void searchTextChanged(const QString &text);

    // The user's actions.
    void didSelectRow(int section, int row);
    void rightButtonPressed();
    void exportPressed();
    void savePressed();

Q_SIGNALS:
    void rowChanged(int index);
    void busyChanged(bool busy);

private:
    void setBusy(bool busy);

    QString m_groupName;
    int _groupRecID = -1;
    EntryList _eData;
    QStringList _sectionIndexes;
    QList<int> _sectionOffsets;
    QStringList _searchListOfItems;
    QList<int> _searchListOfIndexes;
    bool _bSearching = false;
    bool _bExportMode = true;
    int _iMembers = 0;
    QString m_searchText;
    bool m_busy = false;
    int m_loadGeneration = 0;
};
