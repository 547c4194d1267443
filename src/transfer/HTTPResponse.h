#pragma once

#include <QByteArray>
#include <QString>

// The body of one answer, read by the connection piece by piece from a position.
class HTTPResponse {
public:
    virtual ~HTTPResponse() = default;

    // 0 means there is nothing to send (the connection answers 404).
    virtual quint64 contentLength() const = 0;
    virtual quint64 offset() const = 0;
    virtual void setOffset(quint64 offset) = 0;
    // Up to `length` bytes from the position, which moves past them; empty at the end.
    virtual QByteArray readDataOfLength(qsizetype length) = 0;

    // The "Content-Disposition" field's text, or empty for none.
    const QString &contentDisposition() const { return m_contentDisposition; }
    void setDisposition(const QString &disposition) { m_contentDisposition = disposition; }

private:
    QString m_contentDisposition;
};
