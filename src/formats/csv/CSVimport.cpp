#include "CSVimport.h"

#include "CSVHeaderGuess.h"
#include "addressbook/ABSources.h"
#include "formats/common/FileLines.h"
#include "formats/common/ImportOutcome.h"
#include "formats/common/ImportValues.h"
#include "platform/DevLog.h"
#include "platform/Localization.h"
#include "platform/OrderedBatches.h"
#include "shell/AppData.h"

#include <QFile>

#include <algorithm>
#include <array>
#include <numeric>
#include <utility>
#include <vector>

namespace {

constexpr int kAddressParts = CSVimport::AddressZIPcode - CSVimport::AddressStreet + 1;

const QString &addressKey(int part)
{
    static const QString keys[kAddressParts] = {kABPersonAddressStreetKey, kABPersonAddressCityKey,
                                                kABPersonAddressStateKey, kABPersonAddressCountryKey,
                                                kABPersonAddressZIPKey};
    return keys[part];
}

// The address parts in the order of their keys, as a dictionary of them is stored.
const std::array<int, kAddressParts> &addressPartsByKey()
{
    static const std::array<int, kAddressParts> order = [] {
        std::array<int, kAddressParts> parts{};
        std::iota(parts.begin(), parts.end(), 0);
        std::sort(parts.begin(), parts.end(), [](int a, int b) { return addressKey(a) < addressKey(b); });
        return parts;
    }();
    return order;
}

// The fields of one text each, in the order they are stored.
constexpr CSVimport::Field kTextFields[] = {
    CSVimport::FirstName, CSVimport::LastName, CSVimport::MiddleName, CSVimport::Nickname,
    CSVimport::Organization, CSVimport::JobTitle, CSVimport::Department, CSVimport::Note,
    CSVimport::PhoneticFirstName, CSVimport::PhoneticLastName, CSVimport::Prefix, CSVimport::Suffix,
};

ABPropertyID textProperty(int field)
{
    switch (field) {
    case CSVimport::FirstName: return kABPersonFirstNameProperty;
    case CSVimport::LastName: return kABPersonLastNameProperty;
    case CSVimport::MiddleName: return kABPersonMiddleNameProperty;
    case CSVimport::Nickname: return kABPersonNicknameProperty;
    case CSVimport::Organization: return kABPersonOrganizationProperty;
    case CSVimport::JobTitle: return kABPersonJobTitleProperty;
    case CSVimport::Department: return kABPersonDepartmentProperty;
    case CSVimport::Note: return kABPersonNoteProperty;
    case CSVimport::PhoneticFirstName: return kABPersonFirstNamePhoneticProperty;
    case CSVimport::PhoneticLastName: return kABPersonLastNamePhoneticProperty;
    case CSVimport::Prefix: return kABPersonPrefixProperty;
    case CSVimport::Suffix: return kABPersonSuffixProperty;
    default: return -1;
    }
}

// The filter bit a field needs in the import mask; 0 when it is always read.
uint32_t filterBit(int field)
{
    switch (field) {
    case CSVimport::Email: return FieldFilter::Email;
    case CSVimport::Phone: return FieldFilter::Phone;
    case CSVimport::URL: return FieldFilter::URL;
    case CSVimport::Birthday:
    case CSVimport::Date: return FieldFilter::Dates;
    case CSVimport::Note: return FieldFilter::Note;
    case CSVimport::PhoneticFirstName:
    case CSVimport::PhoneticLastName: return FieldFilter::Phonetic;
    case CSVimport::Prefix:
    case CSVimport::Suffix: return FieldFilter::PrefixSuffix;
    case CSVimport::InstantMessage: return FieldFilter::IM;
    case CSVimport::Group: return FieldFilter::Groups;
    default:
        return field >= CSVimport::AddressStreet && field <= CSVimport::AddressZIPcode ? FieldFilter::Address : 0;
    }
}

// The characters of rows handed to a helper thread at a time: several hundred rows. The
// pipeline then holds more people than the book writes to its file at once (a thousand), so
// that the helpers go on reading while it writes instead of waiting for room.
constexpr qsizetype kPieceCharacters = 128 * 1024;

} // namespace

