#include "LdifReader.h"

#include "LdifLineParser.h"
#include "addressbook/ABSources.h"
#include "formats/common/FileLines.h"
#include "formats/common/ImportOutcome.h"
#include "formats/common/ImportValues.h"
#include "formats/common/ProgressTarget.h"
#include "platform/DevLog.h"
#include "platform/OrderedBatches.h"
#include "shell/AppData.h"

#include <QBuffer>
#include <QFile>
#include <QImage>

#include <utility>
#include <vector>

namespace {

// Entries handed to a helper thread at a time.
constexpr size_t kEntriesTogether = 128;

// A DN in one form for comparison: attribute types in lower case, blanks around "," and "="
// dropped, values compared without regard to case (as cn and mail match in a directory).
QString normalisedDN(const QString &dn)
{
    // Joined first and lower-cased once: case mapping goes letter by letter.
    QString joined;
    joined.reserve(dn.size() + 8);
    qsizetype start = 0;
    for (qsizetype i = 0; i <= dn.size(); ++i) {
        if (i == dn.size() || (dn[i] == QLatin1Char(',') && (i == 0 || dn[i - 1] != QLatin1Char('\\')))) {
            const QStringView rdn = QStringView(dn).sliced(start, i - start);
            const qsizetype equals = rdn.indexOf(QLatin1Char('='));
            if (start > 0)
                joined += QLatin1Char(',');
            // Without "=" the whole part stands on both sides.
            joined += (equals < 0 ? rdn : rdn.first(equals)).trimmed();
            joined += QLatin1Char('=');
            joined += rdn.sliced(equals + 1).trimmed();
            start = i + 1;
        }
    }
    return joined.toLower();
}

bool isAttribute(QByteArrayView name, const char *attribute)
{
    return name.compare(QByteArrayView(attribute), Qt::CaseInsensitive) == 0;
}

} // namespace

class LdifReader::EntryReader {
public:
    EntryReader(uint32_t mask, int charSet, const ABRecordRef &source) : m_mask(mask), m_charSet(charSet), m_source(source) {}

    // The logical lines of a batch of entries, one after the other in one buffer: a line of a
    // large file is not an allocation of its own.
    struct Batch {
        QByteArray text;
        std::vector<qsizetype> lineEnds; // where each line ends in `text`
        std::vector<size_t> entryEnds;   // how many lines the entries up to each one hold
    };

    // Entry `index` of `batch`; its first line is its "dn:" line.
    Entry read(const Batch &batch, size_t index);

private:
    void processLogicalLine(QByteArrayView line);
    void startEntry();
    void resetCollections();
    void storeCollections();
    void handleAttribute(const LdifAttribute &attribute, const QString &value, const QString &label, QByteArrayView raw);
    void appendMulti(ABPropertyID property, ABMultiValue &multi, const QVariant &value, const std::optional<QString> &label);
    void setAddressPart(QVariantMap &address, const QString &key, const QString &value);
    QVariantMap &customAddress(const QString &label);
    bool accepts(uint32_t filterBit) const { return filterBit == 0 || (m_mask & filterBit); }

