#include "ABGroupsViewController.h"

#include "ABGroupEntriesViewController.h"
#include "GroupStore.h"
#include "platform/Localization.h"
#include "shell/ScreenRegistry.h"
#include "shell/UiHost.h"

ABGroupsViewController::ABGroupsViewController(QObject *parent) : ScreenController(ABGroupsScreen, parent) {}

QString ABGroupsViewController::title() const
{
    return L("KfGroups");
}

void ABGroupsViewController::loadGroups()
{
    m_groups = GroupStore::loadGroups();
    // With nothing to open the only thing to do is to add one.
    if (m_groups.isEmpty())
        m_editing = true;
    Q_EMIT changed();
}

QList<ABGroupsViewController::Row> ABGroupsViewController::rows() const
{
    QList<Row> shown;
    shown.reserve(m_groups.size() + 1);
    for (const GroupData &group : m_groups)
        shown.append({group.name, group.recID});
    if (m_editing)
        shown.append({L("KAddGroup"), kAddGroupTag});
    return shown;
}

void ABGroupsViewController::setEditing(bool editing)
{
    m_editing = editing;
    Q_EMIT changed();
}

QString ABGroupsViewController::editButtonTitle() const
{
    return m_editing ? L("KDone") : L("KEdit");
}

void ABGroupsViewController::didSelectRow(int row)
{
    if (isLocked() || row < 0)
        return;
    if (row < m_groups.size()) {
        if (!m_editing)
            openMembers(m_groups.at(row));
        return;
    }
    if (m_editing && row == m_groups.size())
        addGroupTapped();
}

void ABGroupsViewController::openMembers(const GroupData &group)
{
    ScreenController *screen = ScreenRegistry::getViewController(ABGroupEntriesScreen);
    auto *members = qobject_cast<ABGroupEntriesViewController *>(screen);
    if (!members)
        return;
    members->loadGroupData(group.name, group.recID);
    pushChild(screen);
}

void ABGroupsViewController::addGroupTapped()
{
    UiHost *host = UiHost::current();
    if (!host)
        return;
    const std::optional<QString> name = host->askText(L("KAddGroup"), L("KpcGroupName"), QString());
    if (name && !name->isEmpty())
        addGroup(*name);
}

int ABGroupsViewController::addGroup(const QString &name)
{
    Result<int> created = GroupStore::createGroup(name);
    if (!created) {
        showError(created.error());
        return -1;
    }
    m_groups.append({name, *created});
    Q_EMIT changed();
    return *created;
}

bool ABGroupsViewController::deleteRow(int row)
{
    if (row < 0 || row >= m_groups.size() || isLocked())
        return false;
    Result<void> removed = GroupStore::deleteGroup(m_groups.at(row).recID);
    if (!removed) {
        showError(removed.error());
        return false;
    }
    m_groups.removeAt(row);
    Q_EMIT changed();
    return true;
}
