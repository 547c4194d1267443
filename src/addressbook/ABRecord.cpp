#include "ABRecord.h"

#include "ABAddressBook.h"
#include "ABRecordCodec.h"

#include <QDateTime>
#include <QStringList>

#include <algorithm>

ABRecordRef ABRecord::createPerson(const ABRecordRef &source)
{
    return ABRecordRef(new ABRecord(kABPersonType, source ? source->recordID() : kABRecordInvalidID));
}

ABRecordRef ABRecord::createGroup(const ABRecordRef &source)
{
    return ABRecordRef(new ABRecord(kABGroupType, source ? source->recordID() : kABRecordInvalidID));
}

ABPropertyType ABRecord::typeOfProperty(ABPropertyID property)
{
    switch (property) {
    case kABPersonFirstNameProperty:
    case kABPersonLastNameProperty:
    case kABPersonMiddleNameProperty:
    case kABPersonFirstNamePhoneticProperty:
    case kABPersonMiddleNamePhoneticProperty:
    case kABPersonLastNamePhoneticProperty:
    case kABPersonOrganizationProperty:
    case kABPersonDepartmentProperty:
    case kABPersonNoteProperty:
    case kABPersonJobTitleProperty:
    case kABPersonNicknameProperty:
    case kABPersonPrefixProperty:
    case kABPersonSuffixProperty:
        return kABStringPropertyType;
    case kABPersonKindProperty:
        return kABIntegerPropertyType;
    case kABPersonBirthdayProperty:
    case kABPersonCreationDateProperty:
    case kABPersonModificationDateProperty:
        return kABDateTimePropertyType;
    case kABPersonPhoneProperty:
    case kABPersonEmailProperty:
    case kABPersonURLProperty:
    case kABPersonRelatedNamesProperty:
        return kABMultiStringPropertyType;
    case kABPersonDateProperty:
        return kABMultiDateTimePropertyType;
    case kABPersonAddressProperty:
    case kABPersonInstantMessageProperty:
    case kABPersonSocialProfileProperty:
        return kABMultiDictionaryPropertyType;
    default:
        return kABInvalidPropertyType;
    }
}

QVariant ABRecord::copyValue(ABPropertyID property) const
{
    // Read from the stored form each time: cheaper than keeping a decoded copy per record.
    if (!m_stored.isEmpty())
        return m_stored.value(property);
    return m_values.value(property);
}

QString ABRecord::copyText(ABPropertyID property) const
{
    if (!m_stored.isEmpty())
        return m_stored.text(property);
    return m_values.value(property).toString();
}

QHash<ABPropertyID, QVariant> &ABRecord::values()
{
    if (!m_stored.isEmpty()) {
        m_values.clear();
        ABRecordCodec::decode(m_stored.bytes(), m_values);
        m_stored.clear();
    }
    return m_values;
}

void ABRecord::setStoredValues(QByteArray stored)
{
    m_values.clear();
    m_stored.assign(std::move(stored));
    m_valuesChanged = true;
}

void ABRecord::packValues()
{
    if (!m_stored.isEmpty())
        return;
    m_stored.assign(ABRecordCodec::encode(m_values));
    m_values.clear();
}

void ABRecord::setKeptValues(std::initializer_list<ABRecordCodec::ValueChange> changes)
{
    if (!m_stored.isEmpty()) {
        QByteArray patched = ABRecordCodec::withValues(m_stored.bytes(), changes);
        if (!patched.isEmpty()) {
            m_stored.assign(std::move(patched));
            return;
        }
    }
    for (const auto &[property, value] : changes)
        values().insert(property, value);
}

ABMultiValue ABRecord::copyMultiValue(ABPropertyID property) const
{
    QVariant value = copyValue(property);
    if (isMultiValue(value))
        return value.value<ABMultiValue>();
    ABPropertyType type = typeOfProperty(property);
    return ABMultiValue(type & kABMultiValueMask ? type : kABMultiStringPropertyType);
}

void ABRecord::forEachEntry(ABPropertyID property, ABRecordCodec::EntryTexts &entry, const ABRecordCodec::EntryTexts::Visit &visit) const
{
    if (!m_stored.isEmpty())
        m_stored.forEachEntry(property, entry, visit);
    else
        entry.forEach(copyMultiValue(property), visit);
}

