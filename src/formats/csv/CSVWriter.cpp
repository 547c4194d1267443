#include "CSVWriter.h"

void CSVWriter::quoted(const QByteArray &value)
{
    // Written a run at a time up to and including each quote, which is then written again.
    const QByteArrayView text(value);
    m_out << '"';
    qsizetype from = 0;
    for (qsizetype quote; (quote = text.indexOf('"', from)) >= 0; from = quote + 1)
        m_out << text.sliced(from, quote + 1 - from) << '"';
    m_out << text.sliced(from) << '"';
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
