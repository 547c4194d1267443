#pragma once

#include "formats/common/RecordPrinter.h"

// The plain text listing: a framed heading per record, then one "name: value" line per value.
// Values are written as they are (a note keeps its line ends); no photos.
class TxtPrinter : public RecordPrinter {
public:
    using RecordPrinter::RecordPrinter;

    void prologue() override;
    bool wantsPhoto() const override { return false; }

    void beginRecord() override;
    void entryHead(const EntryHead &head) override;
    void nameValue(const ExportText &name, const ExportText &value) override;
    void labelledValue(const ExportText &propertyName, const ExportText &label, const ExportText &value) override;
    void instantMessage(const ExportText &propertyName, const ExportText &label, const ExportText &service,
                        const ExportText &userName) override;
    void addressPart(const ExportText &propertyName, const ExportText &label, const ExportText &partName,
                     const ExportText &value, int kind, int part) override;
};
