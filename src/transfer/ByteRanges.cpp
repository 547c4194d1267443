#include "ByteRanges.h"

#include "HttpRequestParser.h"

namespace {

// One side of a "first-last" piece: absent (only blanks), a number, or something else.
struct Side {
    bool present = false;
    std::optional<quint64> number;
};

Side readSide(QByteArrayView text)
{
    Side side;
    side.present = !text.trimmed().isEmpty();
    if (side.present)
        side.number = HttpRequestParser::parseNumber(text);
    return side;
}

std::optional<ByteRange> parsePiece(QByteArrayView piece, quint64 fullLength)
{
    const qsizetype hyphen = piece.indexOf('-');
    if (hyphen < 0)
        return std::nullopt;  // a lone number names no range
    const Side first = readSide(piece.first(hyphen));
    const Side last = readSide(piece.sliced(hyphen + 1));
    if ((first.present && !first.number) || (last.present && !last.number))
        return std::nullopt;
    if (first.number && last.number) {
        if (*last.number < *first.number || *first.number >= fullLength)
            return std::nullopt;
        // An end beyond the body means its last byte.
        const quint64 end = std::min(*last.number, fullLength - 1);
        return ByteRange{*first.number, end - *first.number + 1};
    }
    if (first.number) {
        if (*first.number >= fullLength)
            return std::nullopt;
        return ByteRange{*first.number, fullLength - *first.number};
    }
    if (last.number) {
        if (*last.number > fullLength || *last.number == 0)
            return std::nullopt;
        return ByteRange{fullLength - *last.number, *last.number};
    }
    return std::nullopt;
}

bool overlap(const ByteRange &a, const ByteRange &b)
{
    return a.start <= b.last() && b.start <= a.last();
}

} // namespace

std::optional<QList<ByteRange>> ByteRanges::parse(QByteArrayView value, quint64 fullLength)
{
    const qsizetype equals = value.indexOf('=');
    if (equals < 0 || value.first(equals).trimmed().compare("bytes", Qt::CaseInsensitive) != 0)
        return std::nullopt;
    QList<ByteRange> ranges;
    const QByteArrayView set = value.sliced(equals + 1).trimmed();
    qsizetype start = 0;
    for (;;) {
        qsizetype comma = set.indexOf(',', start);
        const QByteArrayView piece = set.sliced(start, (comma < 0 ? set.size() : comma) - start);
        if (ranges.size() == kMaxRanges)
            return std::nullopt;
        const std::optional<ByteRange> range = parsePiece(piece, fullLength);
        if (!range)
            return std::nullopt;
        for (const ByteRange &earlier : ranges) {
            if (overlap(earlier, *range))
                return std::nullopt;
        }
        ranges.append(*range);
        if (comma < 0)
            break;
        start = comma + 1;
    }
    return ranges;
}
