#pragma once

#include "HTTPResponse.h"

// Bytes made in memory, such as a generated page.
class HTTPDataResponse : public HTTPResponse {
public:
    explicit HTTPDataResponse(QByteArray data) : m_data(std::move(data)) {}

    const QByteArray &data() const { return m_data; }
    quint64 contentLength() const override { return quint64(m_data.size()); }
    quint64 offset() const override { return m_offset; }
    void setOffset(quint64 offset) override { m_offset = std::min<quint64>(offset, m_data.size()); }
    QByteArray readDataOfLength(qsizetype length) override;

private:
    QByteArray m_data;
    quint64 m_offset = 0;
};
