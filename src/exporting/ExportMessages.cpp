#include "ExportMessages.h"

#include "platform/Localization.h"

QString ExportMessages::resultMessage(int answer, const QString &name, const QString &extension)
{
    return answer == 1 ? L("KOneRecExported").arg(name, extension) : L("KRecordsExported").arg(answer).arg(name, extension);
}
