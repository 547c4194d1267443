#include "WinContactDocument.h"

#include "formats/common/TextConversion.h"
#include "formats/common/LabelKinds.h"
#include "formats/vcard/ValueText.h"
#include "platform/DevLog.h"
#include "shell/AppData.h"

#include <QUuid>

namespace {

void line(QByteArray &xml, const QByteArray &text)
{
    xml += text;
    xml += "\r\n";
}

QByteArray labels(std::initializer_list<const char *> words)
{
    QByteArray block = "<c:LabelCollection>\r\n";
    for (const char *word : words)
        block += QByteArray("<c:Label>") + word + "</c:Label>\r\n";
    block += "</c:LabelCollection>";
    return block;
}

QByteArray elementStart(const char *tag)
{
    return QByteArray("<c:") + tag + " c:ElementID=\"" + WinContactDocument::getGUIDString() + "\">";
}

} // namespace

QByteArray WinContactDocument::getGUIDString()
{
    const QUuid uuid = QUuid::createUuid();
    if (uuid.isNull()) {
        DevLog::log(QStringLiteral("getGUIDString 139 error"));
        return QByteArray();
    }
    return uuid.toByteArray(QUuid::WithoutBraces).toUpper();
}

QString WinContactDocument::escaped(const QString &text)
{
    QString out;
    out.reserve(text.size() + 8);
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u == '&')
            out += QLatin1String("&amp;");
        else if (u == '<')
            out += QLatin1String("&lt;");
        else if (u == '>')
            out += QLatin1String("&gt;");
        else if (u >= 0x20 || u == '\t' || u == '\n' || u == '\r')
            out += c;
    }
    return out;
}

void WinContactDocument::appendText(QByteArray &xml, const char *tag, const QString &text) const
{
    if (auto bytes = ValueText::converted(escaped(text), m_charSet))
        line(xml, QByteArray("<c:") + tag + '>' + *bytes + "</c:" + tag + '>');
}

void WinContactDocument::appendPlain(QByteArray &xml, const char *tag, const QString &text) const
{
    if (auto bytes = ValueText::plain(escaped(text)))
        line(xml, QByteArray("<c:") + tag + '>' + *bytes + "</c:" + tag + '>');
}

QByteArray WinContactDocument::compose(const ABRecord &person, const QDateTime &now) const
{
    QByteArray xml;
    xml.reserve(2048);
    line(xml, "<?xml version=\"1.0\" encoding=\"" + ValueText::charsetName(m_charSet) + "\"?>");
    line(xml, "<c:contact c:Version=\"1\" xmlns:c=\"http://schemas.microsoft.com/Contact\" "
              "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
              "xmlns:MSP2P=\"http://schemas.microsoft.com/Contact/Extended/MSP2P\">");
    line(xml, "<c:CreationDate>" + now.toUTC().toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss'Z'")).toLatin1() +
                  "</c:CreationDate>");
    line(xml, "<c:Extended xsi:nil=\"true\"/>");
    line(xml, "<c:ContactIDCollection>");
    line(xml, elementStart("ContactID"));
    line(xml, "<c:Value>" + getGUIDString() + "</c:Value>");
    line(xml, "</c:ContactID>");
    line(xml, "</c:ContactIDCollection>");
    if (has(FieldFilter::Note))
        appendText(xml, "Notes", person.copyText(kABPersonNoteProperty));
    if (has(FieldFilter::Email))
        appendEmails(xml, person);
    appendNames(xml, person);
    if (has(FieldFilter::Address))
        appendAddresses(xml, person);
    if (has(FieldFilter::Phone))
        appendPhones(xml, person);
    if (has(FieldFilter::URL))
        appendUrls(xml, person);
    appendPosition(xml, person);
    // Windows keeps the birthday with the name, so it goes out whatever the Dates filter says.
    appendBirthday(xml, person);
    if (has(FieldFilter::Photo) && person.hasImageData())
        appendPhoto(xml, person);
    line(xml, "</c:contact>");
    return xml;
}

void WinContactDocument::appendEmails(QByteArray &xml, const ABRecord &person) const
{
    const ABMultiValue emails = person.copyMultiValue(kABPersonEmailProperty);
    if (emails.isEmpty())
        return;
    line(xml, "<c:EmailAddressCollection>");
    for (const ABMultiValue::Entry &entry : emails.entries()) {
        if (!ValueText::plain(entry.value.toString()))
            continue;
        line(xml, elementStart("EmailAddress"));
        line(xml, "<c:Type>SMTP</c:Type>");
        appendPlain(xml, "Address", entry.value.toString());
        line(xml, "</c:EmailAddress>");
    }
    line(xml, "<c:EmailAddress c:ElementID=\"" + getGUIDString() + "\" xsi:nil=\"true\"/>");
    line(xml, "</c:EmailAddressCollection>");
}

void WinContactDocument::appendNames(QByteArray &xml, const ABRecord &person) const
{
    line(xml, "<c:NameCollection>");
    line(xml, elementStart("Name"));
    appendText(xml, "NickName", person.copyText(kABPersonNicknameProperty));
    appendText(xml, "FamilyName", person.copyText(kABPersonLastNameProperty));
    appendText(xml, "MiddleName", person.copyText(kABPersonMiddleNameProperty));
    appendText(xml, "GivenName", person.copyText(kABPersonFirstNameProperty));
    appendText(xml, "FormattedName", person.copyCompositeName());
    line(xml, "</c:Name>");
    line(xml, "</c:NameCollection>");
}

