#pragma once

#include "ABRecord.h"

#include <QDateTime>
#include <QImage>
#include <QList>
#include <QStringList>
#include <QVariantMap>

#include <memory>

class ABContact;
using ABContactRef = std::shared_ptr<ABContact>;

// A person record with named accessors. Getters answer a null/invalid value for an empty
// field; setters store (a null value clears) and answer false, logging "Error: %@", on failure.
// Multi-value families come as "Dictionaries": one QVariantMap per entry with "value" and
// "label" (the label is an empty text when the entry has none; a missing "label" stores none).
class ABContact {
public:
    static ABContactRef contactWithRecord(const ABRecordRef &record);
    // Opens a handle and wraps the person with that identifier; none when the handle cannot
    // be opened or the person is gone.
    static ABContactRef contactWithRecordID(ABRecordID recordID);
    // A new person, not yet in the address book.
    static ABContactRef contact();

    const ABRecordRef &record() const { return m_record; }
    ABRecordID recordID() const { return m_record->recordID(); }
    ABRecordType recordType() const { return m_record->recordType(); }
    bool isPerson() const { return m_record->recordType() == kABPersonType; }

#define VENNARO_TEXT_ACCESSORS(getter, setter, property)                                        \
    QString getter() const { return m_record->copyText(property); }                            \
    bool setter(const QString &value) { return store(property, value.isNull() ? QVariant() : QVariant(value)); }
    VENNARO_TEXT_ACCESSORS(firstname, setFirstname, kABPersonFirstNameProperty)
    VENNARO_TEXT_ACCESSORS(middlename, setMiddlename, kABPersonMiddleNameProperty)
    VENNARO_TEXT_ACCESSORS(lastname, setLastname, kABPersonLastNameProperty)
    VENNARO_TEXT_ACCESSORS(prefix, setPrefix, kABPersonPrefixProperty)
    VENNARO_TEXT_ACCESSORS(suffix, setSuffix, kABPersonSuffixProperty)
    VENNARO_TEXT_ACCESSORS(nickname, setNickname, kABPersonNicknameProperty)
    VENNARO_TEXT_ACCESSORS(firstnamephonetic, setFirstnamephonetic, kABPersonFirstNamePhoneticProperty)
    VENNARO_TEXT_ACCESSORS(middlenamephonetic, setMiddlenamephonetic, kABPersonMiddleNamePhoneticProperty)
    VENNARO_TEXT_ACCESSORS(lastnamephonetic, setLastnamephonetic, kABPersonLastNamePhoneticProperty)
    VENNARO_TEXT_ACCESSORS(organization, setOrganization, kABPersonOrganizationProperty)
    VENNARO_TEXT_ACCESSORS(jobtitle, setJobtitle, kABPersonJobTitleProperty)
    VENNARO_TEXT_ACCESSORS(department, setDepartment, kABPersonDepartmentProperty)
    VENNARO_TEXT_ACCESSORS(note, setNote, kABPersonNoteProperty)
#undef VENNARO_TEXT_ACCESSORS

    QVariant kind() const { return m_record->copyValue(kABPersonKindProperty); }
    bool setKind(const QVariant &kind) { return store(kABPersonKindProperty, kind); }
    QDateTime birthday() const { return m_record->copyValue(kABPersonBirthdayProperty).toDateTime(); }
    bool setBirthday(const QDateTime &date) { return store(kABPersonBirthdayProperty, date.isValid() ? QVariant(date) : QVariant()); }
    QDateTime creationDate() const { return m_record->copyValue(kABPersonCreationDateProperty).toDateTime(); }
    QDateTime modificationDate() const { return m_record->copyValue(kABPersonModificationDateProperty).toDateTime(); }

    // One family of multi-values: all values, all labels, dictionaries; setter by dictionaries.
    QList<QVariant> arrayForProperty(ABPropertyID property) const;
    QStringList labelsForProperty(ABPropertyID property) const;
    QList<QVariantMap> dictionariesForProperty(ABPropertyID property) const;
    bool setDictionariesForProperty(ABPropertyID property, const QList<QVariantMap> &dictionaries);

#define VENNARO_MULTI_ACCESSORS(family, Family, property)                                                       \
    QList<QVariant> family##Array() const { return arrayForProperty(property); }                                \
    QStringList family##Labels() const { return labelsForProperty(property); }                                 \
    QList<QVariantMap> family##Dictionaries() const { return dictionariesForProperty(property); }               \
    bool set##Family##Dictionaries(const QList<QVariantMap> &list) { return setDictionariesForProperty(property, list); }
    VENNARO_MULTI_ACCESSORS(email, Email, kABPersonEmailProperty)
    VENNARO_MULTI_ACCESSORS(phone, Phone, kABPersonPhoneProperty)
    VENNARO_MULTI_ACCESSORS(url, Url, kABPersonURLProperty)
    VENNARO_MULTI_ACCESSORS(relatedName, RelatedName, kABPersonRelatedNamesProperty)
    VENNARO_MULTI_ACCESSORS(date, Date, kABPersonDateProperty)
    VENNARO_MULTI_ACCESSORS(address, Address, kABPersonAddressProperty)
    VENNARO_MULTI_ACCESSORS(sms, Sms, kABPersonInstantMessageProperty)
    VENNARO_MULTI_ACCESSORS(socialProfiles, SocialProfiles, kABPersonSocialProfileProperty)
#undef VENNARO_MULTI_ACCESSORS

    bool hasImage() const { return m_record->hasImageData(); }
    QImage image() const;
    // Stores the picture as PNG; a null image removes the stored one.
    bool setImage(const QImage &image);

private:
    explicit ABContact(ABRecordRef record) : m_record(std::move(record)) {}
    bool store(ABPropertyID property, const QVariant &value);
    ABRecordRef m_record;
};
