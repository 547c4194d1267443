#pragma once

#include "formats/common/RecordPrinter.h"

// The LDIF file: "version: 1", then one entry per record in one of three schemas (the layout
// number): 0 Vennaro's own attributes (read back in full by the LDIF reader), 1 standard
// attributes only, 2 Mozilla Thunderbird's. Lines end with LF and are never folded. A value
// that RFC 2849 does not allow plain is written base64 after "::"; the composite name in the
// DN is escaped as a distinguished name requires. A record whose composite name does not
// exist in the character set gets no entry at all (logged).
class LdifPrinter : public RecordPrinter {
public:
    enum Schema { Vennaro = 0, Generic = 1, Mozilla = 2 };

    LdifPrinter(ExportOutput &out, const ExportContext &context);

    void prologue() override;
    bool wantsPhoto() const override { return m_schema != Mozilla; }
    bool wantsGroups() const override { return m_schema == Vennaro; }
    bool writesField(SingleField field) const override;
    ExportText fieldName(SingleField field, const ExportText &propertyName) const override;

    void beginRecord() override { m_skipping = false; }
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
    void addressPart(const ExportText &propertyName, const ExportText &label, const ExportText &partName,
                     const ExportText &value, int kind, int part) override;
    void endRecord() override;

private:
    // The attribute of a phone, e-mail or URL kind, one per schema; none writes nothing, and a name
    // ending in ";" takes the label text as its option.
    void kindLine(const char *const *schemaNames, const ExportText &label, const ExportText &value);
    // "attribute: value", or "attribute:: base64" for a value that may not stand plain.
    void line(QByteArrayView attribute, const ExportText &value);

    Schema m_schema;
    bool m_skipping = false; // the current record has no entry
};
