#include "LdifReader.h"

#include "LdifLineParser.h"
#include "addressbook/ABSources.h"
#include "formats/common/ImportValues.h"
#include "formats/common/ProgressTarget.h"
#include "platform/DevLog.h"
#include "shell/AppData.h"

#include <QBuffer>
#include <QFile>
#include <QImage>

namespace {

// Physical lines (line end included) of a file read in large blocks: a line is a view into
// the block, so reading allocates nothing per line. A line longer than a block grows it.
class LineReader {
public:
    explicit LineReader(QFile &file) : m_file(file) {}

    bool next(QByteArrayView &line)
    {
        for (;;) {
            qsizetype end = m_buffer.indexOf('\n', m_pos);
            if (end >= 0) {
                line = QByteArrayView(m_buffer).sliced(m_pos, end + 1 - m_pos);
                m_pos = end + 1;
                return true;
            }
            if (m_atEnd) {
                if (m_pos >= m_buffer.size())
                    return false;
                line = QByteArrayView(m_buffer).sliced(m_pos);
                m_pos = m_buffer.size();
                return true;
            }
            m_buffer.remove(0, m_pos);
            m_pos = 0;
            QByteArray block = m_file.read(kBlock);
            m_atEnd = block.isEmpty();
            m_buffer.append(block);
        }
    }

private:
    static constexpr qint64 kBlock = 1 << 20;
    QFile &m_file;
    QByteArray m_buffer;
    qsizetype m_pos = 0;
    bool m_atEnd = false;
};

} // namespace

int ldif_import(const QString &path, uint32_t mask, int charSet, ProgressTarget *target)
{
    return LdifReader(mask, charSet, target).read(path);
}

LdifReader::LdifReader(uint32_t mask, int charSet, ProgressTarget *target) : m_mask(mask), m_charSet(charSet), m_target(target) {}

int LdifReader::read(const QString &path)
{
    DevLog::log(QStringLiteral("ldif_import %1").arg(path));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        DevLog::log(QStringLiteral("Error open file: %1").arg(path));
        return -1;
    }
    m_book = ABSources::openAddressBook("ldif_import");
    if (!m_book)
        return -1;

    m_source = ABSources::selectedSource(*m_book);
    if (!m_source)
        m_source = m_book->copyDefaultSource();
    QByteArray logical;
    LineReader lines(file);
    QByteArrayView physical;
    while (lines.next(physical)) {
        // Lines of fewer than 3 bytes (line end included) are blank lines between entries.
        if (physical.size() < 3 || physical.front() == '#')
            continue;
        if (logical.isEmpty()) {
            logical = physical.toByteArray();
        } else if (physical[0] == ' ' && physical[1] != ' ') {
            logical.append(physical.sliced(1));
        } else {
            processLogicalLine(logical);
            logical = physical.toByteArray();
        }
        while (logical.endsWith('\n') || logical.endsWith('\r'))
            logical.chop(1);
    }
    if (logical.size() > 2)
        processLogicalLine(logical);
    if (m_person)
        finishEntry(true);

    if (m_count > 0) {
        if (m_target)
            m_target->savingData();
        m_groups.createMissingGroups(*m_book);
        QString error;
        if (!m_book->save(&error))
            DevLog::log(QStringLiteral("ldif_import ABAddressBookSave error: %1").arg(error));
        m_book.reset();
        m_groups.addMembers("ldif_import");
    }
    return m_count;
}

void LdifReader::processLogicalLine(const QByteArray &line)
{
    if (line.startsWith("dn:")) {
        if (m_person)
            finishEntry(false);
        startEntry();
        return;
    }
    if (line.left(11).compare("objectclass", Qt::CaseInsensitive) == 0)
        return;
    std::optional<LdifLine> parsed = ldif_parse_line(line);
    // Lines before the first entry have no person to go to ("version: 1" …).
    if (!parsed || !m_person || parsed->value.isEmpty())
        return;

    QByteArrayView name = parsed->name;
    qsizetype semicolon = name.indexOf(';');
    const bool labelled = semicolon >= 0;
    const LdifAttribute *attribute = findLdifAttribute(labelled ? name.first(semicolon) : name, labelled);
    if (!attribute || !accepts(attribute->filterBit))
        return;
    QString label;
    if (labelled) {
        std::optional<QString> decoded = ImportValues::decodeText(name.sliced(semicolon + 1), m_charSet);
        if (!decoded)
            return;
        label = *decoded;
    }
    if (attribute->kind == LdifAttribute::Photo) {
        handleAttribute(*attribute, QString(), label, parsed->value);
        return;
    }
    std::optional<QString> value = ImportValues::decodeText(parsed->value, m_charSet);
    if (value)
        handleAttribute(*attribute, *value, label, parsed->value);
}

void LdifReader::startEntry()
{
    m_person = ABRecord::createPerson(m_source);
    // Every entry starts with empty collections, so an entry without attribute lines never
    // receives the addresses of the one before it.
    resetCollections();
}

