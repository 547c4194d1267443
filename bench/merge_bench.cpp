// The duplicate search, the group members screen and the two-person merge on large data.
// Goals: each criterion (search and rows) <= 1 s on 100,000 people with about 10% duplicates;
// the members of a group of 50,000 load <= 1 s; `vennaro merge` of two people with 200 values
// each <= 0.2 s.

#include "benchsupport.h"

#include "addressbook/ABSources.h"
#include "groups/GroupStore.h"
#include "merge/DuplicateSearch.h"
#include "selection/EntrySections.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QRandomGenerator>

#include <cstdio>

namespace {

constexpr int kPeople = 100000;
constexpr int kMembers = 50000;
constexpr int kValues = 200;

QString syllableName(QRandomGenerator &random, int syllables)
{
    static const char *const parts[] = {"an", "be", "ca", "do", "el", "fi", "go", "ha", "is", "jo", "ka", "lu",
                                        "ma", "ne", "or", "pi", "qu", "ra", "si", "to", "ur", "vi", "wa", "xe"};
    QString name;
    for (int index = 0; index < syllables; ++index)
        name += QLatin1String(parts[random.bounded(24)]);
    name[0] = name.at(0).toUpper();
    return name;
}

// 90% unique people, 10% copies of earlier ones with their letter case changed.
bool seed()
{
    BenchTimer timer(QStringLiteral("seeding (not a goal)"));
    QRandomGenerator random(7);
    ABAddressBookRef book = ABAddressBook::create();
    QList<QPair<QString, QString>> names;
    names.reserve(kPeople);
    ABRecordRef group = ABRecord::createGroup(book->copyDefaultSource());
    group->setValue(kABGroupNameProperty, QStringLiteral("Big"));
    book->addRecord(group);
    QList<ABRecordRef> people;
    for (int index = 0; index < kPeople; ++index) {
        QPair<QString, QString> name{syllableName(random, 3), syllableName(random, 4)};
        if (index > 0 && random.bounded(10) == 0) {
            name = names.at(random.bounded(int(names.size())));
            name.first = name.first.toUpper();
        }
        names.append(name);
        ABRecordRef person = ABRecord::createPerson();
        person->setValue(kABPersonFirstNameProperty, name.first);
        person->setValue(kABPersonLastNameProperty, name.second);
        book->addRecord(person);
        people.append(person);
    }
    if (!book->save())
        return false;
    for (int index = 0; index < kMembers; ++index)
        group->addMember(people.at(index * 2));
    // Two people with 200 phones and e-mails between them, half shared.
    for (int who = 0; who < 2; ++who) {
        ABRecordRef person = ABRecord::createPerson();
        person->setValue(kABPersonFirstNameProperty, QStringLiteral("Many"));
        ABMultiValue phones(kABMultiStringPropertyType), mails(kABMultiStringPropertyType);
        for (int value = 0; value < kValues / 2; ++value) {
            phones.addValueAndLabel(QStringLiteral("+351 21 %1").arg(value + who * kValues / 4), kABHomeLabel);
            mails.addValueAndLabel(QStringLiteral("m%1@example.org").arg(value + who * kValues / 4), kABWorkLabel);
        }
        person->setValue(kABPersonPhoneProperty, QVariant::fromValue(phones));
        person->setValue(kABPersonEmailProperty, QVariant::fromValue(mails));
        book->addRecord(person);
    }
    const bool saved = book->save();
    timer.report(kPeople);
    return saved;
}

void searchEachCriterion()
{
    const int sortOrdering = ABAddressBook::create()->sortOrdering();
    for (int criterion : {0, 1, 2}) {
        BenchTimer timer(QStringLiteral("duplicate search, criterion %1 (search, rows, sections)").arg(criterion));
        Result<DuplicateSearch::Found> found = DuplicateSearch::search(criterion);
        if (!found)
            return;
        EntrySections sections = EntrySections::build(found->rows, sortOrdering);
        timer.report(found->rows.size());
        std::printf("   %lld rows, %lld sections\n", qlonglong(found->rows.size()), qlonglong(sections.titles.size()));
    }
}

void loadMembers()
{
    const QList<GroupData> groups = GroupStore::loadGroups();
    if (groups.isEmpty())
        return;
    BenchTimer timer(QStringLiteral("members screen of a group of %1 (load, rows, sections)").arg(kMembers));
    Result<GroupStore::Members> members = GroupStore::loadMembers(groups.first().recID);
    if (!members)
        return;
    EntrySections::build(members->rows, members->sortOrdering);
    timer.report(members->rows.size());
    std::printf("   %d members\n", members->memberCount);
}

void mergeCommand(const BenchScratch &scratch)
{
    const QString program = qEnvironmentVariable("VENNARO_BINARY");
    if (program.isEmpty()) {
        std::printf("  vennaro merge: set VENNARO_BINARY to measure it\n");
        return;
    }
    const int last = ABAddressBook::create()->copyArrayOfAllPeople().last()->recordID();
    BenchTimer timer(QStringLiteral("vennaro merge of two people with %1 values each").arg(kValues));
    QProcess child;
    child.start(program, {QStringLiteral("--documents"), scratch.documents(), QStringLiteral("--addressbook"),
                          scratch.addressBook(), QStringLiteral("merge"), QString::number(last - 1), QString::number(last)});
    child.waitForFinished(-1);
    timer.report(child.readAllStandardOutput().count('\n'));
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::tempPath() + QStringLiteral("/merge_bench");
    QDir().mkpath(folder);
    BenchScratch scratch(folder, QStringLiteral("merge"));
    if (!seed()) {
        std::fprintf(stderr, "seeding failed\n");
        return 1;
    }
    searchEachCriterion();
    loadMembers();
    mergeCommand(scratch);
    return 0;
}
