#pragma once

#include "CSVWriter.h"

// The CSV file: a header built from the mask and the column maxima of the counting pass, then
// one row per record with exactly as many columns as the header; families a record has fewer
// of than the widest record are padded with empty columns.
class CsvPrinter : public RecordPrinter {
public:
    CsvPrinter(ExportOutput &out, const ExportContext &context) : RecordPrinter(out, context), m_row(out) {}

    void prologue() override;
    bool needsCountingPass() const override { return true; }
    bool wantsPhoto() const override { return false; }
    bool wantsGroups() const override { return true; }

    void entryHead(const EntryHead &head) override;
    void nameValue(const ExportText &name, const ExportText &value) override;
    void group(const ExportText &name) override;
    void phone(const ExportText &propertyName, const ExportText &number, const ExportText &label, int kind) override;
    void email(const ExportText &propertyName, const ExportText &address, const ExportText &label, int kind) override;
    void url(const ExportText &propertyName, const ExportText &url, const ExportText &label, int kind) override;
    void date(const ExportText &propertyName, const ExportText &label, const ExportText &dateText) override;
    void instantMessage(const ExportText &propertyName, const ExportText &label, const ExportText &service,
                        const ExportText &userName) override;
    void note(const ExportText &propertyName, const ExportText &note) override;
    void address(const AddressEntry &entry) override;
    void addressPart(const ExportText &, const ExportText &, const ExportText &, const ExportText &, int, int) override {}
    void endFamily(ColumnFamily family) override;
    void endRecord() override { m_row.endRow(); }

private:
    void familyColumn(const ExportText &value);

    CSVWriter m_row;
    int m_familyColumns = 0; // columns written so far for the current family
};
