#include "ContactCard.h"

QString ContactCard::displayName() const
{
    if (!fullName.trimmed().isEmpty())
        return fullName.trimmed();
    QStringList parts;
    for (const QString &part : {givenName, additionalName, familyName}) {
        if (!part.isEmpty())
            parts.append(part);
    }
    return parts.join(QLatin1Char(' '));
}
