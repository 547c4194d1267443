#include "LdifPrinter.h"

#include "LdifText.h"
#include "formats/common/TextConversion.h"
#include "platform/DevLog.h"

#include <iterator>

namespace {

// By kind number (see LabelKinds), per schema.
const char *const kPhoneNames[][3] = {
    {"vnroCustomPhone;", nullptr, nullptr},
    {"telephoneNumber", "telephoneNumber", "telephoneNumber"}, // main
    {"mobile", "mobile", "mobile"},
    {"fax", "fax", "fax"},                                      // work fax
    {"vnroHomeFax", "fax", "fax"},
    {"pager", "pager", "pager"},
    {"vnroWorkPhone", "telephoneNumber", "telephoneNumber"},
    {"homePhone", "homePhone", "homePhone"},
    {"vnroOtherPhone", "telephoneNumber", "telephoneNumber"},
};
const char *const kEmailNames[][3] = {
    {"vnroCustomMail;", "mail", "mail"}, // any other label, or none ("email")
    {"vnroWorkMail", "mail", "mozillaSecondEmail"},
    {"vnroHomeMail", "mail", "mail"},
    {"mail", "mail", "mail"},
};
const char *const kUrlNames[][3] = {
    {"vnroCustomUrl;", "labeledURI", "mozillaWorkUrl"},
    {"vnroWorkUrl", "labeledURI", "mozillaWorkUrl"},
    {"vnroHomeUrl", "labeledURI", "mozillaHomeUrl"},
    {"vnroHomePageUrl", "labeledURI", "mozillaWorkUrl"},
    {"labeledURI", "labeledURI", "mozillaWorkUrl"},
};

// Address parts: street, city, state, country, postal code.
const char *const kAddressStems[] = {"street", "l", "st", "c", "postalCode"};
const char *const kMozillaHomeParts[] = {"mozillaHomeStreet", "mozillaHomeLocalityName", "mozillaHomeState",
                                         "mozillaHomeCountryName", "mozillaHomePostalCode"};
// Address kinds: 0 custom, 1 home, 2 other, 3 work.
enum AddressKind { CustomAddress = 0, HomeAddress = 1, OtherAddress = 2, WorkAddress = 3 };
const char *const kVennaroAddressPrefixes[] = {"vnroCustomAddress", "", "vnroOtherAddress", "vnroWorkAddress"};

template<size_t N>
const char *const *namesOf(const char *const (&table)[N][3], int kind)
{
    return table[kind >= 0 && size_t(kind) < N ? kind : 0];
}

} // namespace

LdifPrinter::LdifPrinter(ExportOutput &out, const ExportContext &context)
    : RecordPrinter(out, context),
      m_schema(context.layout == Generic || context.layout == Mozilla ? Schema(context.layout) : Vennaro)
{
}

void LdifPrinter::prologue()
{
    m_out << "version: 1\n";
}

bool LdifPrinter::writesField(SingleField field) const
{
    switch (field) {
    case SingleField::Organization:
    case SingleField::Department:
    case SingleField::JobTitle:
        return true;
    case SingleField::Nickname:
        return m_schema != Generic;
    default:
        return m_schema == Vennaro;
    }
}

ExportText LdifPrinter::fieldName(SingleField field, const ExportText &) const
{
    switch (field) {
    case SingleField::PhoneticFirstName: return QByteArray("vnroPhoneticFirstName");
    case SingleField::PhoneticLastName: return QByteArray("vnroPhoneticLastName");
    case SingleField::Organization: return QByteArray("o");
    case SingleField::Department: return QByteArray("ou");
    case SingleField::JobTitle: return QByteArray("title");
    case SingleField::Nickname: return QByteArray(m_schema == Mozilla ? "mozillaNickname" : "vnroNickname");
    case SingleField::Prefix: return QByteArray("vnroPrefix");
    case SingleField::Suffix: return QByteArray("vnroSuffix");
    case SingleField::Birthday: return QByteArray("vnroBirthday");
    }
    return std::nullopt;
}

void LdifPrinter::line(QByteArrayView attribute, const ExportText &value)
{
    if (m_skipping || !value || value->isEmpty())
        return;
    if (LdifText::needsBase64(*value))
        m_out << attribute << ":: " << TextConversion::base64(*value) << '\n';
    else
        m_out << attribute << ": " << *value << '\n';
}

