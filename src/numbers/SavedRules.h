#pragma once

#include "ChangeRule.h"
#include "platform/PropertyList.h"

#include <QList>
#include <QString>

#include <optional>

// The change rules saved under names in FormatRules.plist (documents folder): an XML property
// list whose root dictionary maps each name to [mask, new number, action, show all]. The file
// is rewritten whole, atomically, after each save and delete; its key order is kept. An entry
// that is not an array of four items is skipped (with a log line) and left in the file.
namespace SavedRules {

struct Named {
    QString name;
    ChangeRule rule;
};

// What reading the file gave: its entries, or why there are none.
struct Table {
    enum class Failure { None, NoData, NotDictionary };
    Failure failure = Failure::None;
    PropertyList::Entries entries;
};

QString path();
Table read();
// The usable rules of a table, in the file's order.
QList<Named> rules(const Table &table);
// The number of usable rules; 0 when the file is unreadable or not a dictionary.
int count();
std::optional<ChangeRule> find(const QString &name);

enum class SaveResult { Added, Replaced, WriteFailed };
// Adds the rule, or replaces the one of that name in place, and writes the file. An
// unreadable file starts a new table.
SaveResult save(const QString &name, const ChangeRule &rule, QString *error = nullptr);
// Removes the rule of that name (writing the file when it was there); answers the number of
// usable rules left, or the table's failure when the file is not usable.
struct Removal {
    Table::Failure failure = Table::Failure::None;
    int left = 0;
};
Removal remove(const QString &name);

}
