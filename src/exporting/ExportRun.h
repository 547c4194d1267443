#pragma once

#include "addressbook/ABAddressBook.h"
#include "formats/common/GroupNames.h"
#include "formats/common/LocalDays.h"
#include "formats/common/RecordPrinter.h"

#include <QHash>
#include <QList>

#include <array>
#include <deque>
#include <optional>

// One export from request to answer: the address book handle, the format's printers and the
// state they share (character set, layout, CSV column maxima). writeRecord gathers one
// person's values in the fixed order and hands them to the printers.
class ExportRun {
public:
    ExportRun(ABAddressBook &book, RecordPrinter &printer, ExportContext &context, bool logEnabled, ExportText dnSuffix);

    // The counting pass of the formats that have one: raises the column maxima to the most
    // entries of each family that any of `people` writes.
    void countColumns(const QList<ABRecordID> &people);
    // The same run writing with `printer`, for writing people on another thread: what it
    // reads of the book (the groups) is read here, now, so that it never reads the book itself.
    ExportRun withPrinter(RecordPrinter &printer);
    // Whether the run keeps the export log.
    bool logs() const { return m_log; }
    // A person without a composite name gets no output ("Missing compositName").
    void writeRecord(const ABRecord &person);

    struct EntryFamily;

private:
    ExportText convert(const QString &text) const;
    const ExportText &propertyName(ABPropertyID property);
    ExportText labelText(const QString &label);
    ExportText textValue(const ABRecord &person, ABPropertyID property) const;
    // The text converted; none when it is empty.
    ExportText nonEmpty(const QString &text) const;
    ExportText dateText(const QVariant &value) const;
    ExportText photo(const ABRecord &person) const;
    void log(const QString &line) const;

    void entryHead(const ABRecord &person, const ABRecord::Names &names, const QString &compositeName);
    void singleField(SingleField field, ABPropertyID property, const ExportText &value);
    void prepareGroups();
    void groups(const ABRecord &person);
    // Whether the run writes the family: the field mask asks for it.
    bool writes(const EntryFamily &family);
    // Phones, e-mails and URLs: plain text values, written with the printer `print`.
    using PlainValuePrinter = void (RecordPrinter::*)(const ExportText &, const ExportText &, const ExportText &, int);
    void plainValues(const ABRecord &person, const EntryFamily &family, int (*kindOf)(const std::optional<QString> &),
                     PlainValuePrinter print);
    void dates(const ABRecord &person);
    void instantMessages(const ABRecord &person);
    void addresses(const ABRecord &person);
    // Logs the family's entries, then runs `print` for each that takes part (labelled ones, or
    // all), read into `entry`.
    template<typename Print>
    void printFamily(const ABRecord &person, const EntryFamily &family, ABRecordCodec::EntryTexts &entry, Print print);
    // "  PHONES 2" and the like, when the export log is on.
    void logFamily(const char *logName, int count) const;

    ABAddressBook &m_book;
    RecordPrinter *m_printer;
    ExportContext &m_context;
    bool m_log;
    ExportText m_dnSuffix;
    LocalDays m_days;
    // By property number; a deque, so that a name handed out stays where it is as it grows.
    std::deque<std::optional<ExportText>> m_propertyNames;
    QHash<QString, ExportText> m_labelTexts;
    std::optional<std::array<ExportText, AddressEntry::kPartCount>> m_addressPartNames;
    // The entries of each family are read into these, one after the other.
    ABRecordCodec::EntryTexts m_plainEntry;
    ABRecordCodec::EntryTexts m_instantMessageEntry;
    ABRecordCodec::EntryTexts m_addressEntry;
    // Built at the first use: who belongs to which group, and the groups' converted names.
    std::optional<GroupMemberships> m_groups;
    QList<ExportText> m_groupTexts;
};
