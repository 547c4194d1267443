#include "ABSources.h"

#include "platform/DevLog.h"

#include "platform/Localization.h"

namespace {

struct SourceChoice {
    ABRecordID sourceID; // kABRecordInvalidID for "All"
    int type;
    QString name;
};

// Plain process-wide state: built once by the main thread, read by workers afterwards.
QList<SourceChoice> g_choices;
int g_selectedIndex = 0;

void buildChoices()
{
    if (!g_choices.isEmpty())
        return;
    ABAddressBookRef book = ABSources::openAddressBook("internal_sourceNames");
    if (!book)
        return;
    QList<ABRecordRef> sources = book->copyArrayOfAllSources();
    DevLog::log(QStringLiteral("source count: %1").arg(sources.size()));
    if (sources.isEmpty())
        return;
    QList<SourceChoice> choices{{kABRecordInvalidID, -1, L("KAll")}};
    bool sawLocal = false;
    for (const ABRecordRef &source : sources) {
        int type = source->copyValue(kABSourceTypeProperty).toInt();
        DevLog::log(QStringLiteral("source: %1 %2").arg(type).arg(source->copyText(kABSourceNameProperty)));
        sawLocal = sawLocal || type == kABSourceTypeLocal;
        QString name = ABSources::displayNameForType(type);
        if (!name.isEmpty())
            choices.append({source->recordID(), type, name});
    }
    if (!sawLocal) {
        ABRecordRef fallback = book->copyDefaultSource();
        DevLog::log(QStringLiteral("default source type: %1")
                        .arg(fallback ? fallback->copyValue(kABSourceTypeProperty).toString() : QStringLiteral("(null)")));
    }
    g_choices = choices;
}

} // namespace

QString ABSources::displayNameForType(int type)
{
    switch (type) {
    case kABSourceTypeLocal: return L("KOnMyDevice");
    case kABSourceTypeExchange: return L("KExchangeServer");
    case kABSourceTypeMobileMe: return QStringLiteral("MobileMe");
    case kABSourceTypeLDAP: return L("KLDAPServer");
    case kABSourceTypeCardDAV: return L("KCardDAVServer");
    case kABSourceTypeExchangeGAL:
    case kABSourceTypeCardDAVSearch: return QString();
    default: return QString::number(type);
    }
}

ABAddressBookRef ABSources::openAddressBook(const char *operation, QString *error)
{
    QString reason;
    ABAddressBookRef book = ABAddressBook::create(&reason);
    if (!book) {
        DevLog::log(QStringLiteral("%1 ABAddressBookCreateWithOptions error: %2").arg(QString::fromUtf8(operation), reason));
        if (error)
            *error = reason;
        DevLog::log(QStringLiteral("%1 ABCreate error").arg(QString::fromUtf8(operation)));
    }
    return book;
}

int ABSources::choiceCount()
{
    buildChoices();
    return int(g_choices.size());
}

QString ABSources::choiceName(int row)
{
    buildChoices();
    return row >= 0 && row < g_choices.size() ? g_choices[row].name : QString();
}

int ABSources::selectedIndex()
{
    return g_selectedIndex;
}

void ABSources::setSelectedIndex(int index)
{
    g_selectedIndex = index;
}

bool ABSources::isSourceSelected()
{
    return g_selectedIndex != 0 && g_selectedIndex != -1;
}

ABRecordRef ABSources::selectedSource(ABAddressBook &book)
{
    if (isSourceSelected())
        buildChoices();
    if (!isSourceSelected() || g_selectedIndex >= g_choices.size() || g_selectedIndex < 0)
        return nullptr;
    return book.sourceWithRecordID(g_choices[g_selectedIndex].sourceID);
}

bool ABSources::selectedSourceIsExchange()
{
    if (g_selectedIndex <= 0 || g_choices.isEmpty() || g_selectedIndex >= g_choices.size())
        return false;
    int type = g_choices[g_selectedIndex].type;
    return type == kABSourceTypeExchange || type == kABSourceTypeExchangeGAL;
}

QList<ABRecordRef> ABSources::peopleToWorkOn(ABAddressBook &book)
{
    if (ABRecordRef source = selectedSource(book))
        return book.copyArrayOfAllPeopleInSource(source);
    return book.copyArrayOfAllPeople();
}

void ABSources::forEachPersonToWorkOn(ABAddressBook &book, const std::function<void(const ABRecordRef &)> &visit)
{
    book.forEachPerson(selectedSource(book), visit);
}

int ABSources::personCountToWorkOn(ABAddressBook &book)
{
    return book.personCount(selectedSource(book));
}

QList<ABRecordRef> ABSources::groupsToWorkOn(ABAddressBook &book)
{
    if (ABRecordRef source = selectedSource(book))
        return book.copyArrayOfAllGroupsInSource(source);
    return book.copyArrayOfAllGroups();
}

ABRecordRef ABSources::createPerson(ABAddressBook &book)
{
    ABRecordRef source = selectedSource(book);
    return ABRecord::createPerson(source ? source : book.copyDefaultSource());
}

bool ABSources::addGroupByName(ABAddressBook &book, const QString &name)
{
    ABRecordRef source = selectedSource(book);
    if (!source)
        source = book.copyDefaultSource();
    ABRecordRef group = ABRecord::createGroup(source);
    if (!group || !group->setValue(kABGroupNameProperty, name)) {
        DevLog::log(QStringLiteral("[E] addgroup could not create new group"));
        return false;
    }
    QString error;
    if (!book.addRecord(group, &error)) {
        DevLog::log(QStringLiteral("[E] addgroup could not ADD group record %1").arg(error));
        return false;
    }
    return true;
}

ABRecordRef ABSources::findGroupByName(ABAddressBook &book, const QString &name)
{
    for (const ABRecordRef &group : groupsToWorkOn(book)) {
        if (group->copyText(kABGroupNameProperty) == name)
            return group;
    }
    return nullptr;
}

bool ABSources::groupExists(ABAddressBook &book, const QString &name)
{
    return findGroupByName(book, name) != nullptr;
}

int ABSources::addPersonToGroupByName(ABAddressBook &book, const ABRecordRef &person, const QString &name)
{
    const QString operation = QStringLiteral("addPersonToGroup");
    ABRecordRef found = findGroupByName(book, name);
    if (!found) {
        DevLog::log(QStringLiteral("%1 group %2  NOT FOUND").arg(operation, name));
        return 0;
    }
    // Look both up again by identifier, as records of this handle.
    ABRecordRef group = found->recordID() == kABRecordInvalidID ? found : book.groupWithRecordID(found->recordID());
    ABRecordRef member = person && person->recordID() != kABRecordInvalidID ? book.personWithRecordID(person->recordID()) : person;
    QString error;
    if (!group || !member || !group->addMember(member, &error)) {
        if (error.isEmpty())
            DevLog::log(QStringLiteral("%1 ABGroupAddMember ERROR").arg(operation));
        else
            DevLog::log(QStringLiteral("%1 ABGroupAddMember failed %2").arg(operation, error));
    }
    return 0;
}

void ABSources::reset()
{
    g_choices.clear();
    g_selectedIndex = 0;
}
