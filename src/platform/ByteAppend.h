#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <cstring>

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
