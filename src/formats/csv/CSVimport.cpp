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
#include <utility>
#include <vector>

// What one row collects before its person is added.
struct CSVimport::Row {
    ABRecordRef person;
    ABMultiValue phones{kABMultiStringPropertyType};
    ABMultiValue emails{kABMultiStringPropertyType};
    ABMultiValue urls{kABMultiStringPropertyType};
    ABMultiValue dates{kABMultiDateTimePropertyType};
    ABMultiValue addresses{kABMultiDictionaryPropertyType};
    ABMultiValue instantMessages{kABMultiDictionaryPropertyType};
    QVariantMap address; // the address being built
    QStringList groups;
};

namespace {

const QString &addressKey(int field)
{
    static const QString keys[] = {kABPersonAddressStreetKey, kABPersonAddressCityKey, kABPersonAddressStateKey,
                                   kABPersonAddressCountryKey, kABPersonAddressZIPKey};
    return keys[field - CSVimport::AddressStreet];
}

ABPropertyID textProperty(int field)
{
    switch (field) {
    case CSVimport::FirstName: return kABPersonFirstNameProperty;
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

void storeIfAny(const ABRecordRef &person, ABPropertyID property, const ABMultiValue &multi)
{
    if (!multi.isEmpty())
        person->setValue(property, QVariant::fromValue(multi));
}

// The characters of rows handed to a helper thread at a time: some hundred rows.
constexpr qsizetype kPieceCharacters = 32 * 1024;

} // namespace

class CSVimport::RowReader {
public:
    RowReader(const CSVimport &import, const ABRecordRef &source, bool groupsAllowed)
        : m_mask(import.m_mask), m_columns(import.m_csvheader.size()), m_mappings(import.m_mappings), m_source(source),
          m_groupsAllowed(groupsAllowed)
    {
    }

    // The row with these fields, in column order.
    ReadRow read(const QStringList &fields) const;

private:
    void applyField(Row &row, int field, const QString &text) const;
    static void closeAddress(Row &row);

    uint32_t m_mask;
    qsizetype m_columns;
    const QList<int> &m_mappings;
    const ABRecordRef &m_source;
    bool m_groupsAllowed; // groups are not for an Exchange source
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
    const RowReader reader(*this, m_source, !ABSources::selectedSourceIsExchange());
    using Read = std::vector<ReadRow>;
    const CSVParser &parser = *m_parser;
    OrderedBatches<QStringView, Read> reading(
        [&reader, &parser](const QStringView &piece) {
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

CSVimport::ReadRow CSVimport::RowReader::read(const QStringList &fields) const
{
    // A row with no field for some header column is not imported.
    if (fields.size() < m_columns)
        return {};
    Row row;
    row.person = ABRecord::createPerson(m_source);
    for (qsizetype column = 0; column < m_columns; ++column) {
        const int field = column < m_mappings.size() ? m_mappings.at(column) : -1;
        const QString &text = fields.at(column);
        if (field >= 0 && field < FieldCount && !text.isEmpty())
            applyField(row, field, text);
    }
    storeIfAny(row.person, kABPersonPhoneProperty, row.phones);
    storeIfAny(row.person, kABPersonEmailProperty, row.emails);
    storeIfAny(row.person, kABPersonURLProperty, row.urls);
    storeIfAny(row.person, kABPersonDateProperty, row.dates);
    closeAddress(row);
    storeIfAny(row.person, kABPersonAddressProperty, row.addresses);
    storeIfAny(row.person, kABPersonInstantMessageProperty, row.instantMessages);
    // Packed on the thread that made the values, which frees them there.
    row.person->packValues();
    return {row.person, row.groups};
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

void CSVimport::RowReader::applyField(Row &row, int field, const QString &text) const
{
    const uint32_t bit = filterBit(field);
    if (bit && !(m_mask & bit))
        return;
    const ABRecordRef &person = row.person;
    switch (field) {
    case LastName:
        person->setValue(kABPersonLastNameProperty, (m_mask & FieldFilter::Marker) ? ImportValues::markedLastName(text) : text);
        return;
    case Email:
        row.emails.addValueAndLabel(text, kABOtherLabel);
        return;
    case Phone:
        row.phones.addValueAndLabel(text, kABOtherLabel);
        return;
    case URL:
        row.urls.addValueAndLabel(text, kABOtherLabel);
        return;
    case Birthday:
    case Date:
        if (std::optional<QDateTime> date = ImportValues::parseDate(text)) {
            if (field == Birthday)
                person->setValue(kABPersonBirthdayProperty, *date);
            else
                row.dates.addValueAndLabel(*date, kABOtherLabel);
        } else {
            DevLog::log(QStringLiteral("Invalid date: %1").arg(text));
        }
        return;
    case InstantMessage:
        if (std::optional<QVariantMap> im = ImportValues::parseInstantMessage(text))
            row.instantMessages.addValueAndLabel(*im, kABOtherLabel);
        return;
    case Group:
        if (m_groupsAllowed)
            row.groups.append(text);
        return;
    case AddressStreet:
    case AddressCity:
    case AddressState:
    case AddressCountry:
    case AddressZIPcode:
        // A part met twice starts the next address (street, city, … repeated per address).
        if (row.address.contains(addressKey(field)))
            closeAddress(row);
        row.address.insert(addressKey(field), text);
        return;
    default:
        person->setValue(textProperty(field), text);
        return;
    }
}

void CSVimport::RowReader::closeAddress(Row &row)
{
    if (row.address.isEmpty())
        return;
    row.addresses.addValueAndLabel(row.address, kABOtherLabel);
    row.address.clear();
}
