#include "MecardText.h"

#include "shell/AppData.h"

#include <QDateTime>

namespace {

void appendField(QString &text, const char *tag, const QString &value)
{
    text += QLatin1String(tag);
    text += QLatin1Char(':');
    text += MecardText::escape(value);
    text += QLatin1Char(';');
}

void appendEachValue(QString &text, const ABRecord &person, ABPropertyID property, const char *tag)
{
    const ABMultiValue values = person.copyMultiValue(property);
    for (const ABMultiValue::Entry &entry : values.entries())
        appendField(text, tag, entry.value.toString());
}

// Street, city, state and ZIP each end with a comma (an absent part is the comma alone),
// then the country.
void appendAddresses(QString &text, const ABRecord &person)
{
    const ABMultiValue addresses = person.copyMultiValue(kABPersonAddressProperty);
    for (const ABMultiValue::Entry &entry : addresses.entries()) {
        const QVariantMap parts = entry.value.toMap();
        text += QLatin1String("ADR:");
        for (const QString &key : {kABPersonAddressStreetKey, kABPersonAddressCityKey, kABPersonAddressStateKey,
                                   kABPersonAddressZIPKey}) {
            const QString part = parts.value(key).toString();
            if (!part.isEmpty())
                text += MecardText::escape(part);
            text += QLatin1Char(',');
        }
        text += MecardText::escape(parts.value(kABPersonAddressCountryKey).toString()) + QLatin1Char(';');
    }
}

} // namespace

QString MecardText::escape(const QString &value)
{
    QString escaped;
    escaped.reserve(value.size());
    for (QChar c : value) {
        if (c == QLatin1Char(':') || c == QLatin1Char(';') || c == QLatin1Char(',') || c == QLatin1Char('\\'))
            escaped += QLatin1Char('\\');
        escaped += c;
    }
    return escaped;
}

QString MecardText::build(const ABRecord &person, uint32_t exportMask)
{
    QString text = QStringLiteral("MECARD:");
    const QString lastName = person.copyText(kABPersonLastNameProperty);
    const QString firstName = person.copyText(kABPersonFirstNameProperty);
    if (!lastName.isEmpty())
        text += QLatin1String("N:") + escape(lastName);
    if (!firstName.isEmpty())
        text += (lastName.isEmpty() ? QLatin1String("N:") : QLatin1String(", ")) + escape(firstName) + QLatin1Char(';');
    else if (!lastName.isEmpty())
        text += QLatin1Char(';');

    const QString nickname = person.copyText(kABPersonNicknameProperty);
    if (!nickname.isEmpty())
        appendField(text, "NICKNAME", nickname);
    if (exportMask & FieldFilter::Phone)
        appendEachValue(text, person, kABPersonPhoneProperty, "TEL");
    if (exportMask & FieldFilter::Email)
        appendEachValue(text, person, kABPersonEmailProperty, "EMAIL");
    if (exportMask & FieldFilter::Address)
        appendAddresses(text, person);
    if (exportMask & FieldFilter::URL)
        appendEachValue(text, person, kABPersonURLProperty, "URL");
    if (exportMask & FieldFilter::Note) {
        const QString note = person.copyText(kABPersonNoteProperty);
        if (!note.isEmpty())
            appendField(text, "NOTE", note);
    }
    if (exportMask & FieldFilter::Dates) {
        const QDateTime birthday = person.copyValue(kABPersonBirthdayProperty).toDateTime();
        if (birthday.isValid())
            text += QLatin1String("BDAY:") + birthday.toLocalTime().toString(QStringLiteral("yyyyMMdd")) + QLatin1Char(';');
    }
    return text + QLatin1Char(';');
}
