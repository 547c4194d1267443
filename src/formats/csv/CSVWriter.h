#pragma once

#include "formats/common/RecordPrinter.h"

// Writes the columns of one CSV row: every value after the first as a comma and the value in
// double quotes, an absent value as a lone comma. Every double quote inside a value is
// doubled, so any CSV reader (ours included) reads the row back whole.
class CSVWriter {
public:
    explicit CSVWriter(ExportOutput &out) : m_out(out) {}

    // The first column of a row: the value in quotes without a leading comma, nothing when absent.
    void firstColumn(const ExportText &value);
    void column(const ExportText &value);
    // A column whose line ends become blanks (the note and the street).
    void singleLineColumn(const ExportText &value);
    void emptyColumns(int count);
    void endRow() { m_out << '\n'; }

private:
    void quoted(const QByteArray &value);
    ExportOutput &m_out;
};
