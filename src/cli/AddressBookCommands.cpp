// Commands that read and fill the address book: seed, add, show, list, sources.

#include "Command.h"
#include "ContactRows.h"
#include "addressbook/ABSources.h"
#include "addressbook/DemoSeeder.h"
#include "addressbook/EntryData.h"
#include "addressbook/PersonJson.h"
#include "addressbook/PersonText.h"
#include "platform/Localization.h"
#include "selection/ABEntriesLoader.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringEncoder>

#include <charconv>
#include <cstdio>

namespace {

ABAddressBookRef openBook(QString *message)
{
    QString error;
    ABAddressBookRef book = ABAddressBook::create(&error);
    if (!book)
        *message = L("KErrCreateAddrBook") + QLatin1Char(' ') + error;
    return book;
}

bool parseCount(const QString &text, int &count)
{
    bool ok = false;
    count = text.toInt(&ok);
    return ok && count >= 0;
}

int runSeed(const Arguments &args)
{
    DemoSeeder::Options options;
    if (!parseCount(args.value(QStringLiteral("count"), QStringLiteral("100")), options.count))
        return Commands::fail(QStringLiteral("seed: --count needs a whole number"));
    bool ok = true;
    options.seed = args.value(QStringLiteral("seed"), QStringLiteral("1")).toUInt(&ok);
    if (!ok)
        return Commands::fail(QStringLiteral("seed: --seed needs a whole number"));
    options.photos = args.has(QStringLiteral("photos"));
    options.sources = args.has(QStringLiteral("sources"));
    QString message;
    ABAddressBookRef book = openBook(&message);
    if (!book)
        return Commands::fail(message);
    Result<int> added = DemoSeeder::seed(*book, options);
    if (!added)
        return Commands::fail(QStringLiteral("seed: %1").arg(added.error()));
    Commands::out() << *added << Qt::endl;
    return 0;
}

int runAdd(const Arguments &args)
{
    QString path = args.value(QStringLiteral("json"));
    if (path.isEmpty())
        return Commands::fail(QStringLiteral("add: --json FILE is required (- for standard input)"));
    QFile file;
    bool opened = path == QLatin1String("-") ? file.open(stdin, QIODevice::ReadOnly) : (file.setFileName(path), file.open(QIODevice::ReadOnly));
    if (!opened)
        return Commands::fail(QStringLiteral("add: cannot read %1: %2").arg(path, file.errorString()));
    QJsonParseError parseError;
    QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &parseError);
    if (!document.isObject())
        return Commands::fail(QStringLiteral("add: %1 is not a JSON object (%2)").arg(path, parseError.errorString()));
    QString message;
    ABAddressBookRef book = openBook(&message);
    if (!book)
        return Commands::fail(message);
    const QJsonObject json = document.object();
    if (json.contains(QStringLiteral("source"))) {
        int index = json.value(QStringLiteral("source")).toInt(-1);
        if (index < 0 || index >= ABSources::choiceCount())
            return Commands::fail(QStringLiteral("add: there is no source %1 (see `vennaro sources`)").arg(index));
        ABSources::setSelectedIndex(index);
    }
    Result<PersonJson::Person> person = PersonJson::fromJson(json, ABSources::createPerson(*book));
    if (!person)
        return Commands::fail(QStringLiteral("add: %1").arg(person.error()));
    const ABRecordRef &record = person->record;
    QString error;
    if (!book->addRecord(record, &error) || !book->save(&error))
        return Commands::fail(QStringLiteral("add: %1").arg(error));
    for (const QString &name : std::as_const(person->groups)) {
        if (!ABSources::groupExists(*book, name))
            ABSources::addGroupByName(*book, name);
    }
    if (!person->groups.isEmpty() && !book->save(&error))
        return Commands::fail(QStringLiteral("add: %1").arg(error));
    for (const QString &name : std::as_const(person->groups))
        ABSources::addPersonToGroupByName(*book, record, name);
    if (!book->save(&error))
        return Commands::fail(QStringLiteral("add: %1").arg(error));
    Commands::out() << record->recordID() << Qt::endl;
    return 0;
}

int runShow(const Arguments &args)
{
    if (args.positional.size() != 1)
        return Commands::fail(QStringLiteral("show: give one record identifier"));
    bool ok = false;
    ABRecordID id = args.positional.first().toInt(&ok);
    if (!ok)
        return Commands::fail(QStringLiteral("show: \"%1\" is not a record identifier").arg(args.positional.first()));
    QString message;
    ABAddressBookRef book = openBook(&message);
    if (!book)
        return Commands::fail(message);
    ABRecordRef person = book->personWithRecordID(id);
    if (!person)
        return Commands::fail(QStringLiteral("show: no person has the identifier %1").arg(id));
    if (args.has(QStringLiteral("json")))
        Commands::out() << QJsonDocument(PersonJson::toJson(person, PersonText::groupNames(*book, person))).toJson(QJsonDocument::Indented);
    else
        Commands::out() << PersonText::readable(*book, person);
    return 0;
}

