#include "TextConversion.h"

#include "platform/DevLog.h"

#include <QBuffer>
#include <QImage>
#include <QStringEncoder>

namespace {
const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
}

std::optional<QByteArray> TextConversion::toUTF8andRelease(const QString &text)
{
    if (text.isEmpty()) {
        DevLog::log(QStringLiteral("toUTF8andRelease 0 lenght string"));
        return std::nullopt;
    }
    return text.toUtf8();
}

std::optional<QByteArray> TextConversion::toISOLatin1andRelease(const QString &text)
{
    if (text.isEmpty()) {
        DevLog::log(QStringLiteral("toISOLatin1andRelease 0 lenght string"));
        return std::nullopt;
    }
    for (QChar c : text) {
        if (c.unicode() > 0xff) {
            DevLog::log(QStringLiteral("toISOLatin1andRelease CFStringGetCString ERROR"));
            return std::nullopt;
        }
    }
    return text.toLatin1();
}

std::optional<QByteArray> TextConversion::convert(const QString &text, int charSet)
{
    return charSet == 0 ? toUTF8andRelease(text) : toISOLatin1andRelease(text);
}

int TextConversion::base64encode(const unsigned char *input, size_t length, char *output, size_t outputSize,
                                 size_t lineLength)
{
    size_t groups = (length + 2) / 3;
    size_t characters = groups * 4;
    size_t breaks = lineLength ? (characters - (characters % lineLength == 0 && characters ? 1 : 0)) / lineLength : 0;
    if (characters == 0)
        breaks = 0;
    size_t needed = characters + 2 * breaks + 1;
    if (!output || outputSize < needed)
        return -1;
    size_t out = 0;
    size_t column = 0;
    auto put = [&](char c) {
        if (lineLength && column == lineLength) {
            output[out++] = '\r';
            output[out++] = '\n';
            column = 0;
        }
        output[out++] = c;
        ++column;
    };
    for (size_t i = 0; i < length; i += 3) {
        unsigned value = unsigned(input[i]) << 16;
        if (i + 1 < length)
            value |= unsigned(input[i + 1]) << 8;
        if (i + 2 < length)
            value |= unsigned(input[i + 2]);
        put(kAlphabet[(value >> 18) & 63]);
        put(kAlphabet[(value >> 12) & 63]);
        put(i + 1 < length ? kAlphabet[(value >> 6) & 63] : '=');
        put(i + 2 < length ? kAlphabet[value & 63] : '=');
    }
    output[out] = '\0';
    return 0;
}

QByteArray TextConversion::base64(const QByteArray &input, size_t lineLength)
{
    size_t characters = (size_t(input.size()) + 2) / 3 * 4;
    QByteArray output(qsizetype(characters + (lineLength ? 2 * (characters / lineLength + 1) : 0) + 1), '\0');
    base64encode(reinterpret_cast<const unsigned char *>(input.constData()), size_t(input.size()), output.data(),
                 size_t(output.size()), lineLength);
    output.truncate(qsizetype(qstrlen(output.constData())));
    return output;
}

QByteArray TextConversion::jpegFromImageData(const QByteArray &imageData)
{
    QImage image = QImage::fromData(imageData);
    if (image.isNull())
        return QByteArray();
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "JPEG", 100))
        return QByteArray();
    return jpeg;
}
