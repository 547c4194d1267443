#include "addressbook/ABSources.h"
#include "addressbook/DemoSeeder.h"
#include "addressbook/PersonJson.h"
#include "formats/backup/ABRecordSerializer.h"
#include "formats/backup/BackupExport.h"
#include "formats/backup/BackupImport.h"
#include "formats/common/GroupNames.h"
#include "platform/KeyedArchiver.h"
#include "shell/AppData.h"
#include "shell/Documents.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTest>

#include <algorithm>

namespace {

struct RecordingProgress : ProgressTarget {
    QStringList calls;
    void setProgress(double value) override { calls.append(QString::number(value, 'f', 3)); }
    void savingData() override { calls.append(QStringLiteral("saving")); }
};

QStringList groupsOf(ABAddressBook &book, const ABRecordRef &person)
{
    QStringList names;
    for (const ABRecordRef &group : book.copyArrayOfAllGroups()) {
        for (const ABRecordRef &member : group->copyArrayOfAllMembers()) {
            if (member->recordID() == person->recordID())
                names.append(group->copyText(kABGroupNameProperty));
        }
    }
    names.sort();
    return names;
}

// Every person as JSON in record order; a value without a label reads back with the empty
// label, so the comparison gives every entry one.
QList<QJsonObject> people(ABAddressBook &book, bool emptyLabels)
{
    QList<QJsonObject> result;
    for (const ABRecordRef &person : book.copyArrayOfAllPeople()) {
        QJsonObject json = PersonJson::toJson(person, groupsOf(book, person));
        for (auto it = json.begin(); emptyLabels && it != json.end(); ++it) {
            if (!it.value().isArray() || it.key() == QLatin1String("groups"))
                continue;
            QJsonArray entries = it.value().toArray();
            for (qsizetype i = 0; i < entries.size(); ++i) {
                QJsonObject entry = entries[i].toObject();
                if (!entry.contains(QStringLiteral("label")))
                    entry.insert(QStringLiteral("label"), QString());
                entries[i] = entry;
            }
            it.value() = entries;
        }
        result.append(json);
    }
    return result;
}

EntryList rowsOf(ABAddressBook &book)
{
    EntryList rows;
    for (const ABRecordRef &person : book.copyArrayOfAllPeople()) {
        auto row = std::make_shared<EntryData>();
        row->recID = person->recordID();
        row->name = person->copyCompositeName();
        rows.append(row);
    }
    return rows;
}

ABRecordRef addPerson(ABAddressBook &book, const QByteArray &json, const QStringList &groups = {})
{
    Result<PersonJson::Person> person = PersonJson::fromJson(QJsonDocument::fromJson(json).object(), ABSources::createPerson(book));
    if (!person || !book.addRecord(person->record) || !book.save())
        return nullptr;
    for (const QString &name : groups) {
        if (!ABSources::groupExists(book, name))
            ABSources::addGroupByName(book, name);
    }
    book.save();
    for (const QString &name : groups)
        ABSources::addPersonToGroupByName(book, person->record, name);
    return book.save() ? person->record : nullptr;
}

// `count` seeded people, each with a small photo.
bool seedWithPhotos(ABAddressBook &book, int count)
{
    DemoSeeder::Options options;
    options.count = count;
    options.photos = true;
    options.photoSide = 8;
    return DemoSeeder::seed(book, options).ok();
}

// Switches the program to another, empty address book.
void useAddressBook(const QString &path)
{
    ABAddressBook::setDefaultPath(path);
    ABSources::reset();
}

// One person with a value in every field family (texts, kind, birthday, every multi-value,
// labels standard, own, empty and absent, an image).
QByteArray everyField()
{
    QFile file(TestEnvironment::dataPath(QStringLiteral("backup/every-field.json")));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// 60 seeded people with photos, a person with every field, one with NUL, non-ASCII and empty
// texts and entries without a label, and "Many", whose 1,002 phones take four-digit indexes
// (their keys no longer sort by index, which only the general paths work out).
bool addPeopleOfEveryShape(ABAddressBook &book)
{
    if (!seedWithPhotos(book, 60) || !addPerson(book, everyField(), {QStringLiteral("Friends"), QStringLiteral("Chess")})
        || !addPerson(book, R"({"firstName": "Nul\u0000Inside", "lastName": "", "note": "Ünïcødé ✓",
                               "emails": [{"value": "no-label@example.org"}, {"label": "", "value": "x"}]})"))
        return false;
    ABMultiValue phones(kABMultiStringPropertyType);
    for (int i = 0; i < 1002; ++i)
        phones.addValueAndLabel(QStringLiteral("+1 555 %1").arg(i), i % 2 ? std::optional<QString>(kABHomeLabel) : std::nullopt);
    ABRecordRef many = ABSources::createPerson(book);
    return many->setValue(kABPersonLastNameProperty, QStringLiteral("Many"))
        && many->setValue(kABPersonPhoneProperty, QVariant::fromValue(phones)) && book.addRecord(many) && book.save();
}

} // namespace

class BackupFormatTest : public QObject {
    Q_OBJECT

