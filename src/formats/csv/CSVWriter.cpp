#include "CSVWriter.h"

#include "formats/common/TextConversion.h"

void CSVWriter::quoted(const QByteArray &value)
{
    m_out << '"' << TextConversion::doubleQuotes(value) << '"';
}

void CSVWriter::firstColumn(const ExportText &value)
{
    if (value)
        quoted(*value);
}

void CSVWriter::column(const ExportText &value)
{
    m_out << ',';
    if (value)
        quoted(*value);
}

void CSVWriter::singleLineColumn(const ExportText &value)
{
    column(value ? ExportText(replaceLineEnds(*value, " ")) : value);
}

void CSVWriter::emptyColumns(int count)
{
    for (int i = 0; i < count; ++i)
        m_out << ',';
}
