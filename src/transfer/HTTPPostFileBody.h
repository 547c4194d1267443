#pragma once

#include <QByteArray>
#include <QFile>
#include <QIODevice>
#include <QString>

// The multipart/form-data body of an upload, read straight from the file: the form's text
// parts before and after it are held in memory, the file's bytes never are. Random access, so
// the request can be sent again after an authentication challenge.
class HTTPPostFileBody : public QIODevice {
    Q_OBJECT
public:
    static constexpr char kBoundary[] = "0xVelkorQuintar";

    explicit HTTPPostFileBody(const QString &filePath, QObject *parent = nullptr);

    // Everything before the file's bytes (the current path "./" and the file part's header)
    // and everything after them.
    static QByteArray head(const QString &fileName);
    static QByteArray tail();

    // Opens the file for reading; false when it cannot be read.
    bool openFile();
    qint64 fileSize() const { return m_fileSize; }

    bool isSequential() const override { return false; }
    qint64 size() const override;
    bool seek(qint64 position) override;

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    QFile m_file;
    QByteArray m_head;
    QByteArray m_tail;
    qint64 m_fileSize = 0;
    qint64 m_position = 0;
};
