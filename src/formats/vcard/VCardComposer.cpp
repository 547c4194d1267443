#include "VCardComposer.h"

#include "formats/common/LabelKinds.h"
#include "QuotedPrintable.h"
#include "ValueText.h"

#include "formats/common/TextConversion.h"
#include "platform/ByteAppend.h"
#include "platform/DevLog.h"
#include "shell/AppData.h"

#include <cctype>
#include <cstdio>

namespace {

const QByteArray kCRLF = QByteArrayLiteral("\r\n");

void appendLine(QByteArray &card, QByteArrayView line)
{
    appendBytes(card, line);
    appendBytes(card, kCRLF);
}

// A property line from a head ("FN;CHARSET=UTF-8") and a stored value. A value holding a line
// break is written quoted-printable, so that it cannot end the line early and the card stays
// one card ("END:VCARD" inside a title stays text).
void appendValueLine(QByteArray &card, QByteArrayView head, const QByteArray &value)
{
    if (!value.contains('\n') && !value.contains('\r')) {
        appendBytes(card, head);
        appendBytes(card, ":");
        appendLine(card, value);
        return;
    }
    const qsizetype semicolon = head.indexOf(';');
    const qsizetype keywordEnd = semicolon < 0 ? head.size() : semicolon;
    appendBytes(card, head.first(keywordEnd));
    appendBytes(card, ";ENCODING=QUOTED-PRINTABLE");
    appendBytes(card, head.sliced(keywordEnd));
    appendBytes(card, ":");
    appendLine(card, QuotedPrintable::encodeQuotedPrintable(value));
}

QByteArray orEmpty(const std::optional<QByteArray> &bytes)
{
    return bytes ? *bytes : QByteArray();
}

// "ADR;DOM;HOME;CHARSET=…" and the like: domestic, then international, each for a home, a work
// and any other address.
std::array<QByteArray, 6> addressHeads(const QByteArray &charsetName)
{
    std::array<QByteArray, 6> heads;
    size_t i = 0;
    for (const char *reach : {"DOM", "INTL"}) {
        for (const char *type : {"HOME", "WORK", "PARCEL"})
            heads[i++] = QByteArray("ADR;") + reach + ';' + type + ";CHARSET=" + charsetName;
    }
    return heads;
}

// The address parts a card holds, in the order of its fields.
enum AddressPart { Street, City, State, ZIP, Country };

} // namespace

VCardComposer::VCardComposer(uint32_t mask, int charSet, GroupMemberships groups)
    : m_mask(mask), m_charSet(charSet), m_charsetName(ValueText::charsetName(charSet)),
      m_nameHead("N;CHARSET=" + m_charsetName), m_fullNameHead("FN;CHARSET=" + m_charsetName),
      m_nicknameHead("NICKNAME;CHARSET=" + m_charsetName), m_titleHead("TITLE;CHARSET=" + m_charsetName),
      m_addressHeads(addressHeads(m_charsetName)), m_groups(std::move(groups)),
      m_addressEntry({kABPersonAddressStreetKey, kABPersonAddressCityKey, kABPersonAddressStateKey, kABPersonAddressZIPKey,
                      kABPersonAddressCountryKey}),
      m_messageEntry({kABPersonInstantMessageServiceKey, kABPersonInstantMessageUsernameKey})
{
}

QByteArray VCardComposer::compose(const ABRecord &person, const QDateTime &now) const
{
    QByteArray card;
    card.reserve(512);
    appendLine(card, "BEGIN:VCARD");
    appendLine(card, "VERSION:2.1");
    appendNames(card, person);
    if (has(FieldFilter::Dates)) {
        const QDateTime birthday = person.copyValue(kABPersonBirthdayProperty).toDateTime();
        if (birthday.isValid())
            appendLine(card, "BDAY:" + m_days.digits(birthday, ""));
    }
    if (has(FieldFilter::Email))
        appendEmails(card, person);
    if (has(FieldFilter::Address))
        appendAddresses(card, person);
    if (has(FieldFilter::Phone))
        appendPhones(card, person);
    if (has(FieldFilter::URL))
        appendUrls(card, person);
    if (has(FieldFilter::IM))
        appendInstantMessages(card, person);
    if (has(FieldFilter::Note))
        appendNote(card, person);
    if (has(FieldFilter::Photo) && person.hasImageData())
        appendPhoto(card, person);
    if (has(FieldFilter::Groups))
        appendGroups(card, person);
    appendLine(card, revisionLine(now));
    appendLine(card, "END:VCARD");
    return card;
}

