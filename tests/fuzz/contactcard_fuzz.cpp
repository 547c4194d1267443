// libFuzzer target for the reader of cards as contacts servers send them: any bytes give a
// card or an error, never a crash.

#include "google/ContactCardReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    Result<ContactCard> card = ContactCardReader::read(bytes);
    if (card)
        (void)card->displayName();
    return 0;
}
