#include "VCARDimport.h"

#include "QuotedPrintable.h"
#include "VCardLines.h"

#include "addressbook/ABSources.h"
#include "formats/common/FileLines.h"
#include "formats/common/ImportOutcome.h"
#include "formats/common/ImportValues.h"
#include "formats/common/ProgressTarget.h"
#include "platform/AsciiText.h"
#include "platform/DevLog.h"
#include "platform/OrderedBatches.h"
#include "shell/AppData.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QStringDecoder>
#include <QTimeZone>
#include <QVarLengthArray>

#include <algorithm>
#include <optional>
#include <span>
#include <utility>
#include <vector>

namespace {

enum class Keyword {
    Ignored, Tel, Email, Url, Photo, Adr, Bday, Impp, Group, N, Org, Nickname, Title, Note,
    Label, Date, Anniversary, RelatedName, PhoneticFirst, PhoneticLast, ServiceIM, Categories, SocialProfile
};

// Whether the ASCII text `text` equals `upper` (upper-case ASCII) once upper-cased.
bool asciiUpperCasedEquals(QStringView text, QLatin1String upper)
{
    return text.size() == upper.size() && std::equal(text.begin(), text.end(), upper.begin(), [](QChar c, char u) {
        return AsciiText::toUpper(c.unicode()) == char16_t(uchar(u));
    });
}

// Whether `text` contains `word` (upper-case ASCII), ignoring case. Compares ASCII itself,
// and leaves a text with other letters where the word could stand to Qt's case folding.
bool containsIgnoringCase(QStringView text, QLatin1String word)
{
    const qsizetype m = word.size();
    for (qsizetype at = 0; at + m <= text.size(); ++at) {
        qsizetype i = 0;
        for (; i < m; ++i) {
            const char16_t c = text[at + i].unicode();
            if (c >= 0x80)
                return text.contains(word, Qt::CaseInsensitive);
            if (AsciiText::toUpper(c) != char16_t(word[i].unicode()))
                break;
        }
        if (i == m)
            return true;
    }
    return false;
}

Keyword keywordOf(QStringView keyword)
{
    struct Named {
        QLatin1String name;
        Keyword kind;
    };
    static constexpr Named table[] = {
        {QLatin1String("TEL"), Keyword::Tel},          {QLatin1String("EMAIL"), Keyword::Email},
        {QLatin1String("URL"), Keyword::Url},          {QLatin1String("PHOTO"), Keyword::Photo},
        {QLatin1String("ADR"), Keyword::Adr},          {QLatin1String("BDAY"), Keyword::Bday},
        {QLatin1String("IMPP"), Keyword::Impp},        {QLatin1String("X-GROUP"), Keyword::Group},
        {QLatin1String("N"), Keyword::N},              {QLatin1String("ORG"), Keyword::Org},
        {QLatin1String("NICKNAME"), Keyword::Nickname}, {QLatin1String("TITLE"), Keyword::Title},
        {QLatin1String("NOTE"), Keyword::Note},
        // What address books of phones and desktops add to the standard properties.
        {QLatin1String("X-ABLABEL"), Keyword::Label},  {QLatin1String("X-ABDATE"), Keyword::Date},
        {QLatin1String("ANNIVERSARY"), Keyword::Anniversary}, {QLatin1String("X-ANNIVERSARY"), Keyword::Anniversary},
        {QLatin1String("X-ABRELATEDNAMES"), Keyword::RelatedName},
        {QLatin1String("X-PHONETIC-FIRST-NAME"), Keyword::PhoneticFirst},
        {QLatin1String("X-PHONETIC-LAST-NAME"), Keyword::PhoneticLast},
        {QLatin1String("X-AIM"), Keyword::ServiceIM},   {QLatin1String("X-JABBER"), Keyword::ServiceIM},
        {QLatin1String("X-MSN"), Keyword::ServiceIM},   {QLatin1String("X-YAHOO"), Keyword::ServiceIM},
        {QLatin1String("X-ICQ"), Keyword::ServiceIM},
        {QLatin1String("CATEGORIES"), Keyword::Categories},
        {QLatin1String("X-SOCIALPROFILE"), Keyword::SocialProfile},
    };
    // QString::toUpper turns a few letters outside ASCII into ASCII ones; ASCII keywords,
    // nearly all, are compared without a copy.
    const bool ascii = AsciiText::isAscii(keyword);
    const QString upper = ascii ? QString() : keyword.toString().toUpper();
    for (const Named &named : table) {
        if (ascii ? asciiUpperCasedEquals(keyword, named.name) : upper == named.name)
            return named.kind;
    }
    return Keyword::Ignored;
}

// Cards handed to a helper thread at a time.
constexpr size_t kCardsTogether = 128;

enum class Marker { None, Begin, End };

// Whether a line begins or ends a card: its keyword (up to the first ";" or ":", after a group
// name's ".") starts with BEGIN or END, in any case. The line is looked at in its bytes; a
// keyword with letters outside ASCII is decoded and compared with Qt's case folding.
Marker markerOf(QByteArrayView line, int encoding)
{
    const qsizetype colon = line.indexOf(':');
    if (colon < 0)
        return Marker::None;
    QByteArrayView keyword = line.first(colon);
    if (const qsizetype semicolon = keyword.indexOf(';'); semicolon >= 0)
        keyword = keyword.first(semicolon);
    if (const qsizetype dot = keyword.lastIndexOf('.'); dot >= 0)
        keyword = keyword.sliced(dot + 1);
    const bool ascii = AsciiText::isAscii(keyword);
    const QString decoded = ascii ? QString() : encoding == 0 ? QString::fromUtf8(keyword) : QString::fromLatin1(keyword);
    auto startsWith = [&](QByteArrayView word) {
        if (!ascii)
            return decoded.startsWith(QLatin1String(word), Qt::CaseInsensitive);
        return keyword.size() >= word.size() && keyword.first(word.size()).compare(word, Qt::CaseInsensitive) == 0;
    };
    if (startsWith("BEGIN"))
        return Marker::Begin;
    if (startsWith("END"))
        return Marker::End;
    return Marker::None;
}

// The character set a CHARSET= parameter names, when it is one this reader knows.
std::optional<QStringConverter::Encoding> charsetParameter(std::span<const QStringView> names)
{
    for (QStringView name : names) {
        if (!name.startsWith(QLatin1String("CHARSET="), Qt::CaseInsensitive))
            continue;
        const QString charset = name.sliced(8).toString().toUpper();
        if (charset == QLatin1String("UTF-8"))
            return QStringConverter::Utf8;
        if (charset == QLatin1String("ISO-8859-1") || charset == QLatin1String("US-ASCII"))
            return QStringConverter::Latin1;
    }
    return std::nullopt;
}

// "X-SOCIALPROFILE;type=twitter;x-user=ann:https://twitter.com/ann": the service from TYPE, the
// user name from X-USER or else the last part of the address.
QVariantMap socialProfile(std::span<const QStringView> names, const QString &value)
{
    QVariantMap profile;
    QString service;
    QString user;
    for (QStringView name : names.subspan(1)) {
        if (name.startsWith(QLatin1String("TYPE="), Qt::CaseInsensitive) && service.isEmpty())
            service = name.sliced(5).toString().section(QLatin1Char(','), 0, 0).toLower();
        else if (name.startsWith(QLatin1String("X-USER="), Qt::CaseInsensitive))
            user = name.sliced(7).toString();
    }
    if (user.isEmpty()) {
        QString path = value;
        while (path.endsWith(QLatin1Char('/')))
            path.chop(1);
        user = path.section(QLatin1Char('/'), -1);
    }
    if (!service.isEmpty())
        profile.insert(kABPersonSocialProfileServiceKey, service);
    if (!user.isEmpty())
        profile.insert(kABPersonSocialProfileUsernameKey, user);
    profile.insert(kABPersonSocialProfileURLKey, value);
    return profile;
}

} // namespace