void LdifReader::finishEntry(bool atEndOfFile)
{
    if (m_mask & FieldFilter::Marker)
        ImportValues::appendMarker(m_person);
    storeCollections();
    if (atEndOfFile)
        DevLog::log(QStringLiteral("LEFTOVER ADDRECORD "));
    QString error;
    if (!m_book->addRecord(m_person, &error))
        DevLog::log(QStringLiteral("ldif_import ABAddressBookAddRecord ERROR %1").arg(error));
    ++m_count;
    if (!atEndOfFile && m_target)
        m_target->setNumberProgress(m_count);
    m_person.reset();
}

void LdifReader::resetCollections()
{
    m_phones = ABMultiValue(kABMultiStringPropertyType);
    m_emails = ABMultiValue(kABMultiStringPropertyType);
    m_urls = ABMultiValue(kABMultiStringPropertyType);
    m_dates = ABMultiValue(kABMultiDateTimePropertyType);
    m_addresses = ABMultiValue(kABMultiDictionaryPropertyType);
    m_instantMessages = ABMultiValue(kABMultiDictionaryPropertyType);
    m_home.clear();
    m_work.clear();
    m_other.clear();
    m_mozillaHome.clear();
    m_custom.clear();
}

void LdifReader::storeCollections()
{
    auto addAddress = [this](const QVariantMap &address, const QString &label) {
        if (address.isEmpty())
            return;
        appendMulti(kABPersonAddressProperty, m_addresses, address, label);
    };
    // Mozilla writes the work address with the plain attributes and the home address with its
    // own: reading both into one address would lose one of them.
    if (!m_mozillaHome.isEmpty()) {
        for (auto it = m_home.cbegin(); it != m_home.cend(); ++it)
            setAddressPart(m_work, it.key(), it.value().toString());
        m_home = m_mozillaHome;
    }
    addAddress(m_home, kABHomeLabel);
    addAddress(m_work, kABWorkLabel);
    addAddress(m_other, kABOtherLabel);
    for (const auto &[label, address] : std::as_const(m_custom))
        addAddress(address, label);
    if (!m_instantMessages.isEmpty())
        m_person->setValue(kABPersonInstantMessageProperty, QVariant::fromValue(m_instantMessages));
    m_custom.clear();
}

void LdifReader::handleAttribute(const LdifAttribute &attribute, const QString &value, const QString &label,
                                 const QByteArray &raw)
{
    const std::optional<QString> entryLabel = label.isEmpty() ? std::nullopt : std::optional<QString>(label);
    switch (attribute.kind) {
    case LdifAttribute::Text:
        m_person->setValue(attribute.property, value);
        break;
    case LdifAttribute::Birthday:
        if (std::optional<QDateTime> date = ImportValues::parseDate(value))
            m_person->setValue(attribute.property, *date);
        break;
    case LdifAttribute::Date:
        if (std::optional<QDateTime> date = ImportValues::parseDate(value))
            appendMulti(kABPersonDateProperty, m_dates, *date, entryLabel);
        break;
    case LdifAttribute::Photo: {
        QImage image;
        QByteArray png;
        QBuffer buffer(&png);
        if (!image.loadFromData(raw) || !buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG")
            || !m_person->setImageData(png))
            DevLog::log(QStringLiteral("ldif_parse ABPersonSetImageData ERROR"));
        break;
    }
    case LdifAttribute::Group:
        m_groups.add(m_person, value);
        break;
    case LdifAttribute::Multi: {
        ABMultiValue &multi = attribute.property == kABPersonPhoneProperty ? m_phones
                              : attribute.property == kABPersonEmailProperty ? m_emails
                                                                              : m_urls;
        appendMulti(attribute.property, multi, value, attribute.label.isNull() ? entryLabel : attribute.label);
        break;
    }
    case LdifAttribute::Address:
        setAddressPart(attribute.address == LdifAttribute::Home          ? m_home
                       : attribute.address == LdifAttribute::Work        ? m_work
                       : attribute.address == LdifAttribute::MozillaHome ? m_mozillaHome
                                                                         : m_other,
                       attribute.partKey, value);
        break;
    case LdifAttribute::CustomAddress:
        if (!label.isEmpty())
            setAddressPart(customAddress(label), attribute.partKey, value);
        break;
    case LdifAttribute::InstantMessage:
        if (std::optional<QVariantMap> im = ImportValues::parseInstantMessage(value))
            m_instantMessages.addValueAndLabel(*im, entryLabel);
        break;
    }
}

void LdifReader::appendMulti(ABPropertyID property, ABMultiValue &multi, const QVariant &value,
                             const std::optional<QString> &label)
{
    multi.addValueAndLabel(value, label);
    m_person->setValue(property, QVariant::fromValue(multi));
}

void LdifReader::setAddressPart(QVariantMap &address, const QString &key, const QString &value)
{
    if (!address.contains(key))
        address.insert(key, value);
}

QVariantMap &LdifReader::customAddress(const QString &label)
{
    for (auto &[known, address] : m_custom) {
        if (known == label)
            return address;
    }
    m_custom.append({label, QVariantMap()});
    return m_custom.last().second;
}
