#pragma once

#include "ABConstants.h"
#include "ABMultiValue.h"
#include "ABRecordCodec.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QSet>
#include <QVariant>

#include <initializer_list>
#include <memory>
#include <optional>

class ABRecord;
class ABAddressBook;
class ABConnection;
using ABRecordRef = std::shared_ptr<ABRecord>;

// One person, group or source. A record belongs to the address book handle that loaded or
// added it; changes stay in the handle until ABAddressBook::save. Values are QVariants:
// QString (text), qint64 or double (numbers), QDateTime (dates, UTC), QVariantMap
// (dictionaries) or ABMultiValue. An empty property answers an invalid QVariant.
class ABRecord : public std::enable_shared_from_this<ABRecord> {
public:
    // New records exist only in memory until added to a handle (ABAddressBook::addRecord).
    static ABRecordRef createPerson(const ABRecordRef &source = nullptr);
    static ABRecordRef createGroup(const ABRecordRef &source = nullptr);

    ABRecordID recordID() const { return m_id; }
    ABRecordType recordType() const { return m_type; }
    bool isPerson() const { return m_type == kABPersonType; }

    QVariant copyValue(ABPropertyID property) const;
    // The multi-value of a property, an empty one of the property's type when none is stored.
    ABMultiValue copyMultiValue(ABPropertyID property) const;
    // The entries of copyMultiValue(property), counted without copying them.
    ABRecordCodec::EntryCount countEntries(ABPropertyID property) const;
    // The entries of copyMultiValue(property) as texts, read without copying the multi-value
    // from a record in its stored form.
    void forEachEntry(ABPropertyID property, ABRecordCodec::EntryTexts &entry, const ABRecordCodec::EntryTexts::Visit &visit) const;
    // copyValue(property).toString().
    QString copyText(ABPropertyID property) const;
    // The values in their stored form, for a writer that reads them there; none once the
    // record holds them decoded (it changed).
    const ABRecordCodec::Stored *storedForm() const { return m_stored.isEmpty() ? nullptr : &m_stored; }
    // Stores a value; an invalid QVariant clears the property. Fails (with a message) when the
    // value's type does not fit the property or the property is read-only.
    bool setValue(ABPropertyID property, const QVariant &value, QString *error = nullptr);
    bool removeValue(ABPropertyID property, QString *error = nullptr) { return setValue(property, QVariant(), error); }
    // The display name: name parts in the book's composite-name format, else the organization
    // (people); the group or source name otherwise. A null QString when there is none.
    QString copyCompositeName() const;
    // A person's name parts, read together for the callers that need most of them (a list
    // row, its sort name); null where the person has none.
    struct Names {
        QString prefix, first, middle, last, suffix, organization;
        // The non-empty ones of `parts`, in order, joined by `separator`; null when all are empty.
        static QString joined(std::initializer_list<const QString *> parts, QChar separator);
    };
    Names copyNames() const;
    // copyCompositeName of a person with these names.
    QString compositeName(const Names &names) const;
    // Whether a person's composite name has text, told without making it.
    bool hasCompositeName() const;

    // Person image: the stored bytes come back unchanged.
    bool hasImageData() const;
    QByteArray copyImageData() const;
    bool setImageData(const QByteArray &data, QString *error = nullptr);
    bool removeImageData(QString *error = nullptr);

    // Replaces the values with `stored`, a stored form (ABRecordCodec::StoredWriter), as
    // packValues leaves them.
    void setStoredValues(QByteArray stored);
    // Puts the values into the stored form, which takes a fraction of their memory and is what
    // a save writes: a changed record waiting for its save, or a new one made on another thread
    // for a handle to take. They are decoded again when next asked for.
    void packValues();

    // A copy of the values and the image, bound to no handle: it may be read on another thread
    // while this record's handle goes on. The image is read now, if it was not yet.
    ABRecordRef copyDetached() const;

    // The record's source (people and groups); none for a new record without one.
    ABRecordID sourceID() const { return m_sourceID; }

    // Group members: person records of the same handle.
    QList<ABRecordRef> copyArrayOfAllMembers() const;
    // The identifiers of the saved members, in member order, without loading them.
    QList<ABRecordID> copyArrayOfAllMemberIDs() const { return m_memberIDs; }
    bool addMember(const ABRecordRef &person, QString *error = nullptr);
    // A saved person known by identifier only, without reading it (an import adding thousands);
    // the save leaves out an identifier that is no person's by then.
    bool addMemberWithRecordID(ABRecordID personID, QString *error = nullptr);
    bool removeMember(const ABRecordRef &person, QString *error = nullptr);

    // The type of a person property (kABStringPropertyType …), kABInvalidPropertyType if unknown.
    static ABPropertyType typeOfProperty(ABPropertyID property);

private:
    friend class ABAddressBook;
    ABRecord(ABRecordType type, ABRecordID sourceID) : m_type(type), m_sourceID(sourceID) {}
    bool valueFitsProperty(ABPropertyID property, const QVariant &value) const;

    ABRecordType m_type;
    ABRecordID m_id = kABRecordInvalidID;
    ABRecordID m_sourceID = kABRecordInvalidID;
    // Values loaded from the database stay in their stored form (m_stored), so that a list of
    // many people costs little more than the bytes read; a value asked for is decoded from it.
    // Once the record changes, every value is decoded into m_values and m_stored is dropped.
    QHash<ABPropertyID, QVariant> &values();
    // Sets scalar values the handle keeps up to date (the dates of the save) without decoding
    // a record that waits in the stored form.
    void setKeptValues(std::initializer_list<ABRecordCodec::ValueChange> changes);
    // Members added before they had an identifier and written since are kept by identifier:
    // a group of a large import does not hold all its people.
    void keepWrittenMembersByID();
    QHash<ABPropertyID, QVariant> m_values;
    ABRecordCodec::Stored m_stored;
    bool m_valuesChanged = false;

    // Image bytes are read from the database on first use.
    std::shared_ptr<ABConnection> m_connection;
    mutable std::optional<QByteArray> m_image;
    mutable bool m_imageLoaded = true;
    bool m_imageChanged = false;

    // Where the record stands in its handle's unsaved changes.
    enum class Change { None, Added, Removed };
    Change m_change = Change::None;

    // Group members, each either saved (identifier) or added in this handle (record); the sets
    // keep membership tests cheap for groups of many thousands.
    std::weak_ptr<ABAddressBook> m_book;
    QList<ABRecordRef> m_pendingMembers;
    QSet<const ABRecord *> m_pendingMemberSet;
    QList<ABRecordID> m_memberIDs;
    QSet<ABRecordID> m_memberIDSet;
    bool m_membersChanged = false;
    int m_nameFormat = kABPersonCompositeNameFormatFirstNameFirst;
};
