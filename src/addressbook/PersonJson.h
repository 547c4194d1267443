#pragma once

#include "ABAddressBook.h"
#include "platform/Result.h"

#include <QJsonObject>
#include <QStringList>

// A person as JSON, for `vennaro add` and `vennaro show --json`:
// single texts by name ("firstName" …), "kind", "birthday" ("yyyy-MM-dd"), multi-values as
// lists of {"label": stored label or absent, "value": text, "yyyy-MM-dd" or object},
// "image" (Base64 of the stored bytes), "groups" (names) and "source" (source choice index).
namespace PersonJson {

struct Person {
    ABRecordRef record;   // a new person, not yet added
    QStringList groups;
    int sourceIndex = -1; // -1: the default source
};

// Fills `person` (a new person, not yet added) from the JSON.
Result<Person> fromJson(const QJsonObject &json, const ABRecordRef &person);
QJsonObject toJson(const ABRecordRef &person, const QStringList &groups);

// Dates without a time of day are kept at noon UTC, so that every time zone shows the same day.
QDateTime dateFromText(const QString &text);
QString textFromDate(const QDateTime &date);

}
