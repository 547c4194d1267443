#include "BinaryPlistCheck.h"

#include "BinaryPlistReader.h"

#include <vector>

namespace {

bool isContainer(const BinaryPlistReader::Object &object)
{
    using Kind = BinaryPlistReader::Kind;
    return object.kind == Kind::Array || object.kind == Kind::Set || object.kind == Kind::Dictionary;
}

// ASCII and UTF-16 texts: libplist aborts on a NUL inside a dictionary key.
bool textHasNul(const BinaryPlistReader &reader, const BinaryPlistReader::Object &object)
{
    if (object.kind != BinaryPlistReader::Kind::Ascii && object.kind != BinaryPlistReader::Kind::Utf16)
        return false;
    const QByteArrayView bytes = reader.payload(object);
    if (object.kind == BinaryPlistReader::Kind::Ascii)
        return bytes.contains('\0');
    for (qsizetype i = 0; i + 1 < bytes.size(); i += 2) {
        if (bytes[i] == 0 && bytes[i + 1] == 0)
            return true;
    }
    return false;
}

} // namespace

Result<void> BinaryPlistCheck::check(const BinaryPlistReader &reader, int maxDepth)
{
    const quint64 count = reader.objectCount();

    // Depth-first from the top object with an explicit stack; an object met again while
    // open is a cycle; each object is expanded once, so shared objects cost nothing more.
    enum State : unsigned char { Unvisited, Open, Closed };
    std::vector<State> state(count, Unvisited);
    struct Frame {
        BinaryPlistReader::Object container;
        quint64 next;
        quint64 index;
    };
    std::vector<Frame> stack;
    auto enter = [&](quint64 index) -> Result<void> {
        if (state[index] == Open)
            return BinaryPlistReader::damaged("an object that contains itself");
        if (state[index] == Closed)
            return {};
        const Result<BinaryPlistReader::Object> object = reader.object(index);
        if (!object)
            return Error{object.error()};
        if (!isContainer(*object)) {
            if (textHasNul(reader, *object))
                return BinaryPlistReader::damaged("a text with a NUL character");
            state[index] = Closed;
            return {};
        }
        if (int(stack.size()) >= maxDepth)
            return BinaryPlistReader::damaged("containers nested too deeply");
        state[index] = Open;
        stack.push_back({*object, 0, index});
        return {};
    };
    if (Result<void> r = enter(reader.topObject()); !r)
        return r;
    while (!stack.empty()) {
        Frame &frame = stack.back();
        const quint64 references = frame.container.kind == BinaryPlistReader::Kind::Dictionary ? frame.container.count * 2
                                                                                                : frame.container.count;
        if (frame.next == references) {
            state[frame.index] = Closed;
            stack.pop_back();
            continue;
        }
        const quint64 child = reader.reference(frame.container, frame.next);
        ++frame.next;
        if (child >= count)
            return BinaryPlistReader::damaged("a reference to no object");
        if (Result<void> r = enter(child); !r)
            return r;
    }
    // Objects the walk did not reach are looked at too: other readers may parse them.
    for (quint64 index = 0; index < count; ++index) {
        if (state[index] != Unvisited)
            continue;
        const Result<BinaryPlistReader::Object> object = reader.object(index);
        if (object && textHasNul(reader, *object))
            return BinaryPlistReader::damaged("a text with a NUL character");
    }
    return {};
}

Result<void> BinaryPlistCheck::check(const QByteArray &bytes, int maxDepth)
{
    BinaryPlistReader reader;
    if (Result<void> opened = reader.open(bytes); !opened)
        return opened;
    return check(reader, maxDepth);
}