    // Copies of `blob` with a few bytes changed: whatever the direct reader makes of one, the
    // general path must make the same person of it, or refuse it too.
    static void checkDamagedCopies(const QByteArray &blob, int seed)
    {
        QRandomGenerator random{quint32(seed)};
        for (int copy = 0; copy < 300; ++copy) {
            QByteArray damaged = blob;
            for (int change = random.bounded(1, 4); change > 0; --change)
                damaged[random.bounded(qsizetype(damaged.size()))] = char(random.bounded(256));
            const ABRecordRef read = ABRecordSerializer::storedPersonFromData(damaged, nullptr, nullptr);
            if (!read)
                continue;
            const ABRecordRef decoded = ABRecordSerializer::decodedPersonFromData(damaged, nullptr, nullptr);
            QVERIFY(decoded);
            QCOMPARE(PersonJson::toJson(read, {}), PersonJson::toJson(decoded, {}));
        }
    }

private Q_SLOTS:
    void everyFieldFamilySurvivesWriteAndRead()
    {
        TestEnvironment env;
        ABAddressBookRef book = env.open();
        QVERIFY(seedWithPhotos(*book, 40));
        QVERIFY(addPerson(*book, everyField(), {QStringLiteral("Friends"), QStringLiteral("Chess")}));
        const QList<QJsonObject> before = people(*book, true);
        const QString file = env.path(QStringLiteral("all.vnbin"));
        RecordingProgress writing;
        QCOMPARE(exportDataBIN(file, rowsOf(*book), &writing, false), 41);
        QCOMPARE(writing.calls.size(), 41);
        QCOMPARE(writing.calls.last(), QStringLiteral("1.000"));
        book.reset();

        useAddressBook(env.path(QStringLiteral("second.db")));
        RecordingProgress reading;
        QCOMPARE(importDataBIN(file, FieldFilter::Default, &reading), 41);
        QCOMPARE(reading.calls.size(), 42);
        QCOMPARE(reading.calls.at(40), QStringLiteral("1.000"));
        QCOMPARE(reading.calls.last(), QStringLiteral("saving"));
        ABAddressBookRef second = ABAddressBook::create();
        const QList<QJsonObject> after = people(*second, false);
        QCOMPARE(after.size(), before.size());
        for (qsizetype i = 0; i < before.size(); ++i)
            QCOMPARE(QJsonDocument(after[i]).toJson(), QJsonDocument(before[i]).toJson());
        // The every-field person: the value without a label has the empty label now.
        const QJsonArray phones = after.last().value(QStringLiteral("phones")).toArray();
        QCOMPARE(phones.at(1).toObject().value(QStringLiteral("label")).toString(), QString());
        QVERIFY(phones.at(1).toObject().contains(QStringLiteral("label")));
    }