ABRecordCodec::EntryCount ABRecord::countEntries(ABPropertyID property) const
{
    if (!m_stored.isEmpty())
        return m_stored.countEntries(property);
    ABRecordCodec::EntryCount count;
    const ABMultiValue values = copyMultiValue(property);
    for (const ABMultiValue::Entry &entry : values.entries()) {
        ++count.all;
        count.labelled += entry.label.has_value();
    }
    return count;
}

bool ABRecord::valueFitsProperty(ABPropertyID property, const QVariant &value) const
{
    if (m_type != kABPersonType)
        return value.metaType().id() == QMetaType::QString || value.canConvert<qint64>();
    switch (typeOfProperty(property)) {
    case kABStringPropertyType: return value.metaType().id() == QMetaType::QString;
    case kABIntegerPropertyType: return value.canConvert<qint64>() && value.metaType().id() != QMetaType::QString;
    case kABDateTimePropertyType: return value.metaType().id() == QMetaType::QDateTime;
    case kABMultiStringPropertyType:
    case kABMultiDateTimePropertyType:
    case kABMultiDictionaryPropertyType:
        return isMultiValue(value) && value.value<ABMultiValue>().propertyType() == typeOfProperty(property);
    default: return false;
    }
}

bool ABRecord::setValue(ABPropertyID property, const QVariant &value, QString *error)
{
    if (m_type == kABPersonType
        && (property == kABPersonCreationDateProperty || property == kABPersonModificationDateProperty)) {
        if (error)
            *error = QStringLiteral("Property %1 is read-only.").arg(property);
        return false;
    }
    if (!value.isValid() || (isMultiValue(value) && value.value<ABMultiValue>().isEmpty())) {
        m_valuesChanged = values().remove(property) > 0 || m_valuesChanged;
        return true;
    }
    if (!valueFitsProperty(property, value)) {
        if (error)
            *error = QStringLiteral("Value of type %1 does not fit property %2.")
                         .arg(QString::fromLatin1(value.typeName()))
                         .arg(property);
        return false;
    }
    values().insert(property, value);
    m_valuesChanged = true;
    return true;
}

QString ABRecord::copyCompositeName() const
{
    if (m_type == kABGroupType)
        return copyText(kABGroupNameProperty);
    if (m_type == kABSourceType)
        return copyText(kABSourceNameProperty);
    return compositeName(copyNames());
}

ABRecord::Names ABRecord::copyNames() const
{
    return {copyText(kABPersonPrefixProperty), copyText(kABPersonFirstNameProperty), copyText(kABPersonMiddleNameProperty),
            copyText(kABPersonLastNameProperty), copyText(kABPersonSuffixProperty), copyText(kABPersonOrganizationProperty)};
}

QString ABRecord::Names::joined(std::initializer_list<const QString *> parts, QChar separator)
{
    // Sized once, and shared when only one part has text: this runs twice for every person
    // of a list.
    qsizetype length = -1;
    int present = 0;
    const QString *last = nullptr;
    for (const QString *part : parts) {
        if (!part->isEmpty()) {
            length += part->size() + 1;
            ++present;
            last = part;
        }
    }
    if (present <= 1)
        return last ? *last : QString();
    QString text;
    text.reserve(length);
    for (const QString *part : parts) {
        if (part->isEmpty())
            continue;
        if (!text.isEmpty())
            text += separator;
        text += *part;
    }
    return text;
}

QString ABRecord::compositeName(const Names &names) const
{
    const QString composite = m_nameFormat == kABPersonCompositeNameFormatLastNameFirst
                                  ? Names::joined({&names.prefix, &names.last, &names.first, &names.middle, &names.suffix}, u' ')
                                  : Names::joined({&names.prefix, &names.first, &names.middle, &names.last, &names.suffix}, u' ');
    if (composite.isEmpty())
        return names.organization.isEmpty() ? QString() : names.organization;
    return composite;
}

bool ABRecord::hasCompositeName() const
{
    // The composite name is empty only when every name it is made of is.
    const ABPropertyID names[] = {kABPersonPrefixProperty, kABPersonFirstNameProperty,  kABPersonMiddleNameProperty,
                                  kABPersonLastNameProperty, kABPersonSuffixProperty, kABPersonOrganizationProperty};
    return std::any_of(std::begin(names), std::end(names), [this](ABPropertyID name) {
        return m_stored.isEmpty() ? !m_values.value(name).toString().isEmpty() : m_stored.hasText(name);
    });
}

bool ABRecord::hasImageData() const
{
    if (!m_imageLoaded) {
        // Asking whether there is an image need not read the bytes.
        ABConnection::Statement st(*m_connection, "SELECT 1 FROM images WHERE record = ?");
        st.bind(1, qint64(m_id));
        return st.step();
    }
    return m_image.has_value();
}