struct VCARDimport::Line {
    // The keyword, then the parameters: parts of the line's text, which outlives the Line.
    QVarLengthArray<QStringView, 8> names;
    QStringList values;

    // Whether any part of the name contains `word`, ignoring case (TYPE=WORK contains WORK).
    bool has(QLatin1String word) const
    {
        return std::any_of(names.begin(), names.end(), [word](QStringView name) { return containsIgnoringCase(name, word); });
    }
    QString first() const { return values.value(0); }
};

class VCARDimport::CardReader {
public:
    CardReader(int encoding, uint32_t mask) : m_encoding(encoding), m_mask(mask) {}

    // The person of the card whose lines, BEGIN and END left out, are lines[first, end).
    Card read(const VCardLines::LineTable &lines, qsizetype first, qsizetype end);

private:
    void processLine(const QString &text);
    void beginCard();
    void addPhone(const Line &line);
    void addLabelled(ABMultiValue &values, const Line &line);
    void addAddress(const Line &line);
    void addPhoto(const Line &line);
    void setBirthday(const Line &line);
    void addDate(const Line &line, const QString &label);
    static std::optional<QDateTime> parseDate(const QString &text);
    void addInstantMessage(const Line &line);
    void addServiceMessage(QStringView keyword, const Line &line);
    void addSocialProfile(const Line &line);
    void addMessage(const QString &service, const QString &user);
    void setNames(const QStringList &components);
    void setText(ABPropertyID property, const QString &value);
    QString decodeQuotedPrintable(const QStringList &components, std::optional<QStringConverter::Encoding> charset) const;
    bool wants(uint32_t bit) const { return (m_mask & bit) != 0; }