// Makes rows into people, writing each person's stored form straight from the row's fields
// (no value, multi-value or map is built for them). It touches no address book, so that rows
// can be read on helper threads; a reader reads one piece, reusing its buffers row after row.
class CSVimport::RowReader {
public:
    RowReader(const CSVimport &import, const ABRecordRef &source, bool groupsAllowed)
        : m_mask(import.m_mask), m_columns(import.m_csvheader.size()), m_mappings(import.m_mappings), m_source(source),
          m_groupsAllowed(groupsAllowed)
    {
    }

    // The row with these fields, in column order.
    ReadRow read(const QStringList &fields);

private:
    using Address = std::array<const QString *, kAddressParts>;

    void clear();
    void applyField(int field, const QString &text);
    void closeAddress();
    QByteArray stored();
    void storeTexts(ABPropertyID property, const std::vector<const QString *> &texts);

    uint32_t m_mask;
    qsizetype m_columns;
    const QList<int> &m_mappings;
    const ABRecordRef &m_source;
    bool m_groupsAllowed; // groups are not for an Exchange source

    // What the row being read collects; the texts are those of the row's fields.
    std::array<const QString *, FieldCount> m_texts{}; // of the one-text fields: the last one met
    QString m_markedLastName;
    std::optional<qint64> m_birthday; // milliseconds since 1970 UTC
    std::vector<const QString *> m_phones, m_emails, m_urls;
    std::vector<qint64> m_dates;
    std::vector<Address> m_addresses;
    Address m_address{}; // the address being built; all null while none is
    std::vector<QVariantMap> m_instantMessages;
    QStringList m_groups;
    ABRecordCodec::StoredWriter m_stored;
};

CSVimport::CSVimport(std::shared_ptr<CSVParser> parser, QStringList header)
    : m_parser(std::move(parser)), m_csvheader(std::move(header))
{
    m_mappings.reserve(m_csvheader.size());
    for (const QString &name : std::as_const(m_csvheader))
        m_mappings.append(automaticMapping(headerText(name)));
}

Result<std::shared_ptr<CSVimport>> CSVimport::fromFile(const QString &path, int charSet)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        DevLog::log(QStringLiteral("stringWithContentsOfFile %1").arg(file.errorString()));
        return Error{file.errorString()};
    }
    // The whole file is held while it is parsed: a line past the cap is refused before that.
    std::optional<QByteArray> whole = FileLines::readWhole(file);
    if (!whole) {
        DevLog::log(QStringLiteral("stringWithContentsOfFile %1: a line is longer than %2 bytes")
                        .arg(path)
                        .arg(FileLines::maxLineBytes()));
        return Error{ImportOutcome::message(ImportOutcome::kFailed)};
    }
    QByteArray bytes = std::move(*whole);
    // A byte-order mark is no part of the first column's name, whatever the character set.
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    std::optional<QString> text = ImportValues::decodeText(bytes, charSet);
    if (!text) {
        DevLog::log(QStringLiteral("stringWithContentsOfFile %1 is not UTF-8").arg(path));
        return Error{L("KCSVNotUTF8")};
    }
    auto parser = std::make_shared<CSVParser>(*text, QStringLiteral(","), true);
    std::optional<QStringList> header = parser->parseHeader();
    // An empty file, or one that starts with a line break, has one empty column: no header.
    if (!header || (header->size() == 1 && headerText(header->first()).isEmpty()))
        return Error{L("KNoCSVHeader")};
    return std::make_shared<CSVimport>(parser, *header);
}

const QStringList &CSVimport::fields()
{
    static const QStringList names{
        QStringLiteral("FirstName"), QStringLiteral("LastName"), QStringLiteral("MiddleName"),
        QStringLiteral("Nickname"), QStringLiteral("Organization"), QStringLiteral("JobTitle"),
        QStringLiteral("Department"), QStringLiteral("Email"), QStringLiteral("Birthday"),
        QStringLiteral("Note"), QStringLiteral("Date"), QStringLiteral("Phone"),
        QStringLiteral("URL"), QStringLiteral("AddressStreet"), QStringLiteral("AddressCity"),
        QStringLiteral("AddressState"), QStringLiteral("AddressCountry"), QStringLiteral("AddressZIPcode"),
        QStringLiteral("PhoneticFirstName"), QStringLiteral("PhoneticLastName"), QStringLiteral("Prefix"),
        QStringLiteral("Suffix"), QStringLiteral("InstantMessage"), QStringLiteral("Group"),
    };
    return names;
}