    void anOutsideReaderFindsTheKeyedArchiveStructure()
    {
        TestEnvironment env;
        ABAddressBookRef book = env.open();
        ABRecordRef person = addPerson(*book, everyField(), {QStringLiteral("Chess")});
        QVERIFY(addPerson(*book, R"({"firstName": "Solo"})"));
        const QString file = env.path(QStringLiteral("two.vnbin"));
        QCOMPARE(exportDataBIN(file, rowsOf(*book), nullptr, false), 2);

        QProcess python;
        python.start(QStringLiteral("python3"), {TestEnvironment::dataPath(QStringLiteral("backup/inspect_vnbin.py")), file});
        QVERIFY(python.waitForFinished(60000));
        QCOMPARE(python.exitCode(), 0);
        const QJsonObject report = QJsonDocument::fromJson(python.readAllStandardOutput()).object();
        const QJsonObject header = report.value(QStringLiteral("file")).toObject();
        QCOMPARE(header.value(QStringLiteral("archiver")).toString(), QStringLiteral("NSKeyedArchiver"));
        QCOMPARE(header.value(QStringLiteral("version")).toInt(), 100000);
        QCOMPARE(header.value(QStringLiteral("root")).toInt(), 1);
        QCOMPARE(header.value(QStringLiteral("null")).toString(), QStringLiteral("$null"));
        const QJsonArray blobs = report.value(QStringLiteral("blobs")).toArray();
        QCOMPARE(blobs.size(), 2);

        const QJsonObject full = blobs.at(0).toObject();
        QCOMPARE(full.value(QStringLiteral("header")).toObject().value(QStringLiteral("classes")).toArray(),
                 (QJsonArray{QStringLiteral("NSArray"), QStringLiteral("NSDate"), QStringLiteral("NSDictionary")}));
        QCOMPARE(full.value(QStringLiteral("keys")).toArray(),
                 (QJsonArray{0, 1, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 16, 17, 18, 19, 20, 21, 22, 23, 46, 99998, 99999}));
        const QJsonObject values = full.value(QStringLiteral("values")).toObject();
        QCOMPARE(values.value(QStringLiteral("0")).toString(), QStringLiteral("Zoë"));
        QCOMPARE(values.value(QStringLiteral("16")).toInt(), 1);
        QCOMPARE(values.value(QStringLiteral("17")).toObject().value(QStringLiteral("date")).toDouble(), -978264000.0);
        const QJsonObject phones = values.value(QStringLiteral("3")).toObject();
        QCOMPARE(phones.keys(), (QStringList{QStringLiteral("000_$!<Mobile>!$_"), QStringLiteral("001"),
                                             QStringLiteral("002Boat"), QStringLiteral("003")}));
        QCOMPARE(values.value(QStringLiteral("5")).toObject().value(QStringLiteral("000_$!<Home>!$_")).toObject()
                     .value(QStringLiteral("City")).toString(), QStringLiteral("Braga"));
        QCOMPARE(values.value(QStringLiteral("99998")).toArray(), QJsonArray{QStringLiteral("Chess")});
        QCOMPARE(values.value(QStringLiteral("99999")).toObject().value(QStringLiteral("bytes")).toInt(),
                 int(person->copyImageData().size()));

        const QJsonObject solo = blobs.at(1).toObject();
        QCOMPARE(solo.value(QStringLiteral("keys")).toArray(), (QJsonArray{0, 99998}));
        QCOMPARE(solo.value(QStringLiteral("values")).toObject().value(QStringLiteral("99998")).toArray(), QJsonArray());
    }

