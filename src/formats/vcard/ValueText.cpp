#include "ValueText.h"

#include "formats/common/TextConversion.h"

std::optional<QByteArray> ValueText::converted(const QString &text, int charSet)
{
    if (text.isEmpty())
        return std::nullopt;
    return TextConversion::convert(text, charSet);
}

std::optional<QByteArray> ValueText::plain(const QString &text)
{
    if (text.isEmpty())
        return std::nullopt;
    return text.toUtf8();
}

QByteArray ValueText::charsetName(int charSet)
{
    return charSet == 0 ? QByteArrayLiteral("UTF-8") : QByteArrayLiteral("ISO-8859-1");
}
