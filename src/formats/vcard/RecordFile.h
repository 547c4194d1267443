#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

// File names for the records of one export folder (one file per person, later packed into a
// zip archive).
class RecordFile {
public:
    // File names longer than this many bytes (in the file system's encoding) cannot be made.
    static constexpr int kMaxNameBytes = 255;

    RecordFile(QString folder, QString extension);

    // folder + "/" + the safe form of `name` + extension. While that file exists, namesakes
    // get one more "_" before the extension (John.vcf, John_.vcf, John__.vcf, John___.vcf),
    // and from the fifth on a number (John_4.vcf …), so that people who share a name do not
    // overwrite each other. A name too long for the file system is shortened. Empty when the
    // name is empty.
    QString freePath(const QString &name);

    // `name` as one safe file name, also as a zip entry unpacked on another system: path
    // separators ("/", "\"), characters Windows refuses (: * ? " < > |) and control characters
    // become "-", and leading dots (hidden files, "..") become "-" as well.
    static QString safeFileName(const QString &name);

    // Writes `bytes` as a new file at freePath(name). False, with a log line tagged
    // `operation`, when the name is empty or the file cannot be created or written whole; a
    // file that failed half-way is removed.
    bool write(const QString &name, const QByteArray &bytes, const char *operation);
    // What a per-record writer answers: the number of files written, or 0 once any file could
    // not be written (a full disk), as a single file that cannot be written answers 0.
    int answer() const { return m_failed ? 0 : m_written; }

private:
    QString candidate(const QString &stem, int namesake) const;

    QString m_folder;
    QString m_extension;
    // The next namesake number to try, by safe name: a thousand namesakes need no thousand
    // look-ups each.
    QHash<QString, int> m_nextNamesake;
    int m_written = 0;
    bool m_failed = false;
};