    void markerIsAppendedToTheLastName()
    {
        TestEnvironment env;
        ABAddressBookRef book = env.open();
        QVERIFY(addPerson(*book, R"({"firstName": "Ann", "lastName": "Smith"})"));
        QVERIFY(addPerson(*book, R"({"firstName": "Bo"})"));
        QVERIFY(addPerson(*book, R"({"organization": "Acme"})"));
        const QString file = env.path(QStringLiteral("m.vnbin"));
        QCOMPARE(exportDataBIN(file, rowsOf(*book), nullptr, false), 3);
        book.reset();
        useAddressBook(env.path(QStringLiteral("marked.db")));
        QCOMPARE(importDataBIN(file, FieldFilter::Default | FieldFilter::Marker, nullptr), 3);
        QList<QString> lastNames;
        for (const ABRecordRef &person : ABAddressBook::create()->copyArrayOfAllPeople())
            lastNames.append(person->copyText(kABPersonLastNameProperty));
        QCOMPARE(lastNames, (QList<QString>{QStringLiteral("Smith (*)"), QStringLiteral(" (*)"), QStringLiteral(" (*)")}));
    }

    // A text may hold a NUL character (a note pasted from elsewhere, a name from a broken
    // sync): the backup keeps it like any other, and the person comes back.
    void textsWithANulCharacterComeBack()
    {
        TestEnvironment env;
        ABAddressBookRef book = env.open();
        QVERIFY(addPerson(*book, R"({"firstName": "Nul\u0000Inside", "note": "a\u0000b",
                                     "emails": [{"label": "x\u0000y", "value": "ana@example.org"}]})"));
        const QList<QJsonObject> before = people(*book, true);
        const QString file = env.path(QStringLiteral("nul.vnbin"));
        QCOMPARE(exportDataBIN(file, rowsOf(*book), nullptr, false), 1);
        book.reset();

        useAddressBook(env.path(QStringLiteral("second.db")));
        QCOMPARE(importDataBIN(file, FieldFilter::Default, nullptr), 1);
        const QList<QJsonObject> after = people(*ABAddressBook::create(), false);
        QCOMPARE(after, before);
        QCOMPARE(after.first().value(QStringLiteral("note")).toString(), QStringLiteral("a") + QChar(0) + QStringLiteral("b"));
    }

    // A backup of many people is archived, and read back, on helper threads a batch at a
    // time: the file keeps the order of the selection, and each person comes back whole, with
    // its image and groups, in that order.
    void manyPeopleComeBackInTheOrderOfTheSelection()
    {
        TestEnvironment env;
        ABAddressBookRef book = env.open();
        QVERIFY(seedWithPhotos(*book, 1100));
        const QList<ABRecordRef> all = book->copyArrayOfAllPeople();
        QVERIFY(ABSources::addGroupByName(*book, QStringLiteral("Club")) && book->save());
        for (qsizetype i = 0; i < all.size(); i += 7)
            ABSources::addPersonToGroupByName(*book, all[i], QStringLiteral("Club"));
        QVERIFY(book->save());
        QList<QJsonObject> before = people(*book, true);
        QVERIFY(std::any_of(before.begin(), before.end(), [](const QJsonObject &p) { return p.contains(QStringLiteral("image")); }));
        EntryList rows = rowsOf(*book);
        std::reverse(rows.begin(), rows.end());
        std::reverse(before.begin(), before.end());
        const QString file = env.path(QStringLiteral("many.vnbin"));
        QCOMPARE(exportDataBIN(file, rows, nullptr, false), 1100);
        book.reset();

        useAddressBook(env.path(QStringLiteral("second.db")));
        QCOMPARE(importDataBIN(file, FieldFilter::Default, nullptr), 1100);
        QCOMPARE(people(*ABAddressBook::create(), false), before);
    }

    void emptyListGivesZero()
    {
        TestEnvironment env;
        const QString file = env.path(QStringLiteral("empty.vnbin"));
        EntryList rows = rowsOf(*env.open());
        QCOMPARE(exportDataBIN(file, rows, nullptr, false), 0);
        QVERIFY(QFile::exists(file));
        QCOMPARE(importDataBIN(file, 0, nullptr), 0);
        QCOMPARE(env.open()->personCount(), 0);
    }

