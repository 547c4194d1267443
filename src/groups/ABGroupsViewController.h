#pragma once

#include "addressbook/EntryData.h"
#include "shell/ScreenController.h"
#include "shell/ScreenInterfaces.h"

#include <QList>
#include <QString>

// The group list (screen 11): the groups of the chosen source, in the address book's order.
// In editing mode every group can be deleted and a trailing "Add group" row adds one.
class ABGroupsViewController : public ScreenController, public GroupListInterface {
    Q_OBJECT
public:
    static constexpr int kAddGroupTag = -2;

    struct Row {
        QString text;
        int tag; // the group's record identifier, or kAddGroupTag
    };

    explicit ABGroupsViewController(QObject *parent = nullptr);

    QString title() const override;
    void loadGroups() override;
    const QList<GroupData> &groups() const { return m_groups; }
    // The shown rows: one per group, then "Add group" while editing.
    QList<Row> rows() const;

    bool isEditing() const { return m_editing; }
    void setEditing(bool editing);
    QString editButtonTitle() const;

    // A tap: opens the group's members, or (the "Add group" row) asks for a new group's name.
    void didSelectRow(int row);
    void addGroupTapped();
    // Creates the group and adds its row; -1 (after the message) when it cannot be made.
    int addGroup(const QString &name);
    // Deletes the group of a row (editing mode); false after the message.
    bool deleteRow(int row);

private:
    void openMembers(const GroupData &group);

    QList<GroupData> m_groups;
    bool m_editing = false;
};