    uint32_t m_mask;
    int m_charSet;
    const ABRecordRef &m_source;
    ABRecordRef m_person;
    ABMultiValue m_phones{kABMultiStringPropertyType};
    ABMultiValue m_emails{kABMultiStringPropertyType};
    ABMultiValue m_urls{kABMultiStringPropertyType};
    ABMultiValue m_dates{kABMultiDateTimePropertyType};
    ABMultiValue m_addresses{kABMultiDictionaryPropertyType};
    ABMultiValue m_instantMessages{kABMultiDictionaryPropertyType};
    QVariantMap m_home, m_work, m_other, m_mozillaHome;
    QList<std::pair<QString, QVariantMap>> m_custom; // by label, in the order met
    QStringList m_groupNames;
    QString m_dn;          // of the entry being read
    bool m_isList = false; // the entry being read is a mailing list
    MailingList m_list;
};

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
    QString error;
    m_book = ABSources::openAddressBook("ldif_import", &error);
    if (!m_book)
        return ImportOutcome::failure(error);

    m_source = ABSources::selectedSource(*m_book);
    if (!m_source)
        m_source = m_book->copyDefaultSource();
    // The entries are read on helper threads, a batch at a time, and added here in the order of
    // the file.
    using Batch = EntryReader::Batch;
    using Entries = std::vector<Entry>;
    qsizetype entriesRead = 0;
    qsizetype delivered = 0;
    qsizetype lastEntry = -1; // the file's last entry, once the file is read
    OrderedBatches<Batch, Entries> reading(
        [this](const Batch &batch) {
            EntryReader reader(m_mask, m_charSet, m_source);
            Entries entries;
            entries.reserve(batch.entryEnds.size());
            for (size_t i = 0; i < batch.entryEnds.size(); ++i)
                entries.push_back(reader.read(batch, i));
            return entries;
        },
        [&](Entries &&entries) {
            for (Entry &entry : entries)
                addEntry(std::move(entry), delivered++ == lastEntry);
        });
    Batch batch;
    bool inEntry = false;    // the batch's last lines belong to an entry not finished yet
    qsizetype lineStart = 0; // where the logical line being read starts in batch.text
    // The logical line being read is complete: it begins an entry, joins the one being read,
    // or, before the first entry, goes ("version: 1" …).
    auto finishLine = [&] {
        if (QByteArrayView(batch.text).sliced(lineStart).startsWith("dn:")) {
            if (inEntry) {
                batch.entryEnds.push_back(batch.lineEnds.size());
                ++entriesRead;
                if (batch.entryEnds.size() == kEntriesTogether) {
                    Batch following;
                    following.text = batch.text.sliced(lineStart);
                    batch.text.truncate(lineStart);
                    reading.put(std::exchange(batch, std::move(following)));
                    lineStart = 0;
                }
            }
            inEntry = true;
        } else if (!inEntry) {
            batch.text.truncate(lineStart);
            return;
        }
        batch.lineEnds.push_back(batch.text.size());
        lineStart = batch.text.size();
    };
    FileLines lines(file);
    QByteArrayView physical;
    FileLines::Next next;
    while ((next = lines.next(physical)) == FileLines::Next::Line) {
        // Lines of fewer than 3 bytes (line end included) are blank lines between entries.
        if (physical.size() < 3 || physical.front() == '#')
            continue;
        if (batch.text.size() == lineStart) {
            batch.text.append(physical);
        } else if (physical[0] == ' ' && physical[1] != ' ') {
            batch.text.append(physical.sliced(1));
        } else {
            finishLine();
            batch.text.append(physical);
        }
        while (batch.text.size() > lineStart && (batch.text.endsWith('\n') || batch.text.endsWith('\r')))
            batch.text.chop(1);
        if (batch.text.size() - lineStart > FileLines::maxLineBytes()) {
            next = FileLines::Next::TooLong;
            break;
        }
    }
    if (next == FileLines::Next::TooLong) {
        // A broken file, not a directory: nothing of it is added.
        DevLog::log(QStringLiteral("ldif_import %1: a line is longer than %2 bytes").arg(path).arg(FileLines::maxLineBytes()));
        m_book.reset();
        return -1;
    }
    if (batch.text.size() - lineStart > 2)
        finishLine();
    else
        batch.text.truncate(lineStart);
    if (inEntry) {
        batch.entryEnds.push_back(batch.lineEnds.size());
        lastEntry = entriesRead++;
    }
    reading.put(std::move(batch));
    reading.finish();

    if (m_count > 0) {
        if (m_target)
            m_target->savingData();
        addMailingLists();
        if (!m_book->save(&error)) {
            DevLog::log(QStringLiteral("ldif_import ABAddressBookSave error: %1").arg(error));
            m_book.reset();
            m_groups = ImportGroups();
            return ImportOutcome::failure(error);
        }
        m_book.reset();
    }
    m_groups = ImportGroups();
    return m_count;
}

LdifReader::Entry LdifReader::EntryReader::read(const Batch &batch, size_t index)
{
    auto line = [&batch](size_t i) {
        const qsizetype begin = i == 0 ? 0 : batch.lineEnds[i - 1];
        return QByteArrayView(batch.text).sliced(begin, batch.lineEnds[i] - begin);
    };
    const size_t first = index == 0 ? 0 : batch.entryEnds[index - 1];
    startEntry();
    if (std::optional<LdifLine> dn = ldif_parse_line(line(first)))
        m_dn = ImportValues::decodeText(dn->value(), m_charSet).value_or(QString());
    for (size_t i = first + 1; i < batch.entryEnds[index]; ++i)
        processLogicalLine(line(i));
    Entry entry;
    entry.groupNames = std::exchange(m_groupNames, {});
    if (m_isList) {
        // A mailing list is no person: it is neither added nor counted.
        entry.isList = true;
        entry.list = std::exchange(m_list, {});
    } else {
        if (!m_dn.isEmpty())
            entry.dn = normalisedDN(m_dn);
        if (m_mask & FieldFilter::Marker)
            ImportValues::appendMarker(m_person);
        storeCollections();
        // Packed on the thread that made the values, which frees them there.
        m_person->packValues();
    }
    entry.person = std::exchange(m_person, nullptr);
    return entry;
}

