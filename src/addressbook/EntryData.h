#pragma once

#include "ABRecord.h"

#include <QList>
#include <QString>

#include <memory>
#include <optional>

// One row of a contact list: what lists, writers and screens need of a person without holding
// the record. Row lists are owned by the screen that built them and handed on by reference.
struct EntryData {
    QString name;        // display name of the row
    QString identifier;  // identifier of a Google contact (Google import rows only)
    QString lastname;    // sort and section key
    int32_t recID = 0;   // record identifier of the person
    bool selected = true;
    bool member = false; // belongs to the group being edited
    int32_t sourceType = -1;

    QString description() const { return QStringLiteral("Name: %1 lName: %2").arg(name, lastname); }

    // The names of a person's row by the list-row rule: the display name and the sort and
    // section key. A person without them has no row (logged as "EMPTY").
    struct Listed {
        QString name;
        QString lastname;
    };
    static std::optional<Listed> listedNames(const ABRecord &person, const ABRecord::Names &names);

    // Appends the row of `person` to `rows` when the list-row rule gives it one.
    static void appendRow(QList<std::shared_ptr<EntryData>> &rows, const ABRecord &person, int32_t recID, bool selected);
    static std::shared_ptr<EntryData> makeRow(Listed listed, int32_t recID, bool selected);
};

using EntryDataRef = std::shared_ptr<EntryData>;
using EntryList = QList<EntryDataRef>;

// One row of the group list.
struct GroupData {
    QString name;
    int32_t recID = 0;
};
