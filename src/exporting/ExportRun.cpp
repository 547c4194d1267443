#include "ExportRun.h"

#include "formats/common/GroupNames.h"
#include "formats/common/LabelKinds.h"
#include "formats/common/TextConversion.h"
#include "platform/DevLog.h"
#include "shell/AppData.h"
#include "shell/FLog.h"

#include <QDateTime>

#include <algorithm>
#include <iterator>
#include <thread>

namespace {

// The parts of an address in the order the printers take them.
QStringList addressKeys()
{
    return {kABPersonAddressStreetKey, kABPersonAddressCityKey, kABPersonAddressStateKey, kABPersonAddressCountryKey,
            kABPersonAddressZIPKey};
}

} // namespace

// A family of entries a person can have several of, which the CSV file gives as many columns
// as the person with the most has.
struct ExportRun::EntryFamily {
    uint32_t maskBit;
    ABPropertyID property;
    ColumnFamily column;
    const char *logName;
    bool unlabelledToo; // entries without a label take part as well
};

namespace {

constexpr ExportRun::EntryFamily kPhones{FieldFilter::Phone, kABPersonPhoneProperty, ColumnFamily::Phones, "PHONES", false};
// Only e-mail addresses take part without a label.
constexpr ExportRun::EntryFamily kEmails{FieldFilter::Email, kABPersonEmailProperty, ColumnFamily::Emails, "EMAILS", true};
constexpr ExportRun::EntryFamily kURLs{FieldFilter::URL, kABPersonURLProperty, ColumnFamily::URLs, "URLS", false};
constexpr ExportRun::EntryFamily kDates{FieldFilter::Dates, kABPersonDateProperty, ColumnFamily::Dates, "DATES", false};
constexpr ExportRun::EntryFamily kInstantMessages{FieldFilter::IM, kABPersonInstantMessageProperty,
                                                  ColumnFamily::InstantMessages, "IM", false};
constexpr ExportRun::EntryFamily kAddresses{FieldFilter::Address, kABPersonAddressProperty, ColumnFamily::Addresses,
                                            "ADDRESSES", false};
// In the order writeRecord writes them.
constexpr const ExportRun::EntryFamily *kEntryFamilies[] = {&kPhones, &kEmails, &kURLs, &kDates, &kInstantMessages, &kAddresses};

} // namespace

ExportRun::ExportRun(ABAddressBook &book, RecordPrinter &printer, ExportContext &context, bool logEnabled, ExportText dnSuffix)
    : m_book(book), m_printer(&printer), m_context(context), m_log(logEnabled), m_dnSuffix(std::move(dnSuffix)),
      m_instantMessageEntry({kABPersonInstantMessageServiceKey, kABPersonInstantMessageUsernameKey}),
      m_addressEntry(addressKeys())
{
}

ExportText ExportRun::convert(const QString &text) const
{
    return TextConversion::convert(text, m_context.charSet);
}

const ExportText &ExportRun::propertyName(ABPropertyID property)
{
    // Asked for a dozen times per person: kept by the property's number (the constants, small).
    Q_ASSERT(property >= 0);
    const size_t index = size_t(property);
    if (index >= m_propertyNames.size())
        m_propertyNames.resize(index + 1);
    std::optional<ExportText> &name = m_propertyNames[index];
    if (!name)
        name = convert(ABAddressBook::copyLocalizedPropertyName(property));
    return *name;
}

ExportText ExportRun::labelText(const QString &label)
{
    auto known = m_labelTexts.constFind(label);
    if (known != m_labelTexts.constEnd())
        return *known;
    return *m_labelTexts.insert(label, convert(ABAddressBook::copyLocalizedLabel(label)));
}

ExportText ExportRun::textValue(const ABRecord &person, ABPropertyID property) const
{
    return nonEmpty(person.copyText(property));
}

ExportText ExportRun::nonEmpty(const QString &text) const
{
    return text.isEmpty() ? ExportText() : convert(text);
}

ExportText ExportRun::dateText(const QVariant &value) const
{
    const QByteArray day = m_days.digits(value.toDateTime(), "-");
    return day.isEmpty() ? ExportText() : ExportText(day);
}

ExportText ExportRun::photo(const ABRecord &person) const
{
    if (!person.hasImageData())
        return std::nullopt;
    const QByteArray jpeg = TextConversion::jpegFromImageData(person.copyImageData());
    if (jpeg.isEmpty()) {
        DevLog::log(QStringLiteral("writeRecord UIImage ERROR"));
        return std::nullopt;
    }
    const size_t n = size_t(jpeg.size());
    QByteArray encoded(qsizetype(n + n / 2 + 1), '\0');
    if (TextConversion::base64encode(reinterpret_cast<const unsigned char *>(jpeg.constData()), n, encoded.data(),
                                     size_t(encoded.size()), 0) != 0) {
        DevLog::log(QStringLiteral("writeRecord base64encode ERROR"));
        return std::nullopt;
    }
    encoded.truncate(qsizetype(qstrlen(encoded.constData())));
    log(QStringLiteral("  IMAGE"));
    return encoded;
}