void LdifPrinter::entryHead(const EntryHead &head)
{
    // The engine only calls with a composite name that exists; a none here means it has no
    // form in the chosen character set, and an entry without its dn would not load anywhere.
    if (!head.compositeName || head.compositeName->isEmpty()) {
        DevLog::log(QStringLiteral("writeRecord composite name not in the character set, entry skipped"));
        m_skipping = true;
        return;
    }
    QByteArray dn = "cn=" + LdifText::escapeDnValue(*head.compositeName);
    if (head.dnSuffix && !head.dnSuffix->isEmpty())
        dn += ',' + *head.dnSuffix;
    line("dn", dn);
    m_out << "objectclass: top\nobjectclass: person\nobjectclass: organizationalPerson\nobjectclass: inetOrgPerson\n";
    if (m_schema == Mozilla)
        m_out << "objectclass: mozillaAbPersonAlpha\n";
    else if (m_schema == Vennaro)
        m_out << "objectclass: vnroPerson\n";
    line("cn", head.compositeName);
    line("givenName", head.firstName);
    line("sn", head.lastName);
    if (m_schema == Vennaro)
        line("vnroMiddleName", head.middleName);
    // Already base64 (the engine asks for no photo in the Mozilla schema).
    if (head.photo && !head.photo->isEmpty() && m_schema != Mozilla)
        m_out << "jpegPhoto:: " << *head.photo << '\n';
}

void LdifPrinter::nameValue(const ExportText &name, const ExportText &value)
{
    if (name)
        line(*name, value);
}

void LdifPrinter::group(const ExportText &name)
{
    line("vnroGroup", name);
}

void LdifPrinter::kindLine(const char *const *schemaNames, const ExportText &label, const ExportText &value)
{
    if (!schemaNames[m_schema])
        return;
    const QByteArrayView name(schemaNames[m_schema]);
    if (!name.endsWith(';')) {
        line(name, value);
    } else if (label && !label->isEmpty()) {
        line(name.toByteArray() + *label, value);
    }
}

void LdifPrinter::phone(const ExportText &, const ExportText &number, const ExportText &label, int kind)
{
    kindLine(namesOf(kPhoneNames, kind), label, number);
}

void LdifPrinter::email(const ExportText &, const ExportText &address, const ExportText &label, int kind)
{
    kindLine(namesOf(kEmailNames, kind), label, address);
}

void LdifPrinter::url(const ExportText &, const ExportText &url, const ExportText &label, int kind)
{
    kindLine(namesOf(kUrlNames, kind), label, url);
}

void LdifPrinter::date(const ExportText &, const ExportText &label, const ExportText &dateText)
{
    if (m_schema == Vennaro && label && !label->isEmpty())
        line("vnroDate;" + *label, dateText);
}

void LdifPrinter::instantMessage(const ExportText &, const ExportText &label, const ExportText &service,
                                 const ExportText &userName)
{
    if (m_schema != Vennaro || !label || label->isEmpty() || !userName)
        return;
    // An entry stored without a service keeps the user name alone.
    QByteArray value = *userName;
    if (service)
        value += " (" + *service + ')';
    line("vnroIM;" + *label, value);
}

void LdifPrinter::note(const ExportText &, const ExportText &note)
{
    // A note with line ends goes out base64 ("description::") by the plain-value rule.
    line("description", note);
}

void LdifPrinter::addressPart(const ExportText &, const ExportText &label, const ExportText &, const ExportText &value,
                              int kind, int part)
{
    if (part < 0 || size_t(part) >= std::size(kAddressStems))
        return;
    if (kind < CustomAddress || kind > WorkAddress)
        kind = CustomAddress;
    if (m_schema == Mozilla) {
        line(kind == WorkAddress ? kAddressStems[part] : kMozillaHomeParts[part], value);
        return;
    }
    QByteArray attribute = m_schema == Vennaro ? kVennaroAddressPrefixes[kind] : "";
    attribute += kAddressStems[part];
    if (kind != CustomAddress) {
        line(attribute, value);
    } else if (label && !label->isEmpty()) {
        line(attribute + ';' + *label, value);
    }
}

void LdifPrinter::endRecord()
{
    if (!m_skipping)
        m_out << '\n';
    m_skipping = false;
}
