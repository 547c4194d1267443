#include "PersonCards.h"

#include "ContactLabels.h"
#include "formats/common/TextConversion.h"
#include "platform/DevLog.h"
#include "shell/AppData.h"

#include <QBuffer>
#include <QImage>
#include <QTimeZone>

namespace {

using Family = ContactLabels::Family;

bool wants(uint32_t mask, uint32_t bit)
{
    return (mask & bit) != 0;
}

QList<ContactCard::Value> valuesOf(const ABRecord &person, ABPropertyID property, Family family)
{
    QList<ContactCard::Value> values;
    const ABMultiValue multiValue = person.copyMultiValue(property);
    for (const ABMultiValue::Entry &entry : multiValue.entries()) {
        const QString text = entry.value.toString();
        if (text.isEmpty())
            continue;
        const ContactLabels::Outgoing labels = ContactLabels::toCard(family, entry.label);
        values.append({text, labels.types, labels.label});
    }
    return values;
}

QList<ContactCard::Address> addressesOf(const ABRecord &person)
{
    QList<ContactCard::Address> addresses;
    const ABMultiValue multiValue = person.copyMultiValue(kABPersonAddressProperty);
    for (const ABMultiValue::Entry &entry : multiValue.entries()) {
        const QVariantMap map = entry.value.toMap();
        const ContactLabels::Outgoing labels = ContactLabels::toCard(Family::Address, entry.label);
        addresses.append({map.value(kABPersonAddressStreetKey).toString(), map.value(kABPersonAddressCityKey).toString(),
                          map.value(kABPersonAddressStateKey).toString(), map.value(kABPersonAddressZIPKey).toString(),
                          map.value(kABPersonAddressCountryKey).toString(), labels.types, labels.label});
    }
    return addresses;
}

QList<ContactCard::Message> messagesOf(const ABRecord &person)
{
    QList<ContactCard::Message> messages;
    const ABMultiValue multiValue = person.copyMultiValue(kABPersonInstantMessageProperty);
    for (const ABMultiValue::Entry &entry : multiValue.entries()) {
        const QVariantMap map = entry.value.toMap();
        const QString service = map.value(kABPersonInstantMessageServiceKey).toString();
        const QString user = map.value(kABPersonInstantMessageUsernameKey).toString();
        if (!ContactLabels::propertyForService(service) || user.isEmpty()) {
            DevLog::log(QStringLiteral("IM not exported: %1").arg(service));
            continue;
        }
        const ContactLabels::Outgoing labels = ContactLabels::toCard(Family::Message, entry.label);
        messages.append({service, user, labels.types, labels.label});
    }
    return messages;
}

QByteArray jpegPhoto(const ABRecord &person)
{
    const QByteArray stored = person.copyImageData();
    if (QImage::fromData(stored).isNull()) {
        DevLog::log(QStringLiteral("exportGmailContact UIImage error"));
        return {};
    }
    const QByteArray jpeg = TextConversion::jpegFromImageData(stored);
    if (jpeg.isEmpty())
        DevLog::log(QStringLiteral("exportGmailContact UIImageJPEGRepresentation error"));
    return jpeg;
}

void setText(const ABRecordRef &person, ABPropertyID property, const QString &value)
{
    QString error;
    if (!value.isEmpty() && !person->setValue(property, value, &error))
        DevLog::log(QStringLiteral("importGmailContact ABRecordSetValue ERROR %1").arg(error));
}

void setValues(const ABRecordRef &person, ABPropertyID property, const QList<ContactCard::Value> &values, Family family)
{
    ABMultiValue multi(kABMultiStringPropertyType);
    for (const ContactCard::Value &value : values)
        multi.addValueAndLabel(value.text, ContactLabels::fromCard(family, value.types, value.label));
    if (!multi.isEmpty())
        person->setValue(property, QVariant::fromValue(multi));
}

void setAddresses(const ABRecordRef &person, const QList<ContactCard::Address> &addresses)
{
    ABMultiValue multi(kABMultiDictionaryPropertyType);
    for (const ContactCard::Address &address : addresses) {
        QVariantMap map;
        const std::pair<QString, QString> parts[] = {
            {kABPersonAddressStreetKey, address.street}, {kABPersonAddressCityKey, address.city},
            {kABPersonAddressStateKey, address.region},  {kABPersonAddressZIPKey, address.postcode},
            {kABPersonAddressCountryKey, address.country},
        };
        for (const auto &[key, value] : parts) {
            if (!value.isEmpty())
                map.insert(key, value);
        }
        if (!map.isEmpty())
            multi.addValueAndLabel(map, ContactLabels::fromCard(Family::Address, address.types, address.label));
    }
    if (!multi.isEmpty())
        person->setValue(kABPersonAddressProperty, QVariant::fromValue(multi));
}

void setMessages(const ABRecordRef &person, const QList<ContactCard::Message> &messages)
{
    ABMultiValue multi(kABMultiDictionaryPropertyType);
    for (const ContactCard::Message &message : messages) {
        // The reader keeps only exchanged services; a card built otherwise is checked again.
        if (!ContactLabels::propertyForService(message.service))
            continue;
        multi.addValueAndLabel(QVariantMap{{kABPersonInstantMessageServiceKey, message.service},
                                           {kABPersonInstantMessageUsernameKey, message.user}},
                               ContactLabels::fromCard(Family::Message, message.types, message.label));
    }
    // Set only when at least one was kept.
    if (!multi.isEmpty())
        person->setValue(kABPersonInstantMessageProperty, QVariant::fromValue(multi));
}

} // namespace