    void readerSkipsBlobsThatAreNoPersons()
    {
        // Not an archive; a list instead of a dictionary; a text for the kind; empty image.
        TestEnvironment env;
        QCOMPARE(importDataBIN(TestEnvironment::dataPath(QStringLiteral("backup/partly-broken.vnbin")), 0, nullptr), 1);
        ABAddressBookRef book = env.open();
        QCOMPARE(book->personCount(), 1);
        ABRecordRef person = book->copyArrayOfAllPeople().first();
        QCOMPARE(person->copyText(kABPersonFirstNameProperty), QStringLiteral("Inês"));
        QCOMPARE(groupsOf(*book, person), (QStringList{QStringLiteral("Family"), QStringLiteral("Work")}));
    }

    void brokenFilesChangeNothing()
    {
        TestEnvironment env;
        ABAddressBookRef book = env.open();
        DemoSeeder::Options options;
        options.count = 5;
        QVERIFY(DemoSeeder::seed(*book, options).ok());
        const QList<QJsonObject> before = people(*book, false);
        const int groups = int(book->copyArrayOfAllGroups().size());
        book.reset();
        const QDir folder(TestEnvironment::dataPath(QStringLiteral("backup-broken")));
        const QStringList files = folder.entryList({QStringLiteral("*.vnbin")}, QDir::Files);
        QVERIFY(files.size() >= 25);
        for (const QString &name : files) {
            QCOMPARE(importDataBIN(folder.filePath(name), FieldFilter::Marker, nullptr), -1);
            ABAddressBookRef after = env.open();
            QVERIFY2(people(*after, false) == before, qPrintable(name));
            QCOMPARE(int(after->copyArrayOfAllGroups().size()), groups);
        }
        QCOMPARE(importDataBIN(env.path(QStringLiteral("missing.vnbin")), 0, nullptr), -1);
    }

    void deleteWritesTheRecoveryFileThenRemoves()
    {
        TestEnvironment env;
        ABAddressBookRef book = env.open();
        QVERIFY(addPerson(*book, R"({"firstName": "Keep"})", {QStringLiteral("Club")}));
        QVERIFY(addPerson(*book, R"({"firstName": "Gone", "lastName": "One"})", {QStringLiteral("Club")}));
        QVERIFY(addPerson(*book, R"({"firstName": "Gone", "lastName": "Two", "phones": [{"value": "1"}]})"));
        EntryList rows = rowsOf(*book);
        rows[0]->selected = false;
        book.reset();

        BinExportReport report;
        QCOMPARE(BackupFiles::deleteWithRecoveryFile(rows, nullptr, &report), 2);
        QCOMPARE(report.written, 2);
        QCOMPARE(report.removed, 2);
        QCOMPARE(BackupFiles::trashPath(), Documents::filePath(QStringLiteral("trash.vnbin")));
        book = env.open();
        QCOMPARE(book->personCount(), 1);
        QCOMPARE(book->copyArrayOfAllPeople().first()->copyText(kABPersonFirstNameProperty), QStringLiteral("Keep"));

        // The recovery file brings them back, without groups.
        QCOMPARE(importDataBIN(BackupFiles::trashPath(), 0, nullptr), 2);
        book = env.open();
        QCOMPARE(book->personCount(), 3);
        for (const ABRecordRef &person : book->copyArrayOfAllPeople()) {
            if (person->copyText(kABPersonFirstNameProperty) == QLatin1String("Gone"))
                QVERIFY(groupsOf(*book, person).isEmpty());
        }
        QCOMPARE(book->copyArrayOfAllGroups().size(), 1);
    }

    void deleteRemovesNothingWhenTheRecoveryFileCannotBeWritten()
    {
        TestEnvironment env;
        ABAddressBookRef book = env.open();
        QVERIFY(addPerson(*book, R"({"firstName": "Stay"})"));
        EntryList rows = rowsOf(*book);
        book.reset();
        // A documents "folder" that is a file: trash.vnbin cannot be made inside it.
        const QString notAFolder = env.path(QStringLiteral("plain-file"));
        QFile file(notAFolder);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        Documents::setPath(notAFolder);
        BinExportReport report;
        QCOMPARE(BackupFiles::deleteWithRecoveryFile(rows, nullptr, &report), -1);
        QCOMPARE(report.removed, 0);
        QCOMPARE(env.open()->personCount(), 1);
        Documents::setPath(env.documents());
    }

