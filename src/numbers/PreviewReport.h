#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// The HTML page a number rewriting pass writes (preview.html): the count of people, a table
// with a grey header row per person followed by the person's changed numbers (red) and, with
// "show all", the unchanged ones (green "NO CHANGE"), or a notice that nothing changed.
// Names and numbers are HTML-escaped, so no contact can change the page.
class PreviewReport {
public:
    // Opens the file (truncating it) and writes the head; false with a message on failure.
    bool open(const QString &path, QString *error);
    // The count line and the start of the table.
    void writeCount(int people);
    // The header row of a person, before the person's first row. A null name shows as a blank.
    void writePersonHeader(const QString &name);
    void writeChanged(const QString &stored, const QByteArray &result);
    void writeUnchanged(const QString &stored);
    bool hasRows() const { return m_rows > 0; }
    void writeNoChangeNotice();
    void writeTail();
    // Writes out what is left; false with a message when the file could not be written.
    bool close(QString *error);

private:
    void write(const QByteArray &bytes);

    QFile m_file;
    QByteArray m_buffer;
    qint64 m_rows = 0;
    bool m_failed = false;
};