const QByteArray &VCardComposer::revisionLine(const QDateTime &now) const
{
    // Made again only when the second changes: a whole book is written within a few.
    const qint64 second = now.toSecsSinceEpoch();
    if (m_revision.isEmpty() || second != m_revisionSecond) {
        const QDateTime utc = now.toUTC();
        const QDate day = utc.date();
        const QTime time = utc.time();
        char rev[40];
        std::snprintf(rev, sizeof rev, "REV:%d%02d%02dT%02d%02d%02dZ", day.year(), day.month(), day.day(), time.hour(),
                      time.minute(), time.second());
        m_revision = rev;
        m_revisionSecond = second;
    }
    return m_revision;
}

void VCardComposer::appendNames(QByteArray &card, const ABRecord &person) const
{
    // Read once: the N line and the composite name are both made of them.
    const ABRecord::Names names = person.copyNames();
    QByteArray n = orEmpty(ValueText::converted(names.last, m_charSet));
    n += ';';
    n += orEmpty(ValueText::converted(names.first, m_charSet));
    if (auto middle = ValueText::converted(names.middle, m_charSet)) {
        n += ';';
        n += *middle;
    }
    appendValueLine(card, m_nameHead, n);

    auto single = [&](const QByteArray &head, ABPropertyID property) {
        if (auto value = ValueText::converted(person.copyText(property), m_charSet))
            appendValueLine(card, head, *value);
    };
    if (auto composite = ValueText::converted(person.compositeName(names), m_charSet))
        appendValueLine(card, m_fullNameHead, *composite);
    single(m_nicknameHead, kABPersonNicknameProperty);
    // The organization is always labelled and written as UTF-8, whatever the run's choice.
    if (auto organization = ValueText::converted(names.organization, 0)) {
        QByteArray org = *organization;
        if (auto department = ValueText::converted(person.copyText(kABPersonDepartmentProperty), 0)) {
            org += ';';
            org += *department;
        }
        appendValueLine(card, "ORG;CHARSET=UTF-8", org);
    }
    single(m_titleHead, kABPersonJobTitleProperty);
}

void VCardComposer::appendEmails(QByteArray &card, const ABRecord &person) const
{
    person.forEachEntry(kABPersonEmailProperty, m_textEntry, [&](const ABRecordCodec::EntryTexts &entry) {
        auto address = ValueText::plain(entry.field(0));
        if (!address)
            return;
        switch (LabelKinds::emailKind(entry.label())) {
        case 1: appendValueLine(card, "EMAIL;WORK;INTERNET", *address); break;
        case 2: appendValueLine(card, "EMAIL;HOME;INTERNET", *address); break;
        default: appendValueLine(card, "EMAIL;INTERNET", *address); break;
        }
    });
}

void VCardComposer::appendAddresses(QByteArray &card, const ABRecord &person) const
{
    person.forEachEntry(kABPersonAddressProperty, m_addressEntry, [&](const ABRecordCodec::EntryTexts &entry) {
        if (!entry.label())
            return;
        QString street = entry.field(Street);
        street.replace(QLatin1Char('\n'), QLatin1Char(' ')).replace(QLatin1Char('\r'), QLatin1Char(' '));
        const QString &country = entry.field(Country);
        const QString value = QStringLiteral(";;%1;%2;%3;%4;%5")
                                  .arg(street, entry.field(City), entry.field(State), entry.field(ZIP), country);
        auto bytes = ValueText::converted(value, m_charSet);
        if (!bytes)
            return;
        const int kind = LabelKinds::addressKind(entry.label());
        const int type = kind == 1 ? 0 : kind == 3 ? 1 : 2;
        appendValueLine(card, m_addressHeads[size_t((country.isEmpty() ? 0 : 3) + type)], *bytes);
    });
}