    void everyDeleteKeepsItsRecoveryFile()
    {
        TestEnvironment env;
        ABAddressBookRef book = env.open();
        for (const char *name : {"First", "Second", "Third"}) {
            const QByteArray json = QByteArray("{\"firstName\": \"") + name + "\"}";
            QVERIFY(addPerson(*book, json));
        }
        const EntryList all = rowsOf(*book);
        book.reset();
        // Three deletes, two of them within one second: each batch stays in a file of its own,
        // the latest as trash.vnbin.
        for (const EntryDataRef &row : all) {
            for (const EntryDataRef &other : all)
                other->selected = other == row;
            QCOMPARE(BackupFiles::deleteWithRecoveryFile(all, nullptr), 1);
        }
        QCOMPARE(env.open()->personCount(), 0);
        const QStringList files = QDir(env.documents()).entryList({QStringLiteral("trash*.vnbin")}, QDir::Files, QDir::Name);
        QCOMPARE(files.size(), 3);
        QVERIFY(files.contains(QStringLiteral("trash.vnbin")));
        static const QRegularExpression kept(QStringLiteral("^trash-\\d{8}-\\d{6}(-\\d+)?\\.vnbin$"));
        QStringList restored;
        for (const QString &name : files) {
            QVERIFY2(name == QLatin1String("trash.vnbin") || kept.match(name).hasMatch(), qPrintable(name));
            useAddressBook(env.path(name + QStringLiteral(".db")));
            QCOMPARE(importDataBIN(Documents::filePath(name), 0, nullptr), 1);
            restored.append(ABAddressBook::create()->copyArrayOfAllPeople().first()->copyText(kABPersonFirstNameProperty));
        }
        restored.sort();
        QCOMPARE(restored, (QStringList{QStringLiteral("First"), QStringLiteral("Second"), QStringLiteral("Third")}));
        useAddressBook(env.path(QStringLiteral("latest.db")));
        QCOMPARE(importDataBIN(BackupFiles::trashPath(), 0, nullptr), 1);
        QCOMPARE(ABAddressBook::create()->copyArrayOfAllPeople().first()->copyText(kABPersonFirstNameProperty), QStringLiteral("Third"));
        useAddressBook(env.addressBookPath());
    }

    void exportReplacesAnOlderFile()
    {
        TestEnvironment env;
        ABAddressBookRef book = env.open();
        QVERIFY(addPerson(*book, R"({"firstName": "New"})"));
        const QString path = env.path(QStringLiteral("old.vnbin"));
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(100000, 'x'));
        old.close();
        QCOMPARE(exportDataBIN(path, rowsOf(*book), nullptr, false), 1);
        useAddressBook(env.path(QStringLiteral("other.db")));
        QCOMPARE(importDataBIN(path, 0, nullptr), 1);
        QCOMPARE(exportDataBIN(env.path(QStringLiteral("no-folder/x.vnbin")), EntryList(), nullptr, false), -1);
    }

