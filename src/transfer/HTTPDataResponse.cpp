#include "HTTPDataResponse.h"

QByteArray HTTPDataResponse::readDataOfLength(qsizetype length)
{
    const QByteArray piece = m_data.mid(qsizetype(m_offset), length);
    m_offset += quint64(piece.size());
    return piece;
}
