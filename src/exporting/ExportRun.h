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
    enum Pass { CountingPass = 0, WritingPass = 1 };

    ExportRun(ABAddressBook &book, RecordPrinter &printer, ExportContext &context, bool logEnabled, ExportText dnSuffix);

    // Pass 1 writes the person; pass 0 (formats with a counting pass) only raises the column
    // maxima. A person without a composite name gets no output ("Missing compositName").
    void writeRecord(const ABRecord &person, Pass pass);

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
    void groups(const ABRecord &person, Pass pass);
    // Phones, e-mails and URLs: plain text values, written with the printer `print`.
    using PlainValuePrinter = void (RecordPrinter::*)(const ExportText &, const ExportText &, const ExportText &, int);
    struct PlainFamily {
        ABPropertyID property;
        ColumnFamily family;
        const char *logName;
        bool unlabelledToo;
        int (*kindOf)(const std::optional<QString> &);
        PlainValuePrinter print;
    };
    void plainValues(const ABRecord &person, const PlainFamily &family, Pass pass);
    void dates(const ABRecord &person, Pass pass);
    void instantMessages(const ABRecord &person, Pass pass);
    void addresses(const ABRecord &person, Pass pass);
    // Logs the family's entries, then runs `print` for each that takes part (labelled ones, or
    // all), read into `entry`.
    template<typename Print>
    void printFamily(const ABRecord &person, ABPropertyID property, ABRecordCodec::EntryTexts &entry, ColumnFamily family,
                     bool unlabelledToo, const char *logName, Print print);
    // In the counting pass, raises the family's maximum to the entries of `property` that take
    // part and answers true; in the writing pass answers false.
    bool counted(const ABRecord &person, ABPropertyID property, ColumnFamily family, bool unlabelledToo, const char *logName,
                 Pass pass);
    // "  PHONES 2" and the like, when the export log is on.
    void logFamily(const char *logName, int count) const;
    void raiseMaximum(ColumnFamily family, int count);

    ABAddressBook &m_book;
    RecordPrinter &m_printer;
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
