#include "DuplicateSearchViewController.h"

#include "DuplicateSearch.h"
#include "platform/DevLog.h"
#include "platform/Localization.h"
#include "shell/ScreenInterfaces.h"
#include "shell/ScreenRegistry.h"

DuplicateSearchViewController::DuplicateSearchViewController(QObject *parent)
    : ScreenController(DuplicateSearchScreen, parent)
{
}

QString DuplicateSearchViewController::title() const
{
    return L("Kmergecontacts");
}

QString DuplicateSearchViewController::sectionTitle(int section) const
{
    return section == 0 ? L("KSearchCriteria") : QString();
}

QList<DuplicateSearchViewController::Row> DuplicateSearchViewController::rows(int section) const
{
    if (section == 0)
        return {{L("KDupFirstname"), 1}, {L("KDupLastname"), 2}, {L("KDupFirstLast"), 0}};
    if (section == 1)
        return {{L("KDupAll"), 3}};
    return {};
}

void DuplicateSearchViewController::didSelectRow(int section, int row)
{
    const QList<Row> shown = rows(section);
    if (row < 0 || row >= shown.size() || isLocked())
        return;
    ScreenController *screen = ScreenRegistry::getViewController(ABEntriesScreen);
    auto *list = dynamic_cast<SelectionListInterface *>(screen);
    if (!list) {
        DevLog::log(QStringLiteral("didSelectRow: no selection list"));
        return;
    }
    list->setMode(5);
    list->setSearchCriteria(shown.at(row).criterion);
    list->setDuplicateSearch(DuplicateSearch::rowsForList);
    pushChild(screen);
}

void DuplicateSearchViewController::viewWillAppear()
{
    ScreenController::viewWillAppear();
    // The view drops the highlight of the row chosen last.
    Q_EMIT changed();
}
