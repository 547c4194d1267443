#pragma once

#include "CSVRecord.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

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
    // has no first field.
    std::optional<QStringList> parseHeader() const;
    // Parses the whole text from the beginning and hands every record to `receiver`, in order.
    void parseRowsForReceiver(const Receiver &receiver);
    // Parses the whole text and answers every record.
    QList<CSVRecord> arrayOfParsedRows();

    // For parsing on several threads: the next stretch of the text of whole records, at least
    // `aim` characters long unless it is the last, the first one starting after the header. A
    // piece given to parsePiece() yields the records the whole parse yields there, and no piece
    // goes past the point where the whole parse stops. Empty: no more pieces.
    QStringView nextPiece(qsizetype aim);
    // The records of a piece from nextPiece(). It changes nothing in the parser, so that pieces
    // can be parsed at the same time.
    void parsePiece(QStringView piece, const Receiver &receiver) const;

    // The column names known so far (the header's, then any FIELD_ names added by long rows).
    const QStringList &fieldNames() const { return m_fieldNames; }

private:
    class Cursor;

    // Past the header and the line breaks after it, taking the header's names; false when no
    // record can follow.
    bool passHeader(Cursor &cursor, QStringList &names) const;
    // The records from the cursor on, their columns named by `names`, which long rows lengthen.
    static void parseRecords(Cursor &cursor, QStringList &names, const Receiver &receiver);

    QString m_text;
    QString m_separator;
    bool m_hasHeader;
    QStringList m_fieldNames;
    // Pieces: where the next starts (-1 before the first, past the end after the last), and the
    // names their columns have.
    qsizetype m_pieceAt = -1;
    QStringList m_pieceNames;
};
