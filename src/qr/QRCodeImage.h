#pragma once

#include "platform/Result.h"

#include <QByteArray>
#include <QImage>
#include <QString>

// QR images made on this machine, so that a contact leaves it only when the user sends the
// file on.
namespace QRCodeImage {

// The three sizes of the QR screen, in pixels (Small, Medium, Large).
int pixelsForSize(int sizeIndex);

// `text` as UTF-8 in one QR symbol with error correction level L, drawn black on white in a
// square of exactly `pixels` pixels: whole pixels per module, centred, with a quiet zone of
// at least four modules. An Error when the text does not fit in a QR symbol, or its modules
// do not fit in `pixels` at one pixel each.
Result<QImage> render(const QString &text, int pixels);

// The image as PNG bytes.
QByteArray toPng(const QImage &image);

}