    void multiValueKeysKeepIndexAndLabel()
    {
        // 1002 values: from the 1001st on the index has four digits, and a label may itself
        // begin with a digit.
        ABMultiValue multi(kABMultiStringPropertyType);
        for (int i = 0; i < 1002; ++i) {
            std::optional<QString> label;
            if (i == 5)
                label = QStringLiteral("7up");
            else if (i == 100)
                label = QStringLiteral("0800 line");
            else if (i == 1000)
                label = kABHomeLabel;
            else if (i % 3 == 0)
                label = QStringLiteral("L%1").arg(i);
            multi.addValueAndLabel(QStringLiteral("v%1").arg(i), label);
        }
        const QVariantMap written = ABRecordSerializer::dictionaryFromMultiValueProperty(multi);
        QVERIFY(written.contains(QStringLiteral("0057up")));
        QVERIFY(written.contains(QStringLiteral("1000_$!<Home>!$_")));
        QVERIFY(written.contains(QStringLiteral("1001")));
        KeyedDictionary dictionary;
        for (auto it = written.begin(); it != written.end(); ++it)
            dictionary.insert(it.key(), it.value());
        std::optional<ABMultiValue> read = ABRecordSerializer::multiValuePropertyFromDictionary(dictionary);
        QVERIFY(read.has_value());
        QCOMPARE(read->count(), 1002);
        for (int i = 0; i < 1002; ++i) {
            QCOMPARE(read->copyValueAtIndex(i).toString(), QStringLiteral("v%1").arg(i));
            QCOMPARE(read->copyLabelAtIndex(i).value(), multi.copyLabelAtIndex(i).value_or(QString()));
        }
    }

    // People read from the book are archived as their stored values are read, without the
    // dictionary of variants, and blobs of that shape are read back straight into the stored
    // form: the bytes must be those of the general archiving path, and the person read back
    // the one the general reading path makes of the same blob, value for value.
    void directPathsGiveWhatTheGeneralPathsGive()
    {
        TestEnvironment env;
        QVERIFY(addPeopleOfEveryShape(*env.open()));
        ABAddressBookRef book = env.open();
        const GroupMemberships memberships(*book);
        int direct = 0;
        for (const ABRecordRef &person : book->copyArrayOfAllPeople()) {
            const ABRecordCodec::Stored *stored = person->storedForm();
            QVERIFY(stored);
            const QStringList groups = memberships.namesOf(person->recordID());
            const std::optional<QByteArray> general =
                ABRecordSerializer::dictionaryToData(ABRecordSerializer::personDictionary(*person, groups));
            QVERIFY(general.has_value());
            QCOMPARE(*ABRecordSerializer::personToData(*person, groups), *general);
            const std::optional<QByteArray> archived = ABRecordSerializer::storedPersonToData(*stored, *person, groups);
            QStringList readGroups, decodedGroups;
            const ABRecordRef read = ABRecordSerializer::storedPersonFromData(*general, nullptr, &readGroups);
            const ABRecordRef decoded = ABRecordSerializer::decodedPersonFromData(*general, nullptr, &decodedGroups);
            QVERIFY(decoded);
            if (person->copyText(kABPersonLastNameProperty) == QLatin1String("Many")) {
                QVERIFY(!archived.has_value());
                QVERIFY(!read);
                continue;
            }
            QVERIFY2(archived.has_value() && read, qPrintable(person->copyCompositeName()));
            QCOMPARE(*archived, *general);
            QCOMPARE(PersonJson::toJson(read, readGroups), PersonJson::toJson(decoded, decodedGroups));
            QCOMPARE(readGroups, groups);
            if (++direct % 10 == 0)
                checkDamagedCopies(*general, direct);
        }
        QCOMPARE(direct, 62);
    }