void ExportRun::log(const QString &line) const
{
    // Callers that format a line check m_log first, so that a run without the log pays nothing.
    if (m_log)
        FLogLine(line);
}

bool ExportRun::writes(const EntryFamily &family)
{
    // E-mail addresses also need a name for their property.
    return (m_context.mask & family.maskBit) && (&family != &kEmails || propertyName(kABPersonEmailProperty));
}

ExportRun ExportRun::withPrinter(RecordPrinter &printer)
{
    if ((m_context.mask & FieldFilter::Groups) && m_printer->wantsGroups())
        prepareGroups();
    ExportRun run(*this);
    run.m_printer = &printer;
    return run;
}

void ExportRun::countColumns(const QList<ABRecordID> &people)
{
    std::vector<const EntryFamily *> families;
    std::copy_if(std::begin(kEntryFamilies), std::end(kEntryFamilies), std::back_inserter(families),
                 [this](const EntryFamily *family) { return writes(*family); });
    const bool countsGroups = (m_context.mask & FieldFilter::Groups) && m_printer->wantsGroups();
    if (countsGroups)
        prepareGroups();

    // Only the numbers of entries matter here: they are counted in the stored form, on two
    // threads. The log keeps one line per family and person in order, so with the log on the
    // people are counted on this thread alone.
    const int parts = !m_log && std::thread::hardware_concurrency() > 1 ? 2 : 1;
    std::vector<std::array<int, kColumnFamilyCount>> partMaxima(size_t(parts), m_context.maxima);
    m_book.forEachPersonToReadInParts(people, parts, [&](int part, const ABRecord &person) {
        if (!person.hasCompositeName())
            return;
        std::array<int, kColumnFamilyCount> &maxima = partMaxima[size_t(part)];
        auto raise = [&maxima](ColumnFamily family, int count) {
            int &maximum = maxima[size_t(family)];
            maximum = std::max(maximum, count);
        };
        if (countsGroups)
            raise(ColumnFamily::Groups, int(m_groups->of(person.recordID()).size()));
        for (const EntryFamily *family : families) {
            const ABRecordCodec::EntryCount count = person.countEntries(family->property);
            logFamily(family->logName, count.all);
            raise(family->column, family->unlabelledToo ? count.all : count.labelled);
        }
    });
    for (const std::array<int, kColumnFamilyCount> &maxima : partMaxima) {
        for (size_t family = 0; family < maxima.size(); ++family)
            m_context.maxima[family] = std::max(m_context.maxima[family], maxima[family]);
    }
}

void ExportRun::writeRecord(const ABRecord &person)
{
    // Read once: the composite name is made of them, and they are written themselves.
    const ABRecord::Names names = person.copyNames();
    const QString compositeName = person.compositeName(names);
    if (compositeName.isEmpty()) {
        DevLog::log(QStringLiteral("Missing compositName"));
        return;
    }
    const uint32_t mask = m_context.mask;
    m_printer->beginRecord();
    if (m_log)
        log(QStringLiteral("Record: %1").arg(compositeName));
    entryHead(person, names, compositeName);
    if (mask & FieldFilter::Phonetic) {
        singleField(SingleField::PhoneticFirstName, kABPersonFirstNamePhoneticProperty,
                    textValue(person, kABPersonFirstNamePhoneticProperty));
        singleField(SingleField::PhoneticLastName, kABPersonLastNamePhoneticProperty,
                    textValue(person, kABPersonLastNamePhoneticProperty));
    }
    if ((mask & FieldFilter::Groups) && m_printer->wantsGroups())
        groups(person);
    if (writes(kPhones))
        plainValues(person, kPhones, LabelKinds::phoneKind, &RecordPrinter::phone);
    if (writes(kEmails))
        plainValues(person, kEmails, LabelKinds::emailKind, &RecordPrinter::email);
    if (writes(kURLs))
        plainValues(person, kURLs, LabelKinds::urlKind, &RecordPrinter::url);
    singleField(SingleField::Organization, kABPersonOrganizationProperty, nonEmpty(names.organization));
    const std::pair<SingleField, ABPropertyID> work[] = {{SingleField::Department, kABPersonDepartmentProperty},
                                                         {SingleField::JobTitle, kABPersonJobTitleProperty},
                                                         {SingleField::Nickname, kABPersonNicknameProperty}};
    for (const auto &[field, property] : work)
        singleField(field, property, textValue(person, property));
    if (mask & FieldFilter::PrefixSuffix) {
        singleField(SingleField::Prefix, kABPersonPrefixProperty, nonEmpty(names.prefix));
        singleField(SingleField::Suffix, kABPersonSuffixProperty, nonEmpty(names.suffix));
    }
    if (mask & FieldFilter::Dates) {
        ExportText birthday = dateText(person.copyValue(kABPersonBirthdayProperty));
        if (birthday)
            log(QStringLiteral("  DATE"));
        singleField(SingleField::Birthday, kABPersonBirthdayProperty, birthday);
    }
    if (writes(kDates))
        dates(person);
    if (writes(kInstantMessages))
        instantMessages(person);
    if (mask & FieldFilter::Note) {
        ExportText note = textValue(person, kABPersonNoteProperty);
        if (note)
            log(QStringLiteral("  NOTE"));
        m_printer->note(propertyName(kABPersonNoteProperty), note);
    }
    if (writes(kAddresses))
        addresses(person);
    m_printer->endRecord();
}

