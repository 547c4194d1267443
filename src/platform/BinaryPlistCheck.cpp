#include "BinaryPlistCheck.h"

#include <cstring>
#include <vector>

namespace {

constexpr qsizetype kHeaderSize = 8;
constexpr qsizetype kTrailerSize = 32;

Error bad(const char *why)
{
    return Error{QStringLiteral("damaged binary property list: %1").arg(QLatin1String(why))};
}

class Scanner {
public:
    explicit Scanner(const QByteArray &bytes) : m_data(reinterpret_cast<const uchar *>(bytes.constData())), m_size(quint64(bytes.size())) {}

    Result<void> run(int maxDepth);

private:
    struct Container {
        quint64 refsAt = 0; // where the references start
        quint64 count = 0;  // number of references
    };
    enum State : unsigned char { Unvisited, Open, Closed };

    quint64 readBigEndian(quint64 at, int width) const
    {
        quint64 value = 0;
        for (int i = 0; i < width; ++i)
            value = (value << 8) | m_data[at + quint64(i)];
        return value;
    }
    bool containerAt(quint64 object, Container &container, QString &error) const;
    bool textHasNul(quint64 object) const;

    const uchar *m_data;
    quint64 m_size;
    int m_offsetSize = 0;
    int m_refSize = 0;
    quint64 m_objectCount = 0;
    quint64 m_tableAt = 0;
    quint64 m_objectsEnd = 0;
};

// Reads the marker of `object`; answers true with its references when it is an array, set
// or dictionary, false otherwise (and sets `error` when the object lies outside the bytes).
bool Scanner::containerAt(quint64 object, Container &container, QString &error) const
{
    const quint64 offset = readBigEndian(m_tableAt + object * quint64(m_offsetSize), m_offsetSize);
    if (offset < quint64(kHeaderSize) || offset >= m_objectsEnd) {
        error = QStringLiteral("an object outside the data");
        return false;
    }
    const uchar marker = m_data[offset];
    const uchar kind = marker >> 4;
    if (kind != 0xA && kind != 0xC && kind != 0xD)
        return false;
    quint64 count = marker & 0x0F;
    quint64 at = offset + 1;
    if (count == 0x0F) {
        if (at >= m_objectsEnd || (m_data[at] >> 4) != 0x1 || (m_data[at] & 0x0F) > 3) {
            error = QStringLiteral("a container with an unreadable count");
            return false;
        }
        const int width = 1 << (m_data[at] & 0x0F);
        if (at + 1 + quint64(width) > m_objectsEnd) {
            error = QStringLiteral("a container count outside the data");
            return false;
        }
        count = readBigEndian(at + 1, width);
        at += 1 + quint64(width);
    }
    const quint64 references = kind == 0xD ? count * 2 : count;
    // Every reference takes m_refSize bytes, so a count larger than the space left is a lie.
    if (count > m_objectsEnd || references > (m_objectsEnd - at) / quint64(m_refSize)) {
        error = QStringLiteral("a container count larger than the data");
        return false;
    }
    container = {at, references};
    return true;
}

Result<void> Scanner::run(int maxDepth)
{
    if (m_size < quint64(kHeaderSize + kTrailerSize) || std::memcmp(m_data, "bplist0", 7) != 0)
        return bad("too short or no header");
    const quint64 trailer = m_size - quint64(kTrailerSize);
    m_offsetSize = m_data[trailer + 6];
    m_refSize = m_data[trailer + 7];
    m_objectCount = readBigEndian(trailer + 8, 8);
    const quint64 top = readBigEndian(trailer + 16, 8);
    m_tableAt = readBigEndian(trailer + 24, 8);
    if (m_offsetSize < 1 || m_offsetSize > 8 || m_refSize < 1 || m_refSize > 8)
        return bad("impossible offset or reference sizes");
    if (m_objectCount == 0 || top >= m_objectCount)
        return bad("no top object");
    if (m_tableAt < quint64(kHeaderSize) || m_tableAt > trailer
        || m_objectCount > (trailer - m_tableAt) / quint64(m_offsetSize))
        return bad("an offset table outside the data");
    m_objectsEnd = m_tableAt;

    // Depth-first from the top object with an explicit stack; an object met again while
    // open is a cycle; each object is expanded once, so shared objects cost nothing more.
    std::vector<State> state(m_objectCount, Unvisited);
    struct Frame {
        Container container;
        quint64 next;
    };
    std::vector<Frame> stack;
    std::vector<quint64> path;
    QString error;
    auto enter = [&](quint64 object) -> Result<void> {
        if (state[object] == Open)
            return bad("an object that contains itself");
        if (state[object] == Closed)
            return {};
        Container container;
        if (!containerAt(object, container, error)) {
            if (!error.isEmpty())
                return Error{QStringLiteral("damaged binary property list: %1").arg(error)};
            state[object] = Closed;
            return {};
        }
        if (int(stack.size()) >= maxDepth)
            return bad("containers nested too deeply");
        state[object] = Open;
        stack.push_back({container, 0});
        path.push_back(object);
        return {};
    };
    if (Result<void> r = enter(top); !r)
        return r;
    while (!stack.empty()) {
        Frame &frame = stack.back();
        if (frame.next == frame.container.count) {
            state[path.back()] = Closed;
            stack.pop_back();
            path.pop_back();
            continue;
        }
        const quint64 child = readBigEndian(frame.container.refsAt + frame.next * quint64(m_refSize), m_refSize);
        ++frame.next;
        if (child >= m_objectCount)
            return bad("a reference to no object");
        if (Result<void> r = enter(child); !r)
            return r;
    }
    for (quint64 object = 0; object < m_objectCount; ++object) {
        if (textHasNul(object))
            return bad("a text with a NUL character");
    }
    return {};
}

// ASCII (0x5n) and UTF-16 (0x6n) texts: libplist aborts on a NUL inside a dictionary key.
// Offsets were checked by the walk above; objects it did not reach are checked here too.
bool Scanner::textHasNul(quint64 object) const
{
    const quint64 offset = readBigEndian(m_tableAt + object * quint64(m_offsetSize), m_offsetSize);
    if (offset < quint64(kHeaderSize) || offset >= m_objectsEnd)
        return false;
    const uchar kind = m_data[offset] >> 4;
    if (kind != 0x5 && kind != 0x6)
        return false;
    quint64 count = m_data[offset] & 0x0F;
    quint64 at = offset + 1;
    if (count == 0x0F) {
        if (at >= m_objectsEnd || (m_data[at] >> 4) != 0x1 || (m_data[at] & 0x0F) > 3)
            return false; // libplist refuses such a length itself
        const int width = 1 << (m_data[at] & 0x0F);
        if (at + 1 + quint64(width) > m_objectsEnd)
            return false;
        count = readBigEndian(at + 1, width);
        at += 1 + quint64(width);
    }
    const quint64 unit = kind == 0x6 ? 2 : 1;
    if (count > (m_objectsEnd - at) / unit)
        return false;
    for (quint64 i = 0; i < count; ++i) {
        if (unit == 1 ? m_data[at + i] == 0 : (m_data[at + 2 * i] == 0 && m_data[at + 2 * i + 1] == 0))
            return true;
    }
    return false;
}

} // namespace

Result<void> BinaryPlistCheck::check(const QByteArray &bytes, int maxDepth)
{
    return Scanner(bytes).run(maxDepth);
}
