#include "LdifAttributes.h"

#include "platform/AsciiText.h"
#include "shell/AppData.h"

#include <QByteArray>
#include <QHash>

#include <algorithm>

namespace {

using A = LdifAttribute;

struct Tables {
    QHash<QByteArray, LdifAttribute> plain;
    QHash<QByteArray, LdifAttribute> labelled;
};

A text(ABPropertyID property, uint32_t bit = 0)
{
    return {A::Text, bit, property, {}, A::Home, {}};
}

A multi(ABPropertyID property, uint32_t bit, const QString &label)
{
    return {A::Multi, bit, property, label, A::Home, {}};
}

A part(A::AddressKind kind, const QString &key)
{
    return {A::Address, FieldFilter::Address, 0, {}, kind, key};
}

Tables buildTables()
{
    Tables t;
    auto plain = [&t](const char *name, const A &action) { t.plain.insert(QByteArray(name).toLower(), action); };
    auto labelled = [&t](const char *name, const A &action) { t.labelled.insert(QByteArray(name).toLower(), action); };

    plain("jpegPhoto", {A::Photo, FieldFilter::Photo, 0, {}, A::Home, {}});
    plain("sn", text(kABPersonLastNameProperty));
    plain("givenName", text(kABPersonFirstNameProperty));
    plain("vnroMiddleName", text(kABPersonMiddleNameProperty));
    plain("o", text(kABPersonOrganizationProperty));
    plain("ou", text(kABPersonDepartmentProperty));
    plain("title", text(kABPersonJobTitleProperty));
    plain("mozillaNickname", text(kABPersonNicknameProperty));
    plain("vnroNickname", text(kABPersonNicknameProperty));
    plain("vnroPhoneticFirstName", text(kABPersonFirstNamePhoneticProperty, FieldFilter::Phonetic));
    plain("vnroPhoneticLastName", text(kABPersonLastNamePhoneticProperty, FieldFilter::Phonetic));
    plain("vnroPrefix", text(kABPersonPrefixProperty, FieldFilter::PrefixSuffix));
    plain("vnroSuffix", text(kABPersonSuffixProperty, FieldFilter::PrefixSuffix));
    plain("vnroBirthday", {A::Birthday, FieldFilter::Dates, kABPersonBirthdayProperty, {}, A::Home, {}});
    labelled("vnroDate", {A::Date, FieldFilter::Dates, kABPersonDateProperty, {}, A::Home, {}});
    plain("description", text(kABPersonNoteProperty, FieldFilter::Note));
    plain("vnroGroup", {A::Group, FieldFilter::Groups, 0, {}, A::Home, {}});

    const uint32_t phone = FieldFilter::Phone;
    plain("telephoneNumber", multi(kABPersonPhoneProperty, phone, kABPersonPhoneMainLabel));
    plain("mobile", multi(kABPersonPhoneProperty, phone, kABPersonPhoneMobileLabel));
    plain("homePhone", multi(kABPersonPhoneProperty, phone, kABHomeLabel));
    plain("pager", multi(kABPersonPhoneProperty, phone, kABPersonPhonePagerLabel));
    plain("fax", multi(kABPersonPhoneProperty, phone, kABPersonPhoneWorkFAXLabel));
    plain("facsimiletelephonenumber", multi(kABPersonPhoneProperty, phone, kABPersonPhoneWorkFAXLabel));
    plain("vnroHomeFax", multi(kABPersonPhoneProperty, phone, kABPersonPhoneHomeFAXLabel));
    plain("vnroWorkPhone", multi(kABPersonPhoneProperty, phone, kABWorkLabel));
    plain("vnroOtherPhone", multi(kABPersonPhoneProperty, phone, kABOtherLabel));
    labelled("vnroCustomPhone", multi(kABPersonPhoneProperty, phone, QString()));

    const uint32_t mail = FieldFilter::Email;
    plain("mail", multi(kABPersonEmailProperty, mail, kABOtherLabel));
    plain("vnroWorkMail", multi(kABPersonEmailProperty, mail, kABWorkLabel));
    plain("mozillaSecondEmail", multi(kABPersonEmailProperty, mail, kABWorkLabel));
    plain("vnroHomeMail", multi(kABPersonEmailProperty, mail, kABHomeLabel));
    labelled("vnroCustomMail", multi(kABPersonEmailProperty, mail, QString()));

    const uint32_t url = FieldFilter::URL;
    plain("labeledURI", multi(kABPersonURLProperty, url, kABOtherLabel));
    plain("vnroWorkUrl", multi(kABPersonURLProperty, url, kABWorkLabel));
    plain("mozillaWorkUrl", multi(kABPersonURLProperty, url, kABWorkLabel));
    plain("vnroHomeUrl", multi(kABPersonURLProperty, url, kABHomeLabel));
    plain("mozillaHomeUrl", multi(kABPersonURLProperty, url, kABHomeLabel));
    plain("vnroHomePageUrl", multi(kABPersonURLProperty, url, kABPersonHomePageLabel));
    labelled("vnroCustomUrl", multi(kABPersonURLProperty, url, QString()));

    // The five address parts by their stems, then the names other writers use.
    const char *stems[] = {"street", "l", "st", "c", "postalCode"};
    const QString keys[] = {kABPersonAddressStreetKey, kABPersonAddressCityKey, kABPersonAddressStateKey,
                            kABPersonAddressCountryKey, kABPersonAddressZIPKey};
    const char *mozillaHome[] = {"mozillaHomeStreet", "mozillaHomeLocalityName", "mozillaHomeState",
                                 "mozillaHomeCountryName", "mozillaHomePostalCode"};
    for (int i = 0; i < 5; ++i) {
        const QByteArray stem(stems[i]);
        plain(stem.constData(), part(A::Home, keys[i]));
        plain(mozillaHome[i], part(A::MozillaHome, keys[i]));
        plain(("vnroWorkAddress" + stem).constData(), part(A::Work, keys[i]));
        plain(("vnroOtherAddress" + stem).constData(), part(A::Other, keys[i]));
        labelled(("vnroCustomAddress" + stem).constData(), {A::CustomAddress, FieldFilter::Address, 0, {}, A::Home, keys[i]});
    }
    labelled("vnroIM", {A::InstantMessage, FieldFilter::IM, kABPersonInstantMessageProperty, {}, A::Home, {}});
    return t;
}

} // namespace

const LdifAttribute *findLdifAttribute(QByteArrayView name, bool labelled)
{
    static const Tables tables = buildTables();
    const QHash<QByteArray, LdifAttribute> &table = labelled ? tables.labelled : tables.plain;
    // Looked up for every line: a name of ordinary length is lower-cased on the stack.
    char lower[64];
    if (name.size() > qsizetype(sizeof lower)) {
        auto it = table.constFind(name.toByteArray().toLower());
        return it == table.constEnd() ? nullptr : &it.value();
    }
    std::transform(name.begin(), name.end(), lower, AsciiText::toLower);
    auto it = table.constFind(QByteArray::fromRawData(lower, name.size()));
    return it == table.constEnd() ? nullptr : &it.value();
}