void VCardComposer::appendPhones(QByteArray &card, const ABRecord &person) const
{
    person.forEachEntry(kABPersonPhoneProperty, m_textEntry, [&](const ABRecordCodec::EntryTexts &entry) {
        if (!entry.label())
            return;
        auto number = ValueText::plain(entry.field(0));
        if (!number)
            return;
        const char *parameters;
        switch (LabelKinds::phoneKind(entry.label())) {
        case 1: parameters = "HOME;VOICE"; break;
        case 2: parameters = "HOME;CELL"; break;
        case 3: parameters = "WORK;FAX"; break;
        case 4: parameters = "HOME;FAX"; break;
        case 5: parameters = "HOME;PAGER"; break;
        case 6: parameters = "WORK;Voice"; break;
        case 7: parameters = "HOME;VOICE"; break;
        default: parameters = "WORK;VOICE"; break;
        }
        appendValueLine(card, QByteArray("TEL;") + parameters, *number);
    });
}

QByteArray VCardComposer::urlValue(const QByteArray &value)
{
    // A scheme is a letter, then letters, digits, "+", "." or "-", then "://".
    const qsizetype separator = value.indexOf("://");
    bool scheme = separator > 0 && std::isalpha(static_cast<unsigned char>(value[0]));
    for (qsizetype i = 1; scheme && i < separator; ++i) {
        const auto c = static_cast<unsigned char>(value[i]);
        scheme = std::isalnum(c) || c == '+' || c == '.' || c == '-';
    }
    return scheme ? value : "http://" + value;
}

void VCardComposer::appendUrls(QByteArray &card, const ABRecord &person) const
{
    person.forEachEntry(kABPersonURLProperty, m_textEntry, [&](const ABRecordCodec::EntryTexts &entry) {
        if (!entry.label())
            return;
        auto url = ValueText::plain(entry.field(0));
        if (!url)
            return;
        switch (LabelKinds::urlKind(entry.label())) {
        case 1: appendValueLine(card, "URL;WORK", urlValue(*url)); break;
        case 2:
        case 3: appendValueLine(card, "URL;HOME", urlValue(*url)); break;
        default: appendValueLine(card, "URL", urlValue(*url)); break;
        }
    });
}

void VCardComposer::appendInstantMessages(QByteArray &card, const ABRecord &person) const
{
    person.forEachEntry(kABPersonInstantMessageProperty, m_messageEntry, [&](const ABRecordCodec::EntryTexts &entry) {
        if (!entry.label())
            return;
        const QString &service = entry.field(0);
        const char *word = service == kABPersonInstantMessageServiceYahoo ? "ymsgr"
                         : service == kABPersonInstantMessageServiceMSN   ? "msn"
                         : service == kABPersonInstantMessageServiceAIM   ? "aim"
                                                                          : nullptr;
        if (!word)
            return;
        auto user = ValueText::converted(entry.field(1), m_charSet);
        if (!user)
            return;
        const char *type = *entry.label() == kABWorkLabel ? "BUSINESS" : "PERSONAL";
        appendValueLine(card, QByteArray("IMPP;TYPE=") + type, word + (':' + *user));
    });
}

void VCardComposer::appendNote(QByteArray &card, const ABRecord &person) const
{
    if (auto note = ValueText::converted(person.copyText(kABPersonNoteProperty), m_charSet))
        appendLine(card, "NOTE;ENCODING=QUOTED-PRINTABLE;CHARSET=" + m_charsetName + ':' +
                             QuotedPrintable::encodeQuotedPrintable(*note));
}

QByteArray VCardComposer::photoLines(const QByteArray &jpeg)
{
    const QByteArray text = TextConversion::base64(jpeg);
    QByteArray lines = "PHOTO;ENCODING=BASE64;TYPE=JPEG:" + text.left(42) + kCRLF;
    for (qsizetype at = 42; at < text.size(); at += 73)
        lines += ' ' + text.mid(at, 73) + kCRLF;
    lines += kCRLF;
    return lines;
}

void VCardComposer::appendPhoto(QByteArray &card, const ABRecord &person) const
{
    const QByteArray jpeg = TextConversion::jpegFromImageData(person.copyImageData());
    if (jpeg.isEmpty()) {
        DevLog::log(QStringLiteral("writepicture UIImage ERROR"));
        return;
    }
    card += photoLines(jpeg);
}

void VCardComposer::appendGroups(QByteArray &card, const ABRecord &person) const
{
    for (const GroupMemberships::Membership &membership : m_groups.of(person.recordID())) {
        if (auto bytes = ValueText::converted(m_groups.names().at(membership.group), m_charSet))
            appendValueLine(card, "X-GROUP;CHARSET=" + m_charsetName, *bytes);
    }
}