    int m_encoding;  // 0 UTF-8, else ISO 8859-1
    uint32_t m_mask;
    ABRecordRef m_person;
    ABMultiValue m_phones, m_emails, m_urls, m_dates, m_addresses, m_messages, m_relatedNames, m_socialProfiles;
    QStringList m_groupNames; // X-GROUP and CATEGORIES names of the card
    // Values of grouped properties ("item1.TEL") and the X-ABLabel texts of the card's groups,
    // by lower-case group name.
    struct GroupedValue {
        QString group;
        ABMultiValue *values;
        int index;
    };
    QList<GroupedValue> m_groupedValues;
    QHash<QString, QString> m_groupLabels;
};

int VCARDimport::loadVCardFile(const QString &path, int charSet, QString *error)
{
    m_encoding = charSet;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return -2;
    }
    // The file stays in its bytes: lines are decoded one at a time as they are read.
    std::optional<QByteArray> whole = FileLines::readWhole(file);
    if (!whole) {
        if (error)
            *error = QStringLiteral("A line is longer than %1 bytes.").arg(FileLines::maxLineBytes());
        return -1;
    }
    QByteArray text = std::move(*whole);
    if (charSet == 0) {
        if (!text.isValidUtf8()) {
            if (error)
                *error = QStringLiteral("The file is not UTF-8 text.");
            return -2;
        }
        // As a decoder of the whole text would, the byte order mark is dropped.
        if (text.startsWith("\xEF\xBB\xBF"))
            text.remove(0, 3);
    }

    const std::optional<VCardLines::MarkerCounts> markers = VCardLines::countMarkers(text, kMaxCards);
    if (!markers) {
        DevLog::log(QStringLiteral("FAILSAFE more than %1 cards?").arg(kMaxCards));
        if (error)
            *error = QStringLiteral("Too many cards.");
        return -1;
    }
    if (markers->begins != markers->ends) {
        DevLog::log(QStringLiteral("BEGIN END MISMATCH"));
        if (error)
            *error = QStringLiteral("The numbers of BEGIN: and END: lines differ.");
        return -1;
    }
    VCardLines::dropCarriageReturns(text);
    std::optional<VCardLines::LineTable> lines = VCardLines::logicalLines(std::move(text), FileLines::maxLineBytes());
    if (!lines) {
        if (error)
            *error = QStringLiteral("A folded line is longer than %1 bytes.").arg(FileLines::maxLineBytes());
        return -1;
    }
    m_lines = std::move(*lines);
    m_numitems = int(markers->begins);
    return m_numitems;
}

