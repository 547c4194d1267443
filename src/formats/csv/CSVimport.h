#pragma once

#include "CSVParser.h"
#include "addressbook/ABAddressBook.h"
#include "formats/common/ImportGroups.h"
#include "platform/Result.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>

class ProgressTarget;

// Maps the columns of a CSV file to contact fields and turns every complete row into a new
// person. The mapping starts from the column names (automaticMapping) and may then be changed
// by the mapping screen or the command line; `mappings` holds one target field index per
// column, -1 for "not mapped".
class CSVimport {
public:
    // The 24 target fields, in the order of fields().
    enum Field {
        FirstName, LastName, MiddleName, Nickname, Organization, JobTitle, Department, Email,
        Birthday, Note, Date, Phone, URL, AddressStreet, AddressCity, AddressState,
        AddressCountry, AddressZIPcode, PhoneticFirstName, PhoneticLastName, Prefix, Suffix,
        InstantMessage, Group, FieldCount
    };

    // initWithParser:andHeader: stores both and computes the automatic mapping.
    CSVimport(std::shared_ptr<CSVParser> parser, QStringList header);

    // Reads a CSV file as text in the character set setting (0 UTF-8, else ISO 8859-1; a UTF-8
    // byte-order mark is dropped), parses its header and makes the importer. The error is the
    // text to show: the file's read error, "Error importing file." for a line longer than
    // FileLines' cap, "Missing CSV header." (also for an empty file), or the invalid-encoding
    // text.
    static Result<std::shared_ptr<CSVimport>> fromFile(const QString &path, int charSet);

    static const QStringList &fields();
    const QStringList &csvheader() const { return m_csvheader; }
    QList<int> &mappings() { return m_mappings; }
    const QList<int> &mappings() const { return m_mappings; }
    // A column's header text: its name without the column number and blank ("0002 ").
    static QString headerText(const QString &columnName);
    // The first field whose name contains the header text, without regard to case; -1 for none
    // or for an empty text.
    static int automaticMapping(const QString &headerText);
    // Maps the columns still unmapped by the header names common programs write; never changes
    // a mapped column. Answers how many columns it mapped.
    int guessUnmapped();

    bool areAllFieldsAssigned() const { return countUnAssigned() == 0; }
    bool oneFieldAssigned() const { return countAssigned() > 0; }
    int countAssigned() const;
    int countUnAssigned() const { return int(m_mappings.size()) - countAssigned(); }

    // Imports every row of the file with the import mask. Answers the number of people added,
    // or ImportOutcome::failure when the address book cannot be opened or saved (nothing added
    // then). The target
    // gets no progress (the screen shows an animated bar).
    int importWithTagert(ProgressTarget *target, uint32_t mask);

private:
    // Makes rows into people with the mapped fields.
    class RowReader;
    struct ReadRow {
        ABRecordRef person; // packed; none when the row lacks a field for a header column
        QStringList groups;
    };
    // Adds a read row's person to the book and notes its groups.
    void addRow(const ReadRow &row);

    std::shared_ptr<CSVParser> m_parser;
    QStringList m_csvheader;
    QList<int> m_mappings;
    uint32_t m_mask = 0;
    int m_records = 0;
    ABAddressBookRef m_book;
    ABRecordRef m_source; // where new people go: the chosen source, else the default one
    ImportGroups m_groups;
};
