#pragma once

#include "CSVRecord.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// Turns the whole text of a CSV file into column names and records. It knows nothing of
// contacts. Column names read from a header row are "%04d %@" (column number from 0, a blank,
// the header text exactly as written), so they are unique and sort in column order; fields
// beyond the named columns are named "FIELD_%ld" by their position counted from 1.
//
// Rows are read one after the other in a loop, so the size of a file never grows the stack.
// Parsing stops quietly where the text cannot go on (a stray double quote inside an unquoted
// field): the rows before that point are delivered, later ones are not.
class CSVParser {
public:
    using Receiver = std::function<void(const CSVRecord &record)>;

    // The separator must not be empty and must contain neither the double quote nor a line
    // break character; such a separator is a programming error (logged, and "," is used).
    CSVParser(QString text, QString separator, bool hasHeader, QStringList fieldNames = {});

    static bool isValidSeparator(const QString &separator);

    // The column names of the first row, read from the start of the text; none when the text
    // has no first field. A later full parse starts again at the beginning.
    std::optional<QStringList> parseHeader();
    // Parses the whole text from the beginning and hands every record to `receiver`, in order.
    void parseRowsForReceiver(const Receiver &receiver);
    // Parses the whole text and answers every record.
    QList<CSVRecord> arrayOfParsedRows();

    // The column names known so far (the header's, then any FIELD_ names added by long rows).
    const QStringList &fieldNames() const { return m_fieldNames; }

private:
    void parseFile(const Receiver &receiver);
    std::optional<QStringList> parseHeaderRow();
    bool parseRecord(CSVRecord &record);
    bool parseField(QString &field);
    bool parseQuotedField(QString &field);
    bool parseTextData(QString &text);
    bool parseSeparator();
    bool parseLineBreak();
    bool atSeparator() const;
    bool atLineBreak() const;
    bool atEnd() const { return m_pos >= m_text.size(); }

    QString m_text;
    QString m_separator;
    bool m_separatorIsSingleChar = true;
    bool m_hasHeader;
    QStringList m_fieldNames;
    qsizetype m_pos = 0;
    bool m_scanning = false;
};