QByteArray ABRecord::copyImageData() const
{
    if (!m_imageLoaded) {
        ABConnection::Statement st(*m_connection, "SELECT data FROM images WHERE record = ?");
        st.bind(1, qint64(m_id));
        if (st.step())
            m_image = st.columnBlob(0);
        m_imageLoaded = true;
    }
    return m_image.value_or(QByteArray());
}

ABRecordRef ABRecord::copyDetached() const
{
    ABRecordRef copy(new ABRecord(m_type, m_sourceID));
    copy->m_id = m_id;
    copy->m_values = m_values;
    // A record read in passing holds its stored bytes where the database left them, only until
    // the next row: the copy keeps bytes of its own.
    if (!m_stored.isEmpty())
        copy->m_stored.assign(QByteArray(m_stored.bytes().constData(), m_stored.bytes().size()));
    copy->m_nameFormat = m_nameFormat;
    if (hasImageData())
        copy->m_image = copyImageData();
    return copy;
}

bool ABRecord::setImageData(const QByteArray &data, QString *error)
{
    if (m_type != kABPersonType || data.isEmpty()) {
        if (error)
            *error = QStringLiteral("No image data to store.");
        return false;
    }
    m_image = data;
    m_imageLoaded = true;
    m_imageChanged = true;
    return true;
}

bool ABRecord::removeImageData(QString *error)
{
    if (m_type != kABPersonType) {
        if (error)
            *error = QStringLiteral("Only people have images.");
        return false;
    }
    m_image.reset();
    m_imageLoaded = true;
    m_imageChanged = true;
    return true;
}

QList<ABRecordRef> ABRecord::copyArrayOfAllMembers() const
{
    QList<ABRecordRef> members;
    ABAddressBookRef book = m_book.lock();
    if (book) {
        for (ABRecordID id : m_memberIDs) {
            if (ABRecordRef person = book->personWithRecordID(id))
                members.append(person);
        }
    }
    members += m_pendingMembers;
    return members;
}

bool ABRecord::addMember(const ABRecordRef &person, QString *error)
{
    if (m_type != kABGroupType || !person || !person->isPerson()) {
        if (error)
            *error = QStringLiteral("Only people can be members of a group.");
        return false;
    }
    if (person->recordID() == kABRecordInvalidID) {
        if (!m_pendingMemberSet.contains(person.get())) {
            m_pendingMemberSet.insert(person.get());
            m_pendingMembers.append(person);
            if (m_pendingMembers.size() == 1) {
                if (ABAddressBookRef book = m_book.lock())
                    book->m_groupsWithPendingMembers.append(weak_from_this());
            }
        }
        m_membersChanged = true;
        return true;
    }
    return addMemberWithRecordID(person->recordID(), error);
}

bool ABRecord::addMemberWithRecordID(ABRecordID personID, QString *error)
{
    if (m_type != kABGroupType || personID == kABRecordInvalidID) {
        if (error)
            *error = QStringLiteral("Only people can be members of a group.");
        return false;
    }
    if (!m_memberIDSet.contains(personID)) {
        m_memberIDSet.insert(personID);
        m_memberIDs.append(personID);
    }
    m_membersChanged = true;
    return true;
}

void ABRecord::keepWrittenMembersByID()
{
    // Only the written start of the list moves, so that the members keep their order.
    qsizetype written = 0;
    for (; written < m_pendingMembers.size() && m_pendingMembers[written]->recordID() != kABRecordInvalidID; ++written) {
        const ABRecord *member = m_pendingMembers[written].get();
        m_pendingMemberSet.remove(member);
        if (!m_memberIDSet.contains(member->recordID())) {
            m_memberIDSet.insert(member->recordID());
            m_memberIDs.append(member->recordID());
        }
    }
    m_pendingMembers.remove(0, written);
}

bool ABRecord::removeMember(const ABRecordRef &person, QString *error)
{
    bool removed = false;
    if (person && m_memberIDSet.remove(person->recordID()))
        removed = m_memberIDs.removeOne(person->recordID());
    else if (person && m_pendingMemberSet.remove(person.get()))
        removed = m_pendingMembers.removeOne(person);
    if (!removed) {
        if (error)
            *error = QStringLiteral("The person is not a member of the group.");
        return false;
    }
    m_membersChanged = true;
    return true;
}
