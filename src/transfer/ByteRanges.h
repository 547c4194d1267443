#pragma once

#include <QByteArrayView>
#include <QList>

#include <optional>

struct ByteRange {
    quint64 start = 0;
    quint64 length = 0;
    quint64 last() const { return start + length - 1; }
    bool operator==(const ByteRange &) const = default;
};

// The "Range" field of a request: a pure function over its value.
namespace ByteRanges {

// More pieces than this are not served as ranges (a cheap way to make a server work hard).
constexpr int kMaxRanges = 16;

// The ranges the field asks for within a body of `fullLength` bytes, in the order given, or
// none when the field is not a range request that can be answered (then the whole body is
// sent). Every range returned lies within the body and is not empty; no two overlap.
std::optional<QList<ByteRange>> parse(QByteArrayView value, quint64 fullLength);

}
