#pragma once

#include "ExportOutput.h"

#include <QByteArray>

#include <array>
#include <cstdint>
#include <optional>

// A value as it goes into an export file: bytes in the run's character set, or none when the
// record has no such value or it cannot be written in that character set.
using ExportText = std::optional<QByteArray>;

// Families of values whose count varies from record to record. CSV gives each a run of
// columns as wide as the largest count found in its counting pass.
enum class ColumnFamily { Groups, InstantMessages, Dates, Emails, URLs, Addresses, Phones };
inline constexpr int kColumnFamilyCount = 7;

// Single-value fields that are written with the name/value printer.
enum class SingleField { PhoneticFirstName, PhoneticLastName, Organization, Department, JobTitle, Nickname, Prefix, Suffix, Birthday };

// What every printer of a run may read: fixed when the run starts, except the column maxima,
// which the counting pass fills before the prologue is written.
struct ExportContext {
    int format = 0;
    uint32_t mask = 0;
    int layout = 0;       // LDIF schema 0-2, or 999 for the print page
    int charSet = 0;      // 0 UTF-8, otherwise ISO 8859-1
    int recordCount = 0;  // the selected rows
    std::array<int, kColumnFamilyCount> maxima{};

    int &maximum(ColumnFamily family) { return maxima[size_t(family)]; }
    int maximum(ColumnFamily family) const { return maxima[size_t(family)]; }
};

// The values of a record's entry head, converted.
struct EntryHead {
    ExportText firstName, firstNameProperty;
    ExportText lastName, lastNameProperty;
    ExportText middleName, middleNameProperty;
    ExportText compositeName;
    ExportText photo;     // the JPEG photo in Base64, one line
    ExportText dnSuffix;  // LDIF only
};

// One labelled address: the parts in the order street, city, state, country, postal code.
struct AddressEntry {
    static constexpr int kPartCount = 5;
    ExportText propertyName;
    ExportText label;
    int kind = 0;
    std::array<ExportText, kPartCount> partNames;
    std::array<ExportText, kPartCount> parts; // the street still holds its line ends
};

// The per-format half of an export: the engine walks the records and gathers every value in a
// fixed order; a printer decides the bytes. One implementation per format. Printers write what
// they can and skip a line whose values are absent.
class RecordPrinter {
public:
    RecordPrinter(ExportOutput &out, const ExportContext &context) : m_out(out), m_context(context) {}
    virtual ~RecordPrinter() = default;

    // The file around the records. The prologue comes after the counting pass.
    virtual void prologue() {}
    virtual void epilogue() {}

    // What the engine has to gather for this format.
    virtual bool needsCountingPass() const { return false; }
    virtual bool wantsPhoto() const { return true; }
    virtual bool wantsGroups() const { return false; }
    virtual bool writesField(SingleField field) const { (void)field; return true; }
    // The name a single-value field is written under; by default its property name.
    virtual ExportText fieldName(SingleField field, const ExportText &propertyName) const { (void)field; return propertyName; }

    // The record printers, in the order the engine calls them.
    virtual void beginRecord() {}
    virtual void entryHead(const EntryHead &head) = 0;
    virtual void nameValue(const ExportText &name, const ExportText &value) = 0;
    virtual void group(const ExportText &name) { (void)name; }
    // Phones, e-mails, URLs and dates default to one labelled-value line each.
    virtual void phone(const ExportText &propertyName, const ExportText &number, const ExportText &label, int kind)
    {
        (void)kind;
        labelledValue(propertyName, label, number);
    }
    virtual void email(const ExportText &propertyName, const ExportText &address, const ExportText &label, int kind)
    {
        (void)kind;
        labelledValue(propertyName, label, address);
    }
    virtual void url(const ExportText &propertyName, const ExportText &url, const ExportText &label, int kind)
    {
        (void)kind;
        labelledValue(propertyName, label, url);
    }
    virtual void date(const ExportText &propertyName, const ExportText &label, const ExportText &dateText)
    {
        labelledValue(propertyName, label, dateText);
    }
    virtual void labelledValue(const ExportText &propertyName, const ExportText &label, const ExportText &value)
    {
        (void)propertyName, (void)label, (void)value;
    }
    virtual void instantMessage(const ExportText &propertyName, const ExportText &label, const ExportText &service,
                                const ExportText &userName) = 0;
    // The note as stored (line ends kept); by default one name/value line when there is one.
    virtual void note(const ExportText &propertyName, const ExportText &note);
    // By default one address-part call per present part, with the part numbers 0 street (line
    // ends kept), 1 city, 2 state, 3 country, 4 postal code.
    virtual void address(const AddressEntry &entry);
    virtual void addressPart(const ExportText &propertyName, const ExportText &label, const ExportText &partName,
                             const ExportText &value, int kind, int part) = 0;
    // After the last value of a counted family of a record (CSV pads its columns here).
    virtual void endFamily(ColumnFamily family) { (void)family; }
    virtual void endRecord() {}

protected:
    ExportOutput &m_out;
    const ExportContext &m_context;
};

// Line ends (CR LF, LF or CR) each replaced by `replacement`.
QByteArray replaceLineEnds(const QByteArray &text, QByteArrayView replacement);