bool selectSource(const Arguments &args, QString *message)
{
    if (!args.has(QStringLiteral("source")))
        return true;
    bool ok = false;
    int index = args.value(QStringLiteral("source")).toInt(&ok);
    if (!ok || index < 0 || index >= ABSources::choiceCount()) {
        *message = QStringLiteral("there is no source %1 (see `vennaro sources`)").arg(args.value(QStringLiteral("source")));
        return false;
    }
    ABSources::setSelectedIndex(index);
    return true;
}

int runList(const Arguments &args)
{
    QString message;
    if (!selectSource(args, &message))
        return Commands::fail(QStringLiteral("list: ") + message);
    // The same rows, in the same order, as the contact selection list shows.
    Result<ABEntriesLoader::Loaded> loaded = ABEntriesLoader::loadWorkingSet(true);
    if (!loaded)
        return Commands::fail(loaded.error());
    // A hundred thousand lines: encoded straight into one buffer, written a chunk at a time.
    Commands::out().flush();
    QStringEncoder utf8(QStringEncoder::Utf8);
    QByteArray chunk;
    for (const EntryDataRef &row : std::as_const(loaded->rows)) {
        char number[16];
        chunk.append(number, std::to_chars(number, number + sizeof number, row->recID).ptr - number);
        chunk += '\t';
        const qsizetype at = chunk.size();
        chunk.resize(at + utf8.requiredSpace(row->name.size()));
        chunk.truncate(utf8.appendToBuffer(chunk.data() + at, row->name) - chunk.constData());
        chunk += '\n';
        if (chunk.size() >= 64 * 1024) {
            std::fwrite(chunk.constData(), 1, size_t(chunk.size()), stdout);
            chunk.resize(0); // keeps the buffer
        }
    }
    std::fwrite(chunk.constData(), 1, size_t(chunk.size()), stdout);
    return 0;
}

int runSources(const Arguments &)
{
    int count = ABSources::choiceCount();
    if (count == 0)
        return Commands::fail(L("KErrCreateAddrBook"));
    for (int row = 0; row < count; ++row)
        Commands::out() << row << '\t' << ABSources::choiceName(row) << '\n';
    return 0;
}

} // namespace

VENNARO_COMMAND({QStringLiteral("seed"), QStringLiteral("add fictional people for trying things out"),
                 QStringLiteral("Usage: vennaro seed --count N [--seed S] [--photos] [--sources]\n\n"
                                "Adds N fictional people (the same N and S always give the same people), a few\n"
                                "groups, photos with --photos, and Exchange, CardDAV and LDAP sources with\n"
                                "--sources. Prints the number added."),
                 {QStringLiteral("count"), QStringLiteral("seed")},
                 {QStringLiteral("photos"), QStringLiteral("sources")},
                 runSeed});

VENNARO_COMMAND({QStringLiteral("add"), QStringLiteral("add one person described in JSON"),
                 QStringLiteral("Usage: vennaro add --json FILE   (FILE may be - for standard input)\n\n"
                                "Keys: firstName lastName middleName prefix suffix nickname firstNamePhonetic\n"
                                "middleNamePhonetic lastNamePhonetic organization jobTitle department note kind\n"
                                "birthday (yyyy-MM-dd); lists of {\"label\", \"value\"}: phones emails urls\n"
                                "relatedNames dates addresses instantMessages socialProfiles; image (Base64);\n"
                                "groups (names; missing groups are made); source (index, see `vennaro sources`).\n"
                                "Prints the new record identifier."),
                 {QStringLiteral("json")},
                 {},
                 runAdd});

VENNARO_COMMAND({QStringLiteral("show"), QStringLiteral("show one person"),
                 QStringLiteral("Usage: vennaro show ID [--json]\n\n"
                                "Shows the person with record identifier ID, readable or as the JSON that\n"
                                "`vennaro add` reads."),
                 {},
                 {QStringLiteral("json")},
                 runShow});

VENNARO_COMMAND({QStringLiteral("list"), QStringLiteral("list the people, one \"ID<TAB>name\" line each"),
                 QStringLiteral("Usage: vennaro list [--source INDEX]\n\n"
                                "Lists the people of all sources, or of one (see `vennaro sources`), sorted by name as the\n"
                                "contact selection list shows them (the address book's sort ordering)."),
                 {QStringLiteral("source")},
                 {},
                 runList});

VENNARO_COMMAND({QStringLiteral("sources"), QStringLiteral("list the address book sources to choose from"),
                 QStringLiteral("Usage: vennaro sources\n\nOne \"INDEX<TAB>name\" line per choice; 0 is all sources."),
                 {},
                 {},
                 runSources});
