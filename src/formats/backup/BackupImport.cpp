#include "BackupImport.h"

#include "ABRecordSerializer.h"
#include "addressbook/ABSources.h"
#include "platform/DevLog.h"
#include "platform/KeyedUnarchiver.h"
#include "shell/AppData.h"

#include <QFile>
#include <QHash>

#include <algorithm>
#include <utility>

namespace {

const char *const kOperation = "importDataBIN";

void log(const QString &text)
{
    DevLog::log(QLatin1String(kOperation) + QLatin1Char(' ') + text);
}

// The person blobs of a .vnbin file, or an Error when the file is no such archive.
Result<QVariantList> readBlobs(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Error{file.errorString()};
    Result<QVariant> root = KeyedUnarchiver::unarchive(file.readAll());
    if (!root)
        return Error{root.error()};
    if (root->metaType().id() != QMetaType::QVariantList)
        return Error{QStringLiteral("the archive does not hold a list of persons")};
    return root->toList();
}

struct Membership {
    ABRecordRef person; // until the save gives it its identifier
    ABRecordID id = kABRecordInvalidID;
    QString group;
};

// A handle keeps every record it loaded; memberships are added in handles of this many, so
// a large import does not hold every person twice.
constexpr qsizetype kMembershipsPerHandle = 25000;

// Group members need the persons' final record identifiers, so they are added in a second
// handle after the persons were saved.
void addMemberships(const QList<Membership> &memberships)
{
    for (qsizetype start = 0; start < memberships.size(); start += kMembershipsPerHandle) {
        ABAddressBookRef book = ABSources::openAddressBook(kOperation);
        if (!book)
            return;
        QHash<QString, ABRecordRef> groups;
        const qsizetype end = std::min(memberships.size(), start + kMembershipsPerHandle);
        for (qsizetype i = start; i < end; ++i) {
            const Membership &membership = memberships[i];
            auto found = groups.find(membership.group);
            if (found == groups.end())
                found = groups.insert(membership.group, ABSources::findGroupByName(*book, membership.group));
            ABRecordRef member = book->personWithRecordID(membership.id);
            QString error;
            if (!*found)
                log(QStringLiteral("group %1 NOT FOUND").arg(membership.group));
            else if (!member || !(*found)->addMember(member, &error))
                log(QStringLiteral("ABGroupAddMember failed %1").arg(error));
        }
        QString error;
        if (!book->save(&error))
            log(QStringLiteral("ABAddressBookSave groups %1").arg(error));
    }
}

int importBlobs(QVariantList &blobs, uint32_t importMask, ProgressTarget *progress)
{
    ABAddressBookRef book = ABSources::openAddressBook(kOperation);
    if (!book)
        return -1;
    const ABRecordRef source = ABSources::selectedSource(*book);
    const qsizetype count = blobs.size();
    int created = 0;
    QStringList groupNames;
    QList<Membership> memberships;
    for (qsizetype i = 0; i < count; ++i) {
        QStringList groups;
        // Each blob is let go once read, so the file's contents and the new persons are
        // not both held in full.
        const QByteArray blob = std::exchange(blobs[i], QVariant()).toByteArray();
        ABRecordRef person = ABRecordSerializer::createPersonFromData(blob, source, &groups);
        QString error;
        if (!person) {
            log(QStringLiteral("newperson ERROR"));
            continue;
        }
        if (importMask & FieldFilter::Marker) {
            const QString last = person->copyText(kABPersonLastNameProperty);
            person->setValue(kABPersonLastNameProperty, last.isEmpty() ? QStringLiteral(" (*)") : last + QStringLiteral(" (*)"));
        }
        if (!book->addRecord(person, &error)) {
            log(QStringLiteral("ABAddressBookAddRecord %1").arg(error));
            continue;
        }
        ++created;
        if (progress)
            progress->setProgress(double(created) / double(count));
        for (const QString &name : std::as_const(groups)) {
            if (!groupNames.contains(name))
                groupNames.append(name);
            memberships.append({person, kABRecordInvalidID, name});
        }
    }
    for (const QString &name : std::as_const(groupNames)) {
        if (!ABSources::groupExists(*book, name))
            ABSources::addGroupByName(*book, name);
    }
    if (created > 0) {
        if (progress)
            progress->savingData();
        QString error;
        if (!book->save(&error)) {
            log(QStringLiteral("ABAddressBookSave %1").arg(error));
            return -1;
        }
    }
    for (Membership &membership : memberships)
        membership.id = std::exchange(membership.person, nullptr)->recordID();
    book.reset();
    if (!memberships.isEmpty())
        addMemberships(memberships);
    return created;
}

} // namespace

int importDataBIN(const QString &path, uint32_t importMask, ProgressTarget *progress)
{
    log(path);
    Result<QVariantList> blobs = readBlobs(path);
    int result = -1;
    if (!blobs)
        log(QStringLiteral("ERROR NSKeyedUnarchiver %1").arg(blobs.error()));
    else
        result = importBlobs(*blobs, importMask, progress);
    DevLog::log(QStringLiteral("%1 %2").arg(QLatin1String(kOperation)).arg(__LINE__));
    return result;
}