ContactCard PersonCards::cardFromPerson(const ABRecord &person, uint32_t mask)
{
    ContactCard card;
    card.givenName = person.copyText(kABPersonFirstNameProperty);
    card.familyName = person.copyText(kABPersonLastNameProperty);
    card.additionalName = person.copyText(kABPersonMiddleNameProperty);
    card.nickname = person.copyText(kABPersonNicknameProperty);
    card.organization = person.copyText(kABPersonOrganizationProperty);
    card.department = person.copyText(kABPersonDepartmentProperty);
    card.title = person.copyText(kABPersonJobTitleProperty);
    if (wants(mask, FieldFilter::Email))
        card.emails = valuesOf(person, kABPersonEmailProperty, Family::Email);
    if (wants(mask, FieldFilter::Phone))
        card.phones = valuesOf(person, kABPersonPhoneProperty, Family::Phone);
    if (wants(mask, FieldFilter::IM))
        card.messages = messagesOf(person);
    if (wants(mask, FieldFilter::URL))
        card.urls = valuesOf(person, kABPersonURLProperty, Family::Url);
    if (wants(mask, FieldFilter::Address))
        card.addresses = addressesOf(person);
    if (wants(mask, FieldFilter::Dates)) {
        const QDateTime birthday = person.copyValue(kABPersonBirthdayProperty).toDateTime();
        if (birthday.isValid())
            card.birthday = birthday.toLocalTime().date();
    }
    if (wants(mask, FieldFilter::Note))
        card.note = person.copyText(kABPersonNoteProperty);
    if (wants(mask, FieldFilter::Photo) && person.hasImageData())
        card.photo = jpegPhoto(person);
    return card;
}

ABRecordRef PersonCards::personFromCard(const ContactCard &card, uint32_t mask, const ABRecordRef &source)
{
    ABRecordRef person = ABRecord::createPerson(source);
    setText(person, kABPersonFirstNameProperty, card.givenName);
    setText(person, kABPersonMiddleNameProperty, card.additionalName);
    if (wants(mask, FieldFilter::Marker))
        setText(person, kABPersonLastNameProperty, card.familyName.isEmpty() ? QStringLiteral("(*)") : card.familyName + QStringLiteral(" (*)"));
    else
        setText(person, kABPersonLastNameProperty, card.familyName);
    if (wants(mask, FieldFilter::Phone))
        setValues(person, kABPersonPhoneProperty, card.phones, Family::Phone);
    if (wants(mask, FieldFilter::Email))
        setValues(person, kABPersonEmailProperty, card.emails, Family::Email);
    if (wants(mask, FieldFilter::Address))
        setAddresses(person, card.addresses);
    if (wants(mask, FieldFilter::Dates) && card.birthday.isValid())
        person->setValue(kABPersonBirthdayProperty, QDateTime(card.birthday, QTime(12, 0), QTimeZone::utc()));
    setText(person, kABPersonNicknameProperty, card.nickname);
    setText(person, kABPersonOrganizationProperty, card.organization);
    setText(person, kABPersonDepartmentProperty, card.department);
    setText(person, kABPersonJobTitleProperty, card.title);
    if (wants(mask, FieldFilter::URL))
        setValues(person, kABPersonURLProperty, card.urls, Family::Url);
    if (wants(mask, FieldFilter::Note))
        setText(person, kABPersonNoteProperty, card.note);
    if (wants(mask, FieldFilter::IM))
        setMessages(person, card.messages);
    if (wants(mask, FieldFilter::Photo) && !card.photo.isEmpty())
        PersonCards::setPhoto(person, card.photo);
    return person;
}

void PersonCards::setPhoto(const ABRecordRef &person, const QByteArray &photo)
{
    const QImage image = QImage::fromData(photo);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (image.isNull() || !image.save(&buffer, "PNG") || !person->setImageData(png))
        DevLog::log(QStringLiteral("importGmailContact photo error"));
}
