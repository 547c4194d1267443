// libFuzzer target: the LDIF line parser and its base64 decoder over any bytes.

#include "formats/ldif/LdifLineParser.h"
#include "platform/DevLog.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    DevLog::setConsoleEnabled(false);
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    if (std::optional<LdifLine> line = ldif_parse_line(bytes)) {
        // The name never keeps the blanks around it, and a decoded value is never longer than its text.
        if (line->name.startsWith(' ') || line->name.endsWith(' ') || line->value().size() > bytes.size())
            __builtin_trap();
    }
    (void)ldifDecodeBase64(bytes);
    return 0;
}
