// libFuzzer target for the multipart body parser: the body is fed whole and in pieces whose
// sizes the first byte picks; both runs must hand over the same file bytes and end alike.

#include "transfer/MultipartParser.h"

#include <cstdlib>

namespace {
class CollectingSink : public MultipartParser::Sink {
public:
    QByteArray seen;
    void field(const QString &name, const QByteArray &value) override { seen += name.toUtf8() + '=' + value + '\n'; }
    bool fileBegins(const QString &name, const QString &fileName) override
    {
        seen += name.toUtf8() + ':' + fileName.toUtf8() + '\n';
        return true;
    }
    void fileData(QByteArrayView bytes) override { seen += bytes; }
    void fileEnds() override { seen += "<end>\n"; }
};
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const qsizetype piece = 1 + data[0] % 64;
    const QByteArrayView body(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    MultipartParser whole;
    CollectingSink wholeSink;
    whole.feed(body, wholeSink);
    MultipartParser pieces;
    CollectingSink piecesSink;
    for (qsizetype at = 0; at < body.size(); at += piece)
        pieces.feed(body.sliced(at, std::min(piece, body.size() - at)), piecesSink);
    if (whole.state() != pieces.state())
        std::abort();
    if (whole.state() == MultipartParser::State::Complete && wholeSink.seen != piecesSink.seen)
        std::abort();
    return 0;
}
