// libFuzzer target for the reader of WebDAV multistatus answers (PROPFIND, REPORT): any bytes
// give the responses or an error, never a crash, and no entity or DTD is ever loaded.

#include "google/DavMultistatus.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    Result<QList<DavMultistatus::Response>> responses = DavMultistatus::parse(bytes);
    if (responses) {
        for (const DavMultistatus::Response &response : std::as_const(*responses)) {
            (void)response.property(DavMultistatus::kDav, "resourcetype");
            (void)response.property(DavMultistatus::kCardDav, "address-data");
        }
    }
    (void)DavMultistatus::escaped(QString::fromUtf8(bytes));
    return 0;
}
