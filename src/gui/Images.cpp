#include "Images.h"

#include <QHash>

QIcon Images::named(const QString &name)
{
    static QHash<QString, QIcon> cache;
    auto it = cache.find(name);
    if (it != cache.end())
        return *it;
    QString base = name;
    if (base.endsWith(QLatin1String(".png")))
        base.chop(4);
    QIcon icon(QStringLiteral(":/images/") + base + QStringLiteral(".svg"));
    cache.insert(name, icon);
    return icon;
}
