// libFuzzer target for the request head parser and what the connection reads from a head:
// any bytes end in one of the outcomes, never a crash, and a complete head never claims more
// bytes than it was given.

#include "transfer/HttpRequestParser.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const HttpRequestParser::Parsed parsed = HttpRequestParser::parse(bytes);
    if (parsed.outcome == HttpRequestParser::Outcome::Complete) {
        if (parsed.consumed <= 0 || parsed.consumed > bytes.size())
            std::abort();
        quint64 length = 0;
        (void)HttpRequestParser::contentLength(parsed.head, &length);
        (void)parsed.head.uri();
    }
    (void)HttpRequestParser::parseNumber(bytes);
    return 0;
}