int VCARDimport::importFile(const QString &path, uint32_t mask, int charSet, ProgressTarget *target)
{
    VCARDimport reader;
    QString error;
    if (reader.loadVCardFile(path, charSet, &error) < 0) {
        DevLog::log(QStringLiteral("loadVCardFile %1: %2").arg(path, error));
        return -1;
    }
    return reader.importIt(target, mask);
}

int VCARDimport::importIt(ProgressTarget *target, uint32_t mask)
{
    m_target = target;
    m_mask = mask;
    m_records = 0;
    m_groups = ImportGroups(false);
    QString error;
    m_book = ABSources::openAddressBook("importIt", &error);
    if (!m_book)
        return ImportOutcome::failure(error);
    // The cards are read on helper threads, a batch at a time, and their people added here in
    // the order of the file.
    using Ranges = std::vector<std::pair<qsizetype, qsizetype>>;
    using Cards = std::vector<Card>;
    OrderedBatches<Ranges, Cards> reading(
        [this](const Ranges &ranges) {
            CardReader reader(m_encoding, m_mask);
            Cards cards;
            cards.reserve(ranges.size());
            for (const auto &[first, end] : ranges)
                cards.push_back(reader.read(m_lines, first, end));
            return cards;
        },
        [this](Cards &&cards) {
            for (const Card &card : cards)
                addCard(card);
        });
    Ranges batch;
    qsizetype open = -1; // the first line of the open card; -1 between cards
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        switch (markerOf(m_lines.at(i), m_encoding)) {
        case Marker::Begin:
            // A BEGIN inside a card starts the card again.
            open = i + 1;
            break;
        case Marker::End:
            // Lines between cards have no person to go to.
            if (open < 0)
                break;
            batch.emplace_back(open, i);
            open = -1;
            if (batch.size() == kCardsTogether)
                reading.put(std::exchange(batch, {}));
            break;
        case Marker::None:
            break;
        }
    }
    // A card left open at the end of the file is dropped.
    reading.put(std::move(batch));
    reading.finish();
    int result = m_records;
    if (m_records > 0) {
        if (m_target)
            m_target->savingData();
        if (!m_book->save(&error)) {
            DevLog::log(QStringLiteral("importIt ABAddressBookSave error: %1").arg(error));
            result = ImportOutcome::failure(error);
        }
    }
    m_book.reset();
    m_groups = ImportGroups(false);
    return result;
}

VCARDimport::Card VCARDimport::CardReader::read(const VCardLines::LineTable &lines, qsizetype first, qsizetype end)
{
    beginCard();
    for (qsizetype i = first; i < end; ++i)
        processLine(m_encoding == 0 ? QString::fromUtf8(lines.at(i)) : QString::fromLatin1(lines.at(i)));
    // A group's X-ABLabel may stand before or after its property: labels are applied last.
    for (const GroupedValue &value : std::as_const(m_groupedValues)) {
        const auto label = m_groupLabels.constFind(value.group);
        if (label != m_groupLabels.cend())
            value.values->replaceLabelAtIndex(*label, value.index);
    }
    const std::pair<ABPropertyID, const ABMultiValue *> collected[] = {
        {kABPersonPhoneProperty, &m_phones},     {kABPersonEmailProperty, &m_emails},
        {kABPersonURLProperty, &m_urls},         {kABPersonDateProperty, &m_dates},
        {kABPersonAddressProperty, &m_addresses}, {kABPersonInstantMessageProperty, &m_messages},
        {kABPersonRelatedNamesProperty, &m_relatedNames}, {kABPersonSocialProfileProperty, &m_socialProfiles},
    };
    for (const auto &[property, values] : collected) {
        if (!values->isEmpty())
            m_person->setValue(property, QVariant::fromValue(*values));
    }
    // Packed on the thread that made the values, which frees them there.
    m_person->packValues();
    return Card{std::exchange(m_person, nullptr), std::exchange(m_groupNames, {})};
}

