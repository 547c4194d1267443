#include "QRCodeImage.h"

#include "platform/AsciiText.h"

#include <QBuffer>

#include <qrencode.h>

#include <cerrno>
#include <cstring>
#include <memory>

namespace {
constexpr int kQuietModules = 4;
constexpr int kSizes[] = {120, 230, 320};

constexpr unsigned kUtf8Eci = 26;

struct QRcodeFree {
    void operator()(QRcode *code) const { QRcode_free(code); }
};
struct QRinputFree {
    void operator()(QRinput *input) const { QRinput_free(input); }
};
}

int QRCodeImage::pixelsForSize(int sizeIndex)
{
    return kSizes[qBound(0, sizeIndex, 2)];
}

Result<QImage> QRCodeImage::render(const QString &text, int pixels)
{
    const QByteArray data = text.toUtf8();
    errno = 0;
    std::unique_ptr<QRinput, QRinputFree> input(QRinput_new2(0, QR_ECLEVEL_L));
    if (!input)
        return Error{QStringLiteral("the QR code could not be made (error %1)").arg(errno)};
    // Without an ECI designator readers guess the character set of 8-bit data (often as
    // Shift JIS); text beyond ASCII says that it is UTF-8.
    if (!AsciiText::isAscii(data) && QRinput_appendECIheader(input.get(), kUtf8Eci) != 0)
        return Error{QStringLiteral("the QR code could not be made (error %1)").arg(errno)};
    if (QRinput_append(input.get(), QR_MODE_8, int(data.size()), reinterpret_cast<const unsigned char *>(data.constData())) != 0)
        return Error{QStringLiteral("%1 bytes are too many for one QR code").arg(data.size())};
    std::unique_ptr<QRcode, QRcodeFree> code(QRcode_encodeInput(input.get()));
    if (!code) {
        if (errno == ERANGE)
            return Error{QStringLiteral("%1 bytes are too many for one QR code").arg(data.size())};
        return Error{QStringLiteral("the QR code could not be made (error %1)").arg(errno)};
    }
    const int modules = code->width;
    const int scale = pixels / (modules + 2 * kQuietModules);
    if (scale < 1)
        return Error{QStringLiteral("a QR code of %1 modules does not fit in %2 pixels").arg(modules).arg(pixels)};

    QImage image(pixels, pixels, QImage::Format_Grayscale8);
    image.fill(255);
    const int offset = (pixels - modules * scale) / 2;
    for (int row = 0; row < modules; ++row) {
        const unsigned char *cells = code->data + row * modules;
        for (int y = offset + row * scale; y < offset + (row + 1) * scale; ++y) {
            uchar *line = image.scanLine(y);
            for (int column = 0; column < modules; ++column) {
                if (cells[column] & 1)
                    memset(line + offset + column * scale, 0, size_t(scale));
            }
        }
    }
    return image;
}

QByteArray QRCodeImage::toPng(const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}
