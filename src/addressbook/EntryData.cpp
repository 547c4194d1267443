#include "EntryData.h"

#include "platform/DevLog.h"

void EntryData::appendRow(QList<std::shared_ptr<EntryData>> &rows, const ABRecord &person, int32_t recID, bool selected)
{
    appendRow(rows, person, person.copyNames(), recID, selected);
}

bool EntryData::appendRow(QList<std::shared_ptr<EntryData>> &rows, const ABRecord &person, const ABRecord::Names &names,
                          int32_t recID, bool selected)
{
    QString name;
    QString lastname;
    const QString composite = person.compositeName(names);
    const QString &last = names.last;
    if (!composite.isNull()) {
        name = composite;
        lastname = last.isNull() ? composite : last;
    } else {
        const QString &first = names.first;
        const QString &organization = names.organization;
        if (!first.isNull() && !last.isNull())
            name = QStringLiteral("%1 %2").arg(first, last);
        else
            name = !first.isNull() ? first : !last.isNull() ? last : organization;
        lastname = !last.isNull() ? last : name;
    }
    if (name.isEmpty() || lastname.isEmpty()) {
        DevLog::log(QStringLiteral("EMPTY"));
        return false;
    }
    auto row = std::make_shared<EntryData>();
    row->name = name;
    row->lastname = lastname;
    row->recID = recID;
    row->selected = selected;
    rows.append(row);
    return true;
}