void VCARDimport::CardReader::processLine(const QString &text)
{
    const qsizetype colon = text.indexOf(QLatin1Char(':'));
    if (colon < 0)
        return;
    Line line;
    const QStringView head = QStringView(text).first(colon);
    for (qsizetype from = 0;;) {
        const qsizetype semicolon = head.indexOf(QLatin1Char(';'), from);
        line.names.append(head.sliced(from, (semicolon < 0 ? head.size() : semicolon) - from));
        if (semicolon < 0)
            break;
        from = semicolon + 1;
    }
    // "item1.TEL": the group name ties a property to the X-ABLabel line of the same group.
    QString group;
    const qsizetype dot = line.names.first().lastIndexOf(QLatin1Char('.'));
    if (dot >= 0) {
        group = line.names.first().first(dot).toString();
        line.names.first() = line.names.first().sliced(dot + 1);
    }
    const QStringView keyword = line.names.first();
    const Keyword kind = keywordOf(keyword);
    if (kind == Keyword::Ignored)
        return;
    const QString value = text.mid(colon + 1);
    // Names, organizations and addresses keep their parts; other values are one text.
    const bool structured = kind == Keyword::N || kind == Keyword::Org || kind == Keyword::Adr;
    if (kind == Keyword::Photo) {
        line.values = value.split(QLatin1Char(';'));
    } else if (line.has(QLatin1String("QUOTED-PRINTABLE"))) {
        // "ENCODING=QUOTED-PRINTABLE", or the bare 2.1 form.
        const QString decoded = decodeQuotedPrintable(value.split(QLatin1Char(';')), charsetParameter(line.names));
        line.values = VCardLines::splitValue(decoded, structured);
    } else {
        line.values = VCardLines::splitValue(value, structured);
    }
    const QStringList &components = line.values;

    ABMultiValue *const grouped[] = {&m_phones,   &m_emails,       &m_urls,          &m_dates,
                                     &m_addresses, &m_messages, &m_relatedNames, &m_socialProfiles};
    int before[std::size(grouped)];
    for (size_t i = 0; i < std::size(grouped); ++i)
        before[i] = grouped[i]->count();

    switch (kind) {
    case Keyword::Tel: if (wants(FieldFilter::Phone)) addPhone(line); break;
    case Keyword::Email: if (wants(FieldFilter::Email)) addLabelled(m_emails, line); break;
    case Keyword::Url: if (wants(FieldFilter::URL)) addLabelled(m_urls, line); break;
    case Keyword::Photo: if (wants(FieldFilter::Photo)) addPhoto(line); break;
    case Keyword::Adr: if (wants(FieldFilter::Address)) addAddress(line); break;
    case Keyword::Bday: if (wants(FieldFilter::Dates)) setBirthday(line); break;
    case Keyword::Impp: if (wants(FieldFilter::IM)) addInstantMessage(line); break;
    case Keyword::ServiceIM: if (wants(FieldFilter::IM)) addServiceMessage(keyword, line); break;
    case Keyword::Group:
        if (wants(FieldFilter::Groups) && !line.first().isEmpty())
            m_groupNames.append(line.first());
        break;
    case Keyword::Categories:
        // The groups of the card, separated by commas.
        if (wants(FieldFilter::Groups)) {
            for (const QString &name : line.first().split(QLatin1Char(','))) {
                if (!name.trimmed().isEmpty())
                    m_groupNames.append(name.trimmed());
            }
        }
        break;
    case Keyword::SocialProfile: addSocialProfile(line); break;
    case Keyword::N: setNames(components); break;
    case Keyword::Org:
        setText(kABPersonOrganizationProperty, components.value(0));
        setText(kABPersonDepartmentProperty, components.value(1));
        break;
    case Keyword::Nickname: setText(kABPersonNicknameProperty, components.value(0)); break;
    case Keyword::Title: setText(kABPersonJobTitleProperty, components.value(0)); break;
    case Keyword::Note: if (wants(FieldFilter::Note)) setText(kABPersonNoteProperty, components.value(0)); break;
    case Keyword::Label:
        if (!group.isEmpty() && !line.first().isEmpty())
            m_groupLabels.insert(group.toLower(), line.first());
        break;
    case Keyword::Date: if (wants(FieldFilter::Dates)) addDate(line, kABOtherLabel); break;
    case Keyword::Anniversary: if (wants(FieldFilter::Dates)) addDate(line, kABPersonAnniversaryLabel); break;
    case Keyword::RelatedName:
        if (!line.first().isEmpty())
            m_relatedNames.addValueAndLabel(line.first(), kABOtherLabel);
        break;
    case Keyword::PhoneticFirst:
        if (wants(FieldFilter::Phonetic)) setText(kABPersonFirstNamePhoneticProperty, components.value(0));
        break;
    case Keyword::PhoneticLast:
        if (wants(FieldFilter::Phonetic)) setText(kABPersonLastNamePhoneticProperty, components.value(0));
        break;
    case Keyword::Ignored: break;
    }

    if (group.isEmpty())
        return;
    for (size_t i = 0; i < std::size(grouped); ++i) {
        if (grouped[i]->count() > before[i])
            m_groupedValues.append({group.toLower(), grouped[i], grouped[i]->count() - 1});
    }
}