QString CSVimport::headerText(const QString &columnName)
{
    return columnName.mid(5);
}

int CSVimport::automaticMapping(const QString &headerText)
{
    if (headerText.isEmpty())
        return -1;
    const QStringList &names = fields();
    for (int i = 0; i < names.size(); ++i) {
        if (names.at(i).contains(headerText, Qt::CaseInsensitive))
            return i;
    }
    return -1;
}

int CSVimport::guessUnmapped()
{
    int mapped = 0;
    for (int i = 0; i < m_mappings.size(); ++i) {
        if (m_mappings.at(i) >= 0)
            continue;
        int field = guessCSVField(headerText(m_csvheader.at(i)));
        if (field >= 0) {
            m_mappings[i] = field;
            ++mapped;
        }
    }
    return mapped;
}

int CSVimport::countAssigned() const
{
    return int(std::count_if(m_mappings.cbegin(), m_mappings.cend(), [](int field) { return field >= 0; }));
}

int CSVimport::importWithTagert(ProgressTarget *target, uint32_t mask)
{
    (void)target;
    m_mask = mask;
    m_records = 0;
    m_groups = ImportGroups();
    QString error;
    m_book = ABSources::openAddressBook("importWithTagert", &error);
    if (!m_book)
        return ImportOutcome::failure(error);
    m_source = ABSources::selectedSource(*m_book);
    if (!m_source)
        m_source = m_book->copyDefaultSource();
    // The text is cut here into pieces of whole rows, which helper threads parse and make into
    // people; the people are added here in the order of the file.
    const bool groupsAllowed = !ABSources::selectedSourceIsExchange();
    using Read = std::vector<ReadRow>;
    const CSVParser &parser = *m_parser;
    OrderedBatches<QStringView, Read> reading(
        [this, groupsAllowed, &parser](const QStringView &piece) {
            RowReader reader(*this, m_source, groupsAllowed);
            Read read;
            parser.parsePiece(piece, [&](const CSVRecord &record) { read.push_back(reader.read(record.fields)); });
            return read;
        },
        [this](Read &&read) {
            for (const ReadRow &row : read)
                addRow(row);
        });
    for (QStringView piece; !(piece = m_parser->nextPiece(kPieceCharacters)).isEmpty();)
        reading.put(piece);
    reading.finish();
    bool saved = true;
    if (m_records > 0) {
        saved = m_book->save(&error);
        if (!saved)
            DevLog::log(QStringLiteral("importWithTagert ABAddressBookSave error: %1").arg(error));
    }
    m_groups = ImportGroups();
    m_book.reset();
    m_source.reset();
    if (!saved)
        return ImportOutcome::failure(error);
    return m_records;
}

CSVimport::ReadRow CSVimport::RowReader::read(const QStringList &fields)
{
    // A row with no field for some header column is not imported.
    if (fields.size() < m_columns)
        return {};
    clear();
    for (qsizetype column = 0; column < m_columns; ++column) {
        const int field = column < m_mappings.size() ? m_mappings.at(column) : -1;
        const QString &text = fields.at(column);
        if (field >= 0 && field < FieldCount && !text.isEmpty())
            applyField(field, text);
    }
    closeAddress();
    ABRecordRef person = ABRecord::createPerson(m_source);
    person->setStoredValues(stored());
    return {std::move(person), std::exchange(m_groups, {})};
}

void CSVimport::RowReader::clear()
{
    m_texts.fill(nullptr);
    m_birthday.reset();
    m_phones.clear();
    m_emails.clear();
    m_urls.clear();
    m_dates.clear();
    m_addresses.clear();
    m_instantMessages.clear();
}

void CSVimport::addRow(const ReadRow &row)
{
    if (!row.person)
        return;
    ++m_records;
    QString error;
    if (!m_book->addRecord(row.person, &error)) {
        DevLog::log(QStringLiteral("ABAddressBookAddRecord ERROR %1").arg(error));
        return;
    }
    // Only people that were added can join a group.
    for (const QString &group : row.groups)
        m_groups.add(*m_book, row.person, group);
}

