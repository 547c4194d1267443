#include "CsvPrinter.h"

#include "shell/AppData.h"

namespace {
// The address columns come in fives.
constexpr int kAddressColumns = AddressEntry::kPartCount;
}

void CsvPrinter::prologue()
{
    const uint32_t mask = m_context.mask;
    auto repeat = [&](QByteArrayView name, ColumnFamily family) {
        for (int i = 0; i < m_context.maximum(family); ++i)
            m_out << name;
    };
    m_out << "firstname,middlename,lastname";
    if (mask & FieldFilter::Phonetic)
        m_out << ",phoneticfirstname,phoneticlastname";
    if (mask & FieldFilter::Groups)
        repeat(",group", ColumnFamily::Groups);
    if (mask & FieldFilter::Phone)
        repeat(",phone", ColumnFamily::Phones);
    if (mask & FieldFilter::Email)
        repeat(",email", ColumnFamily::Emails);
    if (mask & FieldFilter::URL)
        repeat(",url", ColumnFamily::URLs);
    m_out << ",organization,department,title,nickname";
    if (mask & FieldFilter::PrefixSuffix)
        m_out << ",prefix,suffix";
    if (mask & FieldFilter::Dates) {
        m_out << ",birthday";
        repeat(",date", ColumnFamily::Dates);
    }
    if (mask & FieldFilter::IM)
        repeat(",instantmessage", ColumnFamily::InstantMessages);
    if (mask & FieldFilter::Note)
        m_out << ",note";
    if (mask & FieldFilter::Address)
        repeat(",street,city,state,country,zipcode", ColumnFamily::Addresses);
    m_out << '\n';
}

void CsvPrinter::entryHead(const EntryHead &head)
{
    m_row.firstColumn(head.firstName);
    m_row.column(head.middleName);
    m_row.column(head.lastName);
}

void CsvPrinter::nameValue(const ExportText &, const ExportText &value)
{
    m_row.column(value);
}

void CsvPrinter::familyColumn(const ExportText &value)
{
    m_row.column(value);
    ++m_familyColumns;
}

void CsvPrinter::group(const ExportText &name)
{
    familyColumn(name);
}

void CsvPrinter::phone(const ExportText &, const ExportText &number, const ExportText &, int)
{
    familyColumn(number);
}

void CsvPrinter::email(const ExportText &, const ExportText &address, const ExportText &, int)
{
    familyColumn(address);
}

void CsvPrinter::url(const ExportText &, const ExportText &url, const ExportText &, int)
{
    familyColumn(url);
}

void CsvPrinter::date(const ExportText &, const ExportText &, const ExportText &dateText)
{
    familyColumn(dateText);
}

void CsvPrinter::instantMessage(const ExportText &, const ExportText &, const ExportText &service, const ExportText &userName)
{
    familyColumn(userName && service ? ExportText(*userName + " (" + *service + ')') : ExportText());
}

void CsvPrinter::note(const ExportText &, const ExportText &note)
{
    m_row.singleLineColumn(note);
}

void CsvPrinter::address(const AddressEntry &entry)
{
    m_row.singleLineColumn(entry.parts[0]);
    for (int part = 1; part < kAddressColumns; ++part)
        m_row.column(entry.parts[size_t(part)]);
    ++m_familyColumns;
}

void CsvPrinter::endFamily(ColumnFamily family)
{
    int missing = m_context.maximum(family) - m_familyColumns;
    m_row.emptyColumns(family == ColumnFamily::Addresses ? missing * kAddressColumns : missing);
    m_familyColumns = 0;
}