void VCARDimport::CardReader::beginCard()
{
    m_person = ABRecord::createPerson();
    m_phones = ABMultiValue(kABMultiStringPropertyType);
    m_emails = ABMultiValue(kABMultiStringPropertyType);
    m_urls = ABMultiValue(kABMultiStringPropertyType);
    m_dates = ABMultiValue(kABMultiDateTimePropertyType);
    m_addresses = ABMultiValue(kABMultiDictionaryPropertyType);
    m_messages = ABMultiValue(kABMultiDictionaryPropertyType);
    m_relatedNames = ABMultiValue(kABMultiStringPropertyType);
    m_socialProfiles = ABMultiValue(kABMultiDictionaryPropertyType);
    m_groupNames.clear();
    m_groupLabels.clear();
    m_groupedValues.clear();
}

void VCARDimport::addCard(const Card &card)
{
    QString error;
    if (!m_book->addRecord(card.person, &error)) {
        DevLog::log(QStringLiteral("ABAddressBookAddRecord ERROR %1").arg(error));
    } else {
        // Only people that were added can join a group.
        for (const QString &name : card.groupNames)
            m_groups.add(*m_book, card.person, name);
    }
    ++m_records;
    if (m_target)
        m_target->setProgress(m_numitems > 0 ? double(m_records) / double(m_numitems) : 1.0);
}

void VCARDimport::CardReader::addPhone(const Line &line)
{
    const QString number = line.first();
    if (number.isEmpty())
        return;
    QString label;
    if (line.has(QLatin1String("FAX")))
        label = line.has(QLatin1String("WORK")) ? kABPersonPhoneWorkFAXLabel : kABPersonPhoneHomeFAXLabel;
    else if (line.has(QLatin1String("PAGER")))
        label = kABPersonPhonePagerLabel;
    else if (line.has(QLatin1String("CEL")))
        label = kABPersonPhoneMobileLabel;
    else if (line.has(QLatin1String("WORK")))
        label = kABWorkLabel;
    else if (line.has(QLatin1String("HOME")))
        label = kABHomeLabel;
    else
        label = kABOtherLabel;
    m_phones.addValueAndLabel(number, label);
}

namespace {

QString workHomeOrOther(bool work, bool home)
{
    return work ? kABWorkLabel : home ? kABHomeLabel : kABOtherLabel;
}

} // namespace

void VCARDimport::CardReader::addLabelled(ABMultiValue &values, const Line &line)
{
    const QString value = line.first();
    if (!value.isEmpty())
        values.addValueAndLabel(value, workHomeOrOther(line.has(QLatin1String("WORK")), line.has(QLatin1String("HOME"))));
}

