#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <cstring>
#include <utility>

// Appends with a plain copy. QByteArray::append goes through insert(), which checks every
// piece for overlap with the array itself: writers that append many small pieces per record
// spend a good part of their time there.
inline void appendBytes(QByteArray &out, QByteArrayView bytes)
{
    if (bytes.isEmpty())
        return;
    const qsizetype at = out.size();
    out.resize(at + bytes.size());
    std::memcpy(out.data() + at, bytes.data(), size_t(bytes.size()));
}

// Fills a byte array it grows in steps and keeps its own end: for pieces of a few bytes, even
// a QByteArray::resize each costs more than the copy.
class ByteWriter {
public:
    explicit ByteWriter(qsizetype room = 256) : m_bytes(qMax<qsizetype>(room, 16), Qt::Uninitialized), m_data(m_bytes.data()) {}

    void put(const void *bytes, size_t n)
    {
        if (n == 0)
            return;
        if (m_size + qsizetype(n) > m_bytes.size()) {
            m_bytes.resize(qMax(m_bytes.size() * 2, m_size + qsizetype(n)));
            m_data = m_bytes.data();
        }
        std::memcpy(m_data + m_size, bytes, n);
        m_size += qsizetype(n);
    }
    void put(QByteArrayView bytes) { put(bytes.data(), size_t(bytes.size())); }
    void put(char byte)
    {
        if (m_size < m_bytes.size())
            m_data[m_size++] = byte;
        else
            put(&byte, 1);
    }
    // Overwrites bytes already put, from `offset` on.
    void patch(qsizetype offset, const void *bytes, size_t n) { std::memcpy(m_data + offset, bytes, n); }

    qsizetype size() const { return m_size; }
    QByteArrayView view() const { return QByteArrayView(m_data, m_size); }
    // The bytes put, in an array no larger than they are (a caller may hold thousands).
    QByteArray take()
    {
        m_bytes.truncate(m_size);
        m_bytes.squeeze();
        m_size = 0;
        m_data = nullptr; // the next put makes room again
        return std::exchange(m_bytes, QByteArray());
    }

private:
    QByteArray m_bytes;
    char *m_data;
    qsizetype m_size = 0;
};
