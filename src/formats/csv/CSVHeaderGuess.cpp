#include "CSVHeaderGuess.h"

#include "CSVimport.h"

#include <QHash>
#include <QRegularExpression>

#include <utility>
#include <vector>

namespace {

using F = CSVimport::Field;

// Names as they are compared: lower case, inner blanks collapsed, every number written "#".
QHash<QString, int> buildTable()
{
    const std::vector<std::pair<F, std::vector<const char *>>> names{
        {F::FirstName, {"first name", "given name", "first", "forename"}},
        {F::LastName, {"last name", "family name", "surname", "last", "family"}},
        {F::MiddleName, {"middle name", "additional name", "middle"}},
        {F::Nickname, {"nick name", "short name"}},
        {F::Organization, {"company", "company name", "organisation", "organization # - name", "employer"}},
        {F::JobTitle, {"job title", "organization # - title", "position", "job"}},
        {F::Department, {"organization # - department", "dept"}},
        {F::Email, {"e-mail", "e-mail address", "e-mail # address", "e-mail # - value", "email address",
                    "email address #", "e-mail #", "email #", "primary email", "secondary email", "mail",
                    "e-mail address #"}},
        {F::Birthday, {"birth date", "date of birth", "birthdate", "born"}},
        {F::Note, {"notes", "comments", "comment", "memo"}},
        {F::Date, {"anniversary"}},
        {F::Phone, {"mobile phone", "business phone", "business phone #", "home phone", "home phone #",
                    "other phone", "primary phone", "company main phone", "car phone", "work phone",
                    "mobile number", "mobile", "cell phone", "cell", "telephone", "phone number",
                    "phone # - value", "business fax", "home fax", "other fax", "fax", "fax number",
                    "pager", "pager number", "assistant's phone", "callback", "radio phone", "tel"}},
        {F::URL, {"web page", "web page #", "website", "web site", "website # - value", "homepage", "home page"}},
        {F::AddressStreet, {"home street", "business street", "other street", "address # - street",
                            "home address", "work address", "street address"}},
        {F::AddressCity, {"home city", "business city", "other city", "address # - city", "work city", "town",
                          "locality"}},
        {F::AddressState, {"home state", "business state", "other state", "address # - region", "work state",
                           "region", "province", "state/province"}},
        {F::AddressCountry, {"home country/region", "business country/region", "other country/region",
                             "address # - country", "home country", "work country", "country/region"}},
        {F::AddressZIPcode, {"home postal code", "business postal code", "other postal code",
                             "address # - postal code", "home zipcode", "work zipcode", "home zip", "work zip",
                             "postal code", "postcode", "zip", "zip code"}},
        {F::PhoneticFirstName, {"given name yomi", "first name yomi", "phonetic first name"}},
        {F::PhoneticLastName, {"family name yomi", "last name yomi", "phonetic last name"}},
        {F::Prefix, {"name prefix", "salutation"}},
        {F::Suffix, {"name suffix"}},
        {F::InstantMessage, {"im # - value", "im address", "instant message", "im"}},
        {F::Group, {"categories", "category", "group membership", "groups"}},
    };
    QHash<QString, int> table;
    for (const auto &[field, list] : names) {
        for (const char *name : list)
            table.insert(QString::fromLatin1(name), field);
    }
    return table;
}

QString normalized(const QString &text)
{
    static const QRegularExpression number(QStringLiteral("\\d+"));
    return text.simplified().toLower().replace(number, QStringLiteral("#"));
}

} // namespace

int guessCSVField(const QString &headerText)
{
    static const QHash<QString, int> table = buildTable();
    return table.value(normalized(headerText), -1);
}
