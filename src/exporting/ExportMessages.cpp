#include "ExportMessages.h"

#include "platform/Localization.h"

QString ExportMessages::resultMessage(int answer, const QString &name, const QString &extension)
{
    if (answer == 1)
        return L("KOneRecExported").arg(name, extension);
    return L("KRecordsExported").arg(QString::number(answer), name, extension);
}
