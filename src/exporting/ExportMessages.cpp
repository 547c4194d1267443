#include "ExportMessages.h"

#include "platform/Localization.h"

namespace {
// Fills the "%d" and then each "%@" of a text in turn.
QString fill(QString text, int number, const QStringList &objects)
{
    qsizetype at = text.indexOf(QLatin1String("%d"));
    if (at >= 0)
        text.replace(at, 2, QString::number(number));
    at = 0;
    for (const QString &object : objects) {
        at = text.indexOf(QLatin1String("%@"), at);
        if (at < 0)
            break;
        text.replace(at, 2, object);
        at += object.size();
    }
    return text;
}
}

QString ExportMessages::resultMessage(int answer, const QString &name, const QString &extension)
{
    return fill(L(answer == 1 ? "KOneRecExported" : "KRecordsExported"), answer, {name, extension});
}
