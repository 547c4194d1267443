#include "RecordPrinter.h"

void RecordPrinter::note(const ExportText &propertyName, const ExportText &note)
{
    if (note)
        nameValue(propertyName, note);
}

void RecordPrinter::address(const AddressEntry &entry)
{
    for (int part = 0; part < AddressEntry::kPartCount; ++part) {
        if (entry.parts[size_t(part)])
            addressPart(entry.propertyName, entry.label, entry.partNames[size_t(part)], entry.parts[size_t(part)], entry.kind, part);
    }
}

QByteArray replaceLineEnds(const QByteArray &text, QByteArrayView replacement)
{
    if (!text.contains('\n') && !text.contains('\r'))
        return text;
    QByteArray result;
    result.reserve(text.size() + 16);
    for (qsizetype i = 0; i < text.size(); ++i) {
        char c = text.at(i);
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text.at(i + 1) == '\n')
                ++i;
            result.append(replacement);
        } else {
            result.append(c);
        }
    }
    return result;
}