void VCARDimport::CardReader::addAddress(const Line &line)
{
    // Post-office box and extended address are not address keys of their own: their text joins
    // the street on a line of its own rather than being lost (some programs put the whole
    // address there and leave the rest out).
    QStringList streetLines;
    for (int part : {2, 1, 0}) {
        const QString text = line.values.value(part);
        if (!text.isEmpty())
            streetLines.append(text);
    }
    QVariantMap address;
    if (!streetLines.isEmpty())
        address.insert(kABPersonAddressStreetKey, streetLines.join(QLatin1Char('\n')));
    const QString keys[] = {kABPersonAddressCityKey, kABPersonAddressStateKey, kABPersonAddressZIPKey,
                            kABPersonAddressCountryKey};
    for (int part = 0; part < 4; ++part) {
        const QString value = line.values.value(part + 3);
        if (!value.isEmpty())
            address.insert(keys[part], value);
    }
    if (!address.isEmpty())
        m_addresses.addValueAndLabel(address, workHomeOrOther(line.has(QLatin1String("WORK")), line.has(QLatin1String("HOME"))));
}

void VCARDimport::CardReader::addPhoto(const Line &line)
{
    if (!line.has(QLatin1String("ENCODING=B")))
        return;
    const QImage image = QImage::fromData(QByteArray::fromBase64(line.first().toLatin1()));
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (image.isNull() || !image.save(&buffer, "PNG") || !m_person->setImageData(png))
        DevLog::log(QStringLiteral("addPhoto ABPersonSetImageData ERROR"));
}

std::optional<QDateTime> VCARDimport::CardReader::parseDate(const QString &value)
{
    // A date with a time ("1980-05-17T00:00:00Z", "19800517T000000") keeps its day.
    const qsizetype timePart = value.indexOf(QLatin1Char('T'));
    const QString text = timePart == 8 || timePart == 10 ? value.left(timePart) : value;
    QDate date;
    if (text.size() == 10)
        date = ImportValues::dayFromText(text, true);
    else if (text.size() == 8)
        date = ImportValues::dayFromText(text, false);
    else
        return std::nullopt;
    if (!date.isValid()) {
        DevLog::log(QStringLiteral("Invalid date: %1").arg(text));
        return std::nullopt;
    }
    // Date-only values are kept at noon UTC, so that every time zone shows the same day.
    return QDateTime(date, QTime(12, 0), QTimeZone::utc());
}

void VCARDimport::CardReader::setBirthday(const Line &line)
{
    if (std::optional<QDateTime> date = parseDate(line.first()))
        m_person->setValue(kABPersonBirthdayProperty, *date);
}

void VCARDimport::CardReader::addDate(const Line &line, const QString &label)
{
    if (std::optional<QDateTime> date = parseDate(line.first()))
        m_dates.addValueAndLabel(*date, label);
}

void VCARDimport::CardReader::addInstantMessage(const Line &line)
{
    struct Service {
        QLatin1String word;
        const QString &service;
    };
    // "ymsgr:" is the word our own writer uses for Yahoo.
    const Service services[] = {
        {QLatin1String("Yahoo:"), kABPersonInstantMessageServiceYahoo},
        {QLatin1String("ymsgr:"), kABPersonInstantMessageServiceYahoo},
        {QLatin1String("AIM:"), kABPersonInstantMessageServiceAIM},
        {QLatin1String("Jabber:"), kABPersonInstantMessageServiceJabber},
        {QLatin1String("MSN:"), kABPersonInstantMessageServiceMSN},
        {QLatin1String("ICQ:"), kABPersonInstantMessageServiceICQ},
    };
    const QString value = line.first();
    for (const Service &candidate : services) {
        const qsizetype at = value.indexOf(candidate.word, 0, Qt::CaseInsensitive);
        if (at < 0)
            continue;
        addMessage(candidate.service, value.mid(at + candidate.word.size()));
        return;
    }
    // The URI schemes of RFC 4770 and RFC 6350, and the service named by X-SERVICE-TYPE, as
    // address books of phones and desktops write them ("IMPP;X-SERVICE-TYPE=Jabber:xmpp:…").
    const Service schemes[] = {
        {QLatin1String("xmpp:"), kABPersonInstantMessageServiceJabber},
        {QLatin1String("aim:"), kABPersonInstantMessageServiceAIM},
        {QLatin1String("msnim:"), kABPersonInstantMessageServiceMSN},
        {QLatin1String("icq:"), kABPersonInstantMessageServiceICQ},
    };
    for (const Service &candidate : schemes) {
        if (value.startsWith(candidate.word, Qt::CaseInsensitive)) {
            addMessage(candidate.service, value.mid(candidate.word.size()));
            return;
        }
    }
    for (QStringView name : line.names) {
        if (name.startsWith(QLatin1String("X-SERVICE-TYPE="), Qt::CaseInsensitive)) {
            const qsizetype scheme = value.indexOf(QLatin1Char(':'));
            addMessage(name.sliced(15).toString(), scheme < 0 ? value : value.mid(scheme + 1));
            return;
        }
    }
}

