#include "WorkingNumber.h"

QByteArray WorkingNumber::from(const QByteArray &text)
{
    QByteArray working;
    working.reserve(text.size());
    for (char c : text) {
        if (isKept(c))
            working.append(c);
    }
    return working;
}