    // Archives of other shapes are the general path's, which keeps the last of a key given
    // twice, puts entries in index order, reads nil as no value and refuses a misfit.
    void archivesOfOtherShapesAreLeftToTheGeneralPath()
    {
        auto archive = [](std::initializer_list<std::pair<QVariant, QVariant>> entries) {
            KeyedDictionary dictionary;
            for (const auto &[key, value] : entries)
                dictionary.insert(key, value);
            return *KeyedArchiver::archivedData(QVariant::fromValue(dictionary));
        };
        const qint64 last = kABPersonLastNameProperty;
        KeyedDictionary outOfOrder;
        outOfOrder.insert(QStringLiteral("001_$!<Work>!$_"), QStringLiteral("2"));
        outOfOrder.insert(QStringLiteral("000_$!<Home>!$_"), QStringLiteral("1"));
        const QByteArray shapes[] = {
            archive({{last, QStringLiteral("First")}, {last, QStringLiteral("Second")}}),
            archive({{last, QStringLiteral("Kept")}, {qint64(kABPersonNoteProperty), QVariant()}}),
            archive({{last, QStringLiteral("Sorted")}, {qint64(kABPersonPhoneProperty), QVariant::fromValue(outOfOrder)}}),
            archive({{QStringLiteral("text key"), QStringLiteral("x")}, {last, QStringLiteral("Text key")}}),
            archive({{last, QStringLiteral("Misfit")}, {qint64(kABPersonNoteProperty), qint64(3)}}),
        };
        for (const QByteArray &blob : shapes) {
            QVERIFY(!ABRecordSerializer::storedPersonFromData(blob, nullptr, nullptr));
            const ABRecordRef person = ABRecordSerializer::createPersonFromData(blob, nullptr, nullptr);
            const ABRecordRef decoded = ABRecordSerializer::decodedPersonFromData(blob, nullptr, nullptr);
            QCOMPARE(bool(person), bool(decoded));
            if (person)
                QCOMPARE(PersonJson::toJson(person, {}), PersonJson::toJson(decoded, {}));
        }
        const ABRecordRef sorted = ABRecordSerializer::createPersonFromData(shapes[2], nullptr, nullptr);
        QVERIFY(sorted);
        QCOMPARE(sorted->copyMultiValue(kABPersonPhoneProperty).copyValueAtIndex(0).toString(), QStringLiteral("1"));
        QCOMPARE(ABRecordSerializer::createPersonFromData(shapes[0], nullptr, nullptr)->copyText(kABPersonLastNameProperty),
                 QStringLiteral("Second"));
        QVERIFY(!ABRecordSerializer::createPersonFromData(shapes[4], nullptr, nullptr));
    }

    // A number with a fraction, a multi-value where one value belongs and the reverse are left
    // to the general path.
    void storedValuesOfAnotherShapeAreLeftToTheGeneralPath()
    {
        const ABRecordRef person = ABRecord::createPerson();
        const std::pair<ABPropertyID, QVariant> odd[] = {
            {kABPersonNicknameProperty, 2.5},
            {kABPersonEmailProperty, QStringLiteral("not a list")},
            {kABPersonFirstNameProperty, QVariant::fromValue(ABMultiValue(kABMultiStringPropertyType))},
        };
        for (const auto &[property, value] : odd) {
            ABRecordCodec::Stored stored;
            stored.assign(ABRecordCodec::encode({{kABPersonLastNameProperty, QStringLiteral("Odd")}, {property, value}}));
            QVERIFY2(!ABRecordSerializer::storedPersonToData(stored, *person, {}).has_value(), qPrintable(QString::number(property)));
        }
        ABRecordCodec::Stored plain;
        plain.assign(ABRecordCodec::encode({{kABPersonLastNameProperty, QStringLiteral("Plain")}}));
        QVERIFY(ABRecordSerializer::storedPersonToData(plain, *person, {}).has_value());
    }

    void multiValueOfMixedTypesIsRefused()
    {
        KeyedDictionary mixed;
        mixed.insert(QStringLiteral("000"), QStringLiteral("text"));
        mixed.insert(QStringLiteral("001"), QDateTime::currentDateTimeUtc());
        QVERIFY(!ABRecordSerializer::multiValuePropertyFromDictionary(mixed).has_value());
        KeyedDictionary numbers;
        numbers.insert(QStringLiteral("000"), qint64(1));
        QVERIFY(!ABRecordSerializer::multiValuePropertyFromDictionary(numbers).has_value());
        KeyedDictionary nested;
        KeyedDictionary address;
        address.insert(QStringLiteral("City"), qint64(5));
        nested.insert(QStringLiteral("000_$!<Home>!$_"), QVariant::fromValue(address));
        QVERIFY(!ABRecordSerializer::multiValuePropertyFromDictionary(nested).has_value());
    }
};

QTEST_GUILESS_MAIN(BackupFormatTest)
#include "backup_format_test.moc"