void LdifReader::EntryReader::processLogicalLine(QByteArrayView line)
{
    if (line.first(qMin<qsizetype>(line.size(), 11)).compare("objectclass", Qt::CaseInsensitive) == 0) {
        std::optional<LdifLine> parsed = ldif_parse_line(line);
        if (parsed && m_person
            && (isAttribute(parsed->value(), "groupOfNames") || isAttribute(parsed->value(), "groupOfUniqueNames")))
            m_isList = true;
        return;
    }
    std::optional<LdifLine> parsed = ldif_parse_line(line);
    // Lines before the first entry have no person to go to ("version: 1" …).
    if (!parsed || !m_person || parsed->value().isEmpty())
        return;

    QByteArrayView name = parsed->name;
    if (isAttribute(name, "cn") || isAttribute(name, "member") || isAttribute(name, "uniqueMember")) {
        if (std::optional<QString> text = ImportValues::decodeText(parsed->value(), m_charSet)) {
            if (isAttribute(name, "cn"))
                m_list.name = *text;
            else
                m_list.memberDNs.append(*text);
        }
        return;
    }
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
        handleAttribute(*attribute, QString(), label, parsed->value());
        return;
    }
    std::optional<QString> value = ImportValues::decodeText(parsed->value(), m_charSet);
    if (value)
        handleAttribute(*attribute, *value, label, parsed->value());
}

void LdifReader::EntryReader::startEntry()
{
    m_person = ABRecord::createPerson(m_source);
    // Every entry starts with empty collections, so an entry without attribute lines never
    // receives the addresses of the one before it.
    resetCollections();
    m_groupNames.clear();
    m_dn.clear();
    m_isList = false;
    m_list = MailingList();
}

void LdifReader::addEntry(Entry &&entry, bool atEndOfFile)
{
    if (entry.isList) {
        if (!entry.list.name.isEmpty())
            m_lists.append(std::move(entry.list));
        return;
    }
    if (!entry.dn.isEmpty())
        m_unwrittenByDN.append({std::move(entry.dn), entry.person});
    if (atEndOfFile)
        DevLog::log(QStringLiteral("LEFTOVER ADDRECORD "));
    QString error;
    if (!m_book->addRecord(entry.person, &error)) {
        DevLog::log(QStringLiteral("ldif_import ABAddressBookAddRecord ERROR %1").arg(error));
    } else {
        // Only people that were added can join a group.
        for (const QString &name : std::as_const(entry.groupNames))
            m_groups.add(*m_book, entry.person, name);
    }
    ++m_count;
    if (!atEndOfFile && m_target)
        m_target->setNumberProgress(m_count);
    keepWrittenByIdentifier();
}

void LdifReader::keepWrittenByIdentifier()
{
    // The book writes people in the order they were added: the written ones come first.
    while (!m_unwrittenByDN.isEmpty() && m_unwrittenByDN.constFirst().second->recordID() != kABRecordInvalidID) {
        auto &[dn, person] = m_unwrittenByDN.first();
        m_writtenByDN.insert(std::move(dn), person->recordID());
        m_unwrittenByDN.removeFirst();
    }
}

void LdifReader::EntryReader::resetCollections()
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

void LdifReader::EntryReader::storeCollections()
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

void LdifReader::EntryReader::handleAttribute(const LdifAttribute &attribute, const QString &value, const QString &label,
                                 QByteArrayView raw)
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
        m_groupNames.append(value);
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

void LdifReader::EntryReader::appendMulti(ABPropertyID property, ABMultiValue &multi, const QVariant &value,
                             const std::optional<QString> &label)
{
    multi.addValueAndLabel(value, label);
    m_person->setValue(property, QVariant::fromValue(multi));
}

void LdifReader::EntryReader::setAddressPart(QVariantMap &address, const QString &key, const QString &value)
{
    if (!address.contains(key))
        address.insert(key, value);
}

QVariantMap &LdifReader::EntryReader::customAddress(const QString &label)
{
    for (auto &[known, address] : m_custom) {
        if (known == label)
            return address;
    }
    m_custom.append({label, QVariantMap()});
    return m_custom.last().second;
}

void LdifReader::addMailingLists()
{
    if (m_lists.isEmpty() || ABSources::selectedSourceIsExchange())
        return;
    // Groups and members go into the same handle as the people, so one save keeps them all.
    // A DN met twice means the later person, and the unwritten ones are the later ones.
    QHash<QString, ABRecordRef> unwritten;
    for (const auto &[dn, person] : std::as_const(m_unwrittenByDN))
        unwritten.insert(dn, person);
    for (const MailingList &list : std::as_const(m_lists)) {
        ABRecordRef group = ABSources::findGroupByName(*m_book, list.name);
        if (!group && ABSources::addGroupByName(*m_book, list.name))
            group = ABSources::findGroupByName(*m_book, list.name);
        if (!group)
            continue;
        for (const QString &dn : list.memberDNs) {
            const QString key = normalisedDN(dn);
            const ABRecordRef person = unwritten.value(key);
            const auto written = m_writtenByDN.constFind(key);
            QString error;
            if (!person && written == m_writtenByDN.cend())
                DevLog::log(QStringLiteral("ldif_import list %1: no entry %2 in the file").arg(list.name, dn));
            else if (person ? !group->addMember(person, &error) : !group->addMemberWithRecordID(*written, &error))
                DevLog::log(QStringLiteral("ldif_import ABGroupAddMember failed %1").arg(error));
        }
    }
}
