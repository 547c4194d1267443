#include "DuplicateSearch.h"

#include "addressbook/ABPersonCompare.h"
#include "addressbook/ABSources.h"
#include "platform/AsciiText.h"
#include "platform/DevLog.h"
#include "platform/Localization.h"
#include "shell/MainThread.h"
#include "shell/UiHost.h"

#include <QCollatorSortKey>
#include <QHash>

#include <algorithm>
#include <numeric>
#include <vector>

namespace {

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
    if (AsciiText::isAscii(name))
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

QList<ABRecordRef> DuplicateSearch::duplicatePeople(ABAddressBook &book, int criterion, int sortOrdering)
{
    // One walk groups the working set by key; only the identifiers stay.
    struct Candidate {
        ABRecordID id;
        int group;
    };
    QHash<QString, int> groupOfKey;
    std::vector<int> groupSize;
    std::vector<Candidate> candidates;
    ABSources::forEachPersonToWorkOn(book, [&](const ABRecordRef &person) {
        const std::optional<QString> key = personKey(*person, criterion);
        if (!key)
            return;
        const auto found = groupOfKey.constFind(*key);
        const int group = found == groupOfKey.constEnd() ? int(groupSize.size()) : *found;
        if (group == int(groupSize.size())) {
            groupOfKey.insert(*key, group);
            groupSize.push_back(0);
        }
        ++groupSize[size_t(group)];
        candidates.push_back({person->recordID(), group});
    });
    std::erase_if(candidates, [&groupSize](const Candidate &candidate) { return groupSize[size_t(candidate.group)] < 2; });

    // Putting just the people with a partner in list order keeps the order they have in the
    // whole sorted list (the sort is stable and the walk is in list-building order).
    QList<ABRecordID> walked;
    walked.reserve(qsizetype(candidates.size()));
    for (const Candidate &candidate : candidates)
        walked.append(candidate.id);
    const QCollator collator = ABPersonNameCollator();
    std::vector<QCollatorSortKey> sortKeys;
    sortKeys.reserve(candidates.size());
    const QList<ABRecordRef> people = book.peopleWithRecordIDs(walked);
    for (const ABRecordRef &person : people)
        sortKeys.push_back(collator.sortKey(person ? ABPersonSortName(*person, sortOrdering) : QString()));
    std::vector<size_t> order(candidates.size());
    std::iota(order.begin(), order.end(), size_t(0));
    std::stable_sort(order.begin(), order.end(), [&sortKeys](size_t x, size_t y) { return sortKeys[x].compare(sortKeys[y]) < 0; });

    // The pairwise walk meets a group first at its first member, adds that member and then
    // every other member in list order; later members find themselves already listed.
    QHash<int, QList<ABRecordRef>> members;
    for (size_t index : order)
        members[candidates[index].group].append(people.at(qsizetype(index)));
    QList<ABRecordRef> listed;
    listed.reserve(people.size());
    for (size_t index : order)
        listed.append(members.take(candidates[index].group));  // empty once the group is listed
    return listed;
}

Result<DuplicateSearch::Found> DuplicateSearch::search(int criterion)
{
    ABAddressBookRef book = ABSources::openAddressBook("searchDuplicates");
    if (!book)
        return Error{L("KErrCreateAddrBook")};
    if (ABSources::isSourceSelected() && !ABSources::selectedSource(*book))
        return Error{L("KErrCreateAllpeople")};
    DevLog::log(QStringLiteral("%1 records").arg(book->personCount()));
    Found found;
    found.sortOrdering = book->sortOrdering();
    for (const ABRecordRef &person : duplicatePeople(*book, criterion, found.sortOrdering)) {
        if (person)
            EntryData::appendRow(found.rows, *person, person->recordID(), false);
    }
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