void CSVimport::RowReader::applyField(int field, const QString &text)
{
    const uint32_t bit = filterBit(field);
    if (bit && !(m_mask & bit))
        return;
    switch (field) {
    case LastName:
        if (m_mask & FieldFilter::Marker) {
            m_markedLastName = ImportValues::markedLastName(text);
            m_texts[field] = &m_markedLastName;
        } else {
            m_texts[field] = &text;
        }
        return;
    case Email:
        m_emails.push_back(&text);
        return;
    case Phone:
        m_phones.push_back(&text);
        return;
    case URL:
        m_urls.push_back(&text);
        return;
    case Birthday:
    case Date:
        if (std::optional<QDateTime> date = ImportValues::parseDate(text)) {
            if (field == Birthday)
                m_birthday = date->toMSecsSinceEpoch();
            else
                m_dates.push_back(date->toMSecsSinceEpoch());
        } else {
            DevLog::log(QStringLiteral("Invalid date: %1").arg(text));
        }
        return;
    case InstantMessage:
        if (std::optional<QVariantMap> im = ImportValues::parseInstantMessage(text))
            m_instantMessages.push_back(std::move(*im));
        return;
    case Group:
        if (m_groupsAllowed)
            m_groups.append(text);
        return;
    case AddressStreet:
    case AddressCity:
    case AddressState:
    case AddressCountry:
    case AddressZIPcode: {
        // A part met twice starts the next address (street, city, … repeated per address).
        const QString *&part = m_address[size_t(field - AddressStreet)];
        if (part)
            closeAddress();
        part = &text;
        return;
    }
    default:
        m_texts[size_t(field)] = &text;
        return;
    }
}

void CSVimport::RowReader::closeAddress()
{
    if (std::none_of(m_address.begin(), m_address.end(), [](const QString *part) { return part; }))
        return;
    m_addresses.push_back(m_address);
    m_address.fill(nullptr);
}

// The person's stored form, in the layout a packed person has.
QByteArray CSVimport::RowReader::stored()
{
    using Kind = ABRecordCodec::StoredValue::Kind;
    ABRecordCodec::StoredWriter &out = m_stored;
    for (Field field : kTextFields) {
        if (const QString *text = m_texts[field]) {
            out.begin(textProperty(field), Kind::Text);
            out.text(*text);
        }
    }
    if (m_birthday) {
        out.begin(kABPersonBirthdayProperty, Kind::Date);
        out.number(*m_birthday);
    }
    storeTexts(kABPersonPhoneProperty, m_phones);
    storeTexts(kABPersonEmailProperty, m_emails);
    storeTexts(kABPersonURLProperty, m_urls);
    if (!m_dates.empty()) {
        out.begin(kABPersonDateProperty, Kind::Date, true);
        out.count(quint32(m_dates.size()));
        for (qint64 date : m_dates) {
            out.label(&kABOtherLabel);
            out.number(date);
        }
    }
    if (!m_addresses.empty()) {
        out.begin(kABPersonAddressProperty, Kind::Dictionary, true);
        out.count(quint32(m_addresses.size()));
        for (const Address &address : m_addresses) {
            out.label(&kABOtherLabel);
            out.count(quint32(std::count_if(address.begin(), address.end(), [](const QString *part) { return part; })));
            for (int part : addressPartsByKey()) {
                if (const QString *text = address[size_t(part)]) {
                    out.text(addressKey(part));
                    out.text(*text);
                }
            }
        }
    }
    if (!m_instantMessages.empty()) {
        out.begin(kABPersonInstantMessageProperty, Kind::Dictionary, true);
        out.count(quint32(m_instantMessages.size()));
        for (const QVariantMap &im : m_instantMessages) {
            out.label(&kABOtherLabel);
            out.count(quint32(im.size()));
            for (auto it = im.begin(); it != im.end(); ++it) {
                out.text(it.key());
                out.text(it.value().toString());
            }
        }
    }
    return out.take();
}

void CSVimport::RowReader::storeTexts(ABPropertyID property, const std::vector<const QString *> &texts)
{
    if (texts.empty())
        return;
    m_stored.begin(property, ABRecordCodec::StoredValue::Kind::Text, true);
    m_stored.count(quint32(texts.size()));
    for (const QString *text : texts) {
        m_stored.label(&kABOtherLabel);
        m_stored.text(*text);
    }
}
