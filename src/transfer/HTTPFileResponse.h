#pragma once

#include "HTTPResponse.h"

#include <QFile>

// A file sent from disk (or from the program's resources). A file that cannot be opened has
// length 0. The length is the file's when it was opened: that is what the head promises.
class HTTPFileResponse : public HTTPResponse {
public:
    explicit HTTPFileResponse(const QString &filePath);

    const QString &filePath() const { return m_filePath; }
    quint64 contentLength() const override;
    quint64 offset() const override;
    void setOffset(quint64 offset) override;
    QByteArray readDataOfLength(qsizetype length) override;

private:
    QString m_filePath;
    QFile m_fileHandle;
    qint64 m_length = 0;
};