void WinContactDocument::appendAddresses(QByteArray &xml, const ABRecord &person) const
{
    bool opened = false;
    const ABMultiValue addresses = person.copyMultiValue(kABPersonAddressProperty);
    for (const ABMultiValue::Entry &entry : addresses.entries()) {
        if (!entry.label)
            continue;
        if (!opened)
            line(xml, "<c:PhysicalAddressCollection>");
        opened = true;
        const QVariantMap parts = entry.value.toMap();
        line(xml, elementStart("PhysicalAddress"));
        appendText(xml, "Street", parts.value(kABPersonAddressStreetKey).toString());
        appendText(xml, "Locality", parts.value(kABPersonAddressCityKey).toString());
        appendText(xml, "Region", parts.value(kABPersonAddressStateKey).toString());
        appendText(xml, "Country", parts.value(kABPersonAddressCountryKey).toString());
        appendText(xml, "PostalCode", parts.value(kABPersonAddressZIPKey).toString());
        switch (LabelKinds::addressKind(entry.label)) {
        case 1: line(xml, labels({"Personal"})); break;
        case 2: line(xml, labels({"Other"})); break;
        case 3: line(xml, labels({"Business"})); break;
        default: break;
        }
        line(xml, "</c:PhysicalAddress>");
    }
    if (opened)
        line(xml, "</c:PhysicalAddressCollection>");
}

void WinContactDocument::appendPhones(QByteArray &xml, const ABRecord &person) const
{
    bool opened = false;
    const ABMultiValue phones = person.copyMultiValue(kABPersonPhoneProperty);
    for (const ABMultiValue::Entry &entry : phones.entries()) {
        if (!entry.label)
            continue;
        if (!opened)
            line(xml, "<c:PhoneNumberCollection>");
        opened = true;
        if (!ValueText::plain(entry.value.toString()))
            continue;
        line(xml, elementStart("PhoneNumber"));
        appendPlain(xml, "Number", entry.value.toString());
        switch (LabelKinds::phoneKind(entry.label)) {
        case 1: line(xml, labels({"Personal", "Voice"})); break;
        case 2: line(xml, labels({"Personal", "Cellular"})); break;
        case 3: line(xml, labels({"Business", "Fax"})); break;
        case 4: line(xml, labels({"Personal", "Fax"})); break;
        case 5: line(xml, labels({"Personal", "Pager"})); break;
        case 6: line(xml, labels({"Business", "Voice"})); break;
        case 7: line(xml, labels({"Personal", "Voice"})); break;
        default: line(xml, labels({"Other", "Voice"})); break;
        }
        line(xml, "</c:PhoneNumber>");
    }
    if (opened)
        line(xml, "</c:PhoneNumberCollection>");
}

void WinContactDocument::appendUrls(QByteArray &xml, const ABRecord &person) const
{
    bool opened = false;
    const ABMultiValue urls = person.copyMultiValue(kABPersonURLProperty);
    for (const ABMultiValue::Entry &entry : urls.entries()) {
        if (!entry.label)
            continue;
        if (!opened)
            line(xml, "<c:UrlCollection>");
        opened = true;
        if (!ValueText::plain(entry.value.toString()))
            continue;
        line(xml, elementStart("Url"));
        appendPlain(xml, "Value", entry.value.toString());
        const int kind = LabelKinds::urlKind(entry.label);
        line(xml, labels({kind == 1 ? "Business" : kind == 2 || kind == 3 ? "Personal" : "Other"}));
        line(xml, "</c:Url>");
    }
    if (opened)
        line(xml, "</c:UrlCollection>");
}

void WinContactDocument::appendPosition(QByteArray &xml, const ABRecord &person) const
{
    line(xml, "<c:PositionCollection>");
    line(xml, elementStart("Position"));
    appendText(xml, "Company", person.copyText(kABPersonOrganizationProperty));
    appendText(xml, "JobTitle", person.copyText(kABPersonJobTitleProperty));
    appendText(xml, "Department", person.copyText(kABPersonDepartmentProperty));
    line(xml, labels({"Business"}));
    line(xml, "</c:Position>");
    line(xml, "</c:PositionCollection>");
}

void WinContactDocument::appendBirthday(QByteArray &xml, const ABRecord &person) const
{
    const QDateTime birthday = person.copyValue(kABPersonBirthdayProperty).toDateTime();
    if (!birthday.isValid())
        return;
    line(xml, "<c:DateCollection>");
    line(xml, elementStart("Date"));
    line(xml, "<c:Value>" + m_days.digits(birthday, "-") +
                  "T00:00:00Z</c:Value>");
    line(xml, labels({"wab:Birthday"}));
    line(xml, "</c:Date>");
    line(xml, "</c:DateCollection>");
}

void WinContactDocument::appendPhoto(QByteArray &xml, const ABRecord &person) const
{
    const QByteArray jpeg = TextConversion::jpegFromImageData(person.copyImageData());
    if (jpeg.isEmpty()) {
        DevLog::log(QStringLiteral("writepicture UIImage ERROR"));
        return;
    }
    line(xml, "<c:PhotoCollection>");
    line(xml, elementStart("Photo"));
    line(xml, "<c:Value c:ContentType=\"image/jpeg\">" + TextConversion::base64(jpeg) + "</c:Value>");
    line(xml, labels({"UserTile"}));
    line(xml, "</c:Photo>");
    line(xml, "</c:PhotoCollection>");
}