void VCARDimport::CardReader::addServiceMessage(QStringView keyword, const Line &line)
{
    static const QHash<QString, QString> services{
        {QStringLiteral("X-AIM"), kABPersonInstantMessageServiceAIM},
        {QStringLiteral("X-JABBER"), kABPersonInstantMessageServiceJabber},
        {QStringLiteral("X-MSN"), kABPersonInstantMessageServiceMSN},
        {QStringLiteral("X-YAHOO"), kABPersonInstantMessageServiceYahoo},
        {QStringLiteral("X-ICQ"), kABPersonInstantMessageServiceICQ},
    };
    addMessage(services.value(keyword.toString().toUpper()), line.first());
}

void VCARDimport::CardReader::addSocialProfile(const Line &line)
{
    if (line.first().isEmpty())
        return;
    m_socialProfiles.addValueAndLabel(socialProfile(line.names, line.first()), kABOtherLabel);
}

void VCARDimport::CardReader::addMessage(const QString &service, const QString &user)
{
    if (!service.isEmpty() && !user.isEmpty())
        m_messages.addValueAndLabel(QVariantMap{{kABPersonInstantMessageServiceKey, service},
                                                {kABPersonInstantMessageUsernameKey, user}},
                                    kABOtherLabel);
}

void VCARDimport::CardReader::setNames(const QStringList &components)
{
    const QString last = components.value(0);
    const bool marker = (m_mask & FieldFilter::Marker) != 0;
    // Cards without a last name get the marker without its leading blank.
    if (!last.isEmpty())
        setText(kABPersonLastNameProperty, marker ? ImportValues::markedLastName(last) : last);
    else if (marker)
        setText(kABPersonLastNameProperty, ImportValues::kMarker.trimmed());
    setText(kABPersonFirstNameProperty, components.value(1));
    // Middle name, prefix and suffix: cards of phones and of this program's own export carry them.
    setText(kABPersonMiddleNameProperty, components.value(2));
    if (wants(FieldFilter::PrefixSuffix)) {
        setText(kABPersonPrefixProperty, components.value(3));
        setText(kABPersonSuffixProperty, components.value(4));
    }
}

void VCARDimport::CardReader::setText(ABPropertyID property, const QString &value)
{
    if (value.isEmpty())
        return;
    QString error;
    if (!m_person->setValue(property, value, &error))
        DevLog::log(QStringLiteral("ABRecordSetValue ERROR %1").arg(error));
}

QString VCARDimport::CardReader::decodeQuotedPrintable(const QStringList &components,
                                          std::optional<QStringConverter::Encoding> charset) const
{
    QString text = components.join(QLatin1Char(';'));
    text.replace(QLatin1String("\\n"), QLatin1String("\n"));
    const QByteArray bytes = QuotedPrintable::decode(m_encoding == 0 ? text.toUtf8() : text.toLatin1());
    // The bytes are in the character set the line names, else in the file's.
    const QStringConverter::Encoding encoding = charset.value_or(m_encoding == 0 ? QStringConverter::Utf8 : QStringConverter::Latin1);
    return QStringDecoder(encoding).decode(bytes);
}
