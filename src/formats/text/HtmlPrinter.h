#pragma once

#include "formats/common/RecordPrinter.h"

// The HTML page: one table, a heading row per record and one row per value. Every value from
// the address book is HTML-escaped, so a name such as "A&B <x>" shows as typed and no contact
// can put markup into the page. Layout 999 is the plainer page that is printed.
class HtmlPrinter : public RecordPrinter {
public:
    static constexpr int kPrintLayout = 999;

    using RecordPrinter::RecordPrinter;

    void prologue() override;
    void epilogue() override;

    void entryHead(const EntryHead &head) override;
    void nameValue(const ExportText &name, const ExportText &value) override;
    void labelledValue(const ExportText &propertyName, const ExportText &label, const ExportText &value) override;
    void instantMessage(const ExportText &propertyName, const ExportText &label, const ExportText &service,
                        const ExportText &userName) override;
    void note(const ExportText &propertyName, const ExportText &note) override;
    void addressPart(const ExportText &propertyName, const ExportText &label, const ExportText &partName,
                     const ExportText &value, int kind, int part) override;
    void endRecord() override;

    // "&", "<", ">" and '"' as entities; other bytes unchanged (safe for UTF-8 and ISO 8859-1).
    static QByteArray escape(const QByteArray &text);

private:
    bool printLayout() const { return m_context.layout == kPrintLayout; }
    // "<tr><td>NAME</td><td>VALUE</td></tr>" with both parts already escaped.
    void row(const QByteArray &name, const QByteArray &value);
};
