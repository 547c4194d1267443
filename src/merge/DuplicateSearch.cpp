#include "DuplicateSearch.h"

#include "addressbook/ABPersonCompare.h"
#include "addressbook/ABSources.h"
#include "platform/DevLog.h"
#include "platform/Localization.h"
#include "shell/MainThread.h"
#include "shell/UiHost.h"

#include <QHash>

namespace {

bool isAscii(const QString &text)
{
    for (QChar c : text) {
        if (c.unicode() >= 0x80)
            return false;
    }
    return true;
}

// Drops the marks that a canonical decomposition splits off (accents, cedillas, rings …).
QString withoutMarks(const QString &decomposed)
{
    QString plain;
    plain.reserve(decomposed.size());
    const QList<uint> points = decomposed.toUcs4();
    for (uint point : points) {
        const QChar::Category category = QChar::category(char32_t(point));
        if (category != QChar::Mark_NonSpacing && category != QChar::Mark_Enclosing)
            plain.append(QString::fromUcs4(reinterpret_cast<const char32_t *>(&point), 1));
    }
    return plain;
}

// Full-width and half-width forms become their ordinary characters; nothing else of the
// compatibility mappings applies (a ligature or a superscript stays what it is).
QString withPlainWidth(const QString &text)
{
    QString plain;
    plain.reserve(text.size());
    const QList<uint> points = text.toUcs4();
    for (uint point : points) {
        const QChar::Decomposition tag = QChar::decompositionTag(char32_t(point));
        if (tag == QChar::Wide || tag == QChar::Narrow)
            plain.append(QChar::decomposition(char32_t(point)));
        else
            plain.append(QString::fromUcs4(reinterpret_cast<const char32_t *>(&point), 1));
    }
    return plain;
}

} // namespace

QString DuplicateSearch::foldName(const QString &name)
{
    if (isAscii(name))
        return name.toLower();
    QString folded = withoutMarks(withPlainWidth(name).normalized(QString::NormalizationForm_D)).toCaseFolded();
    // Case folding can bring back a decomposable character (İ folds to i with a dot above).
    return withoutMarks(folded.normalized(QString::NormalizationForm_D));
}

bool DuplicateSearch::namesEqual(const QString &a, const QString &b)
{
    return !a.isNull() && !b.isNull() && foldName(a) == foldName(b);
}

std::optional<QString> DuplicateSearch::personKey(const ABRecord &person, int criterion)
{
    const QString first = person.copyText(kABPersonFirstNameProperty);
    const QString last = person.copyText(kABPersonLastNameProperty);
    switch (criterion) {
    case FirstName:
        return first.isNull() ? std::nullopt : std::optional<QString>(foldName(first));
    case LastName:
        return last.isNull() ? std::nullopt : std::optional<QString>(foldName(last));
    case FirstAndLastName: {
        if (first.isNull() && last.isNull())
            return std::nullopt;
        // Which names are present is part of the key, and the first name's length keeps
        // ("ab", "c") apart from ("a", "bc").
        const QString foldedFirst = first.isNull() ? QString() : foldName(first);
        QString key;
        key.append(QLatin1Char(first.isNull() ? '-' : '+'));
        key.append(QLatin1Char(last.isNull() ? '-' : '+'));
        key.append(QString::number(foldedFirst.size()));
        key.append(QLatin1Char(':'));
        key.append(foldedFirst);
        if (!last.isNull())
            key.append(foldName(last));
        return key;
    }
    default:
        return std::nullopt;
    }
}

EntryList DuplicateSearch::duplicateRows(const QList<ABRecordRef> &sortedPeople, int criterion)
{
    // Group positions by key; a group lists its people in list order.
    const qsizetype count = sortedPeople.size();
    QHash<QString, int> groupOfKey;
    groupOfKey.reserve(count);
    QList<QList<int>> groups;
    QList<int> groupOfPerson(count, -1);
    for (qsizetype index = 0; index < count; ++index) {
        const std::optional<QString> key = personKey(*sortedPeople.at(index), criterion);
        if (!key)
            continue;
        auto found = groupOfKey.constFind(*key);
        int group = found == groupOfKey.constEnd() ? -1 : *found;
        if (group < 0) {
            group = int(groups.size());
            groupOfKey.insert(*key, group);
            groups.append(QList<int>());
        }
        groups[group].append(int(index));
        groupOfPerson[index] = group;
    }
    // The pairwise walk meets a group first at its first member, adds that member and then
    // every other member in list order; later members find themselves already listed.
    EntryList rows;
    rows.reserve(50);
    QList<bool> listed(groups.size(), false);
    for (qsizetype index = 0; index < count; ++index) {
        const int group = groupOfPerson.at(index);
        if (group < 0 || listed.at(group) || groups.at(group).size() < 2)
            continue;
        listed[group] = true;
        for (int member : groups.at(group)) {
            const ABRecordRef &person = sortedPeople.at(member);
            EntryData::appendRow(rows, person, person->recordID(), false);
        }
    }
    return rows;
}

Result<DuplicateSearch::Found> DuplicateSearch::search(int criterion)
{
    ABAddressBookRef book = ABSources::openAddressBook("searchDuplicates");
    if (!book)
        return Error{L("KErrCreateAddrBook")};
    if (ABSources::isSourceSelected() && !ABSources::selectedSource(*book))
        return Error{L("KErrCreateAllpeople")};
    QList<ABRecordRef> people = ABSources::peopleToWorkOn(*book);
    DevLog::log(QStringLiteral("%1 records").arg(book->personCount()));
    Found found;
    found.sortOrdering = book->sortOrdering();
    ABPersonSortPeopleByName(people, found.sortOrdering);
    found.rows = duplicateRows(people, criterion);
    return found;
}

EntryList DuplicateSearch::rowsForList(int criterion)
{
    Result<Found> found = search(criterion);
    if (found)
        return std::move(found->rows);
    const QString message = found.error();
    MainThread::callOnMainAndWait([message] { showError(message); });
    return {};
}
