#include "LdifText.h"

bool LdifText::needsBase64(const QByteArray &value)
{
    if (value.isEmpty())
        return false;
    const char first = value.front();
    if (first == ' ' || first == ':' || first == '<')
        return true;
    for (char c : value) {
        if (c == '\r' || c == '\n' || c == '\0')
            return true;
    }
    return false;
}

QByteArray LdifText::escapeDnValue(const QByteArray &value)
{
    QByteArray escaped;
    escaped.reserve(value.size() + 8);
    const qsizetype last = value.size() - 1;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const char c = value.at(i);
        switch (c) {
        case ',': case '+': case '"': case '\\': case '<': case '>': case ';':
            escaped.append('\\').append(c);
            break;
        case '\0':
            escaped.append("\\00");
            break;
        case '#':
            if (i == 0)
                escaped.append('\\');
            escaped.append(c);
            break;
        case ' ':
            if (i == 0 || i == last)
                escaped.append('\\');
            escaped.append(c);
            break;
        default:
            escaped.append(c);
        }
    }
    return escaped;
}