void ExportRun::entryHead(const ABRecord &person, const ABRecord::Names &names, const QString &compositeName)
{
    EntryHead head;
    head.firstName = nonEmpty(names.first);
    head.firstNameProperty = propertyName(kABPersonFirstNameProperty);
    head.lastName = nonEmpty(names.last);
    head.lastNameProperty = propertyName(kABPersonLastNameProperty);
    head.middleName = nonEmpty(names.middle);
    head.middleNameProperty = propertyName(kABPersonMiddleNameProperty);
    head.compositeName = convert(compositeName);
    if ((m_context.mask & FieldFilter::Photo) && m_printer->wantsPhoto())
        head.photo = photo(person);
    head.dnSuffix = m_dnSuffix;
    m_printer->entryHead(head);
}

void ExportRun::singleField(SingleField field, ABPropertyID property, const ExportText &value)
{
    if (m_printer->writesField(field))
        m_printer->nameValue(m_printer->fieldName(field, propertyName(property)), value);
}

void ExportRun::logFamily(const char *logName, int count) const
{
    if (m_log)
        log(QStringLiteral("  %1 %2").arg(QLatin1String(logName)).arg(count));
}

template<typename Print>
void ExportRun::printFamily(const ABRecord &person, const EntryFamily &family, ABRecordCodec::EntryTexts &entry, Print print)
{
    if (m_log)
        logFamily(family.logName, person.countEntries(family.property).all);
    person.forEachEntry(family.property, entry, [&](const ABRecordCodec::EntryTexts &read) {
        if (read.label() || family.unlabelledToo)
            print(read);
    });
    m_printer->endFamily(family.column);
}

void ExportRun::prepareGroups()
{
    if (m_groups)
        return;
    // One walk over the groups for the whole run instead of one per record.
    m_groups.emplace(m_book);
    for (const QString &name : m_groups->names())
        m_groupTexts.append(convert(name));
}

void ExportRun::groups(const ABRecord &person)
{
    prepareGroups();
    for (const GroupMemberships::Membership &membership : m_groups->of(person.recordID()))
        m_printer->group(m_groupTexts.at(membership.group));
    m_printer->endFamily(ColumnFamily::Groups);
}

void ExportRun::plainValues(const ABRecord &person, const EntryFamily &family, int (*kindOf)(const std::optional<QString> &),
                            PlainValuePrinter print)
{
    const ExportText &name = propertyName(family.property);
    printFamily(person, family, m_plainEntry, [&](const ABRecordCodec::EntryTexts &entry) {
        // Numbers, addresses and URLs go out as the system's 8-bit text, not converted.
        const QByteArray value = entry.field(0).toUtf8();
        if (!value.isEmpty()) {
            // Only e-mail addresses come here without a label.
            (m_printer->*print)(name, value, entry.label() ? labelText(*entry.label()) : ExportText("email"),
                               kindOf(entry.label()));
        }
    });
}

void ExportRun::dates(const ABRecord &person)
{
    // Dates are written from the date itself, not from a text.
    const ABMultiValue values = person.copyMultiValue(kDates.property);
    const ExportText &name = propertyName(kDates.property);
    logFamily(kDates.logName, values.count());
    for (const ABMultiValue::Entry &entry : values.entries()) {
        if (entry.label)
            m_printer->date(name, labelText(*entry.label), dateText(entry.value));
    }
    m_printer->endFamily(kDates.column);
}

void ExportRun::instantMessages(const ABRecord &person)
{
    const ExportText &name = propertyName(kInstantMessages.property);
    printFamily(person, kInstantMessages, m_instantMessageEntry, [&](const ABRecordCodec::EntryTexts &entry) {
        m_printer->instantMessage(name, labelText(*entry.label()), convert(entry.field(0)), convert(entry.field(1)));
    });
}

void ExportRun::addresses(const ABRecord &person)
{
    if (!m_addressPartNames) {
        m_addressPartNames.emplace();
        const QStringList keys = addressKeys();
        for (int part = 0; part < AddressEntry::kPartCount; ++part)
            (*m_addressPartNames)[size_t(part)] = labelText(keys[part]);
    }
    printFamily(person, kAddresses, m_addressEntry, [&](const ABRecordCodec::EntryTexts &entry) {
        AddressEntry address;
        address.propertyName = propertyName(kAddresses.property);
        address.label = labelText(*entry.label());
        address.kind = LabelKinds::addressKind(entry.label());
        address.partNames = *m_addressPartNames;
        for (int part = 0; part < AddressEntry::kPartCount; ++part)
            address.parts[size_t(part)] = nonEmpty(entry.field(part));
        m_printer->address(address);
    });
}
