#include "EntryData.h"

#include "platform/DevLog.h"

void EntryData::appendRow(QList<std::shared_ptr<EntryData>> &rows, const ABRecord &person, int32_t recID, bool selected)
{
    if (std::optional<Listed> listed = listedNames(person, person.copyNames()))
        rows.append(makeRow(std::move(*listed), recID, selected));
}

std::optional<EntryData::Listed> EntryData::listedNames(const ABRecord &person, const ABRecord::Names &names)
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
        return std::nullopt;
    }
    return Listed{std::move(name), std::move(lastname)};
}

std::shared_ptr<EntryData> EntryData::makeRow(Listed listed, int32_t recID, bool selected)
{
    auto row = std::make_shared<EntryData>();
    row->name = std::move(listed.name);
    row->lastname = std::move(listed.lastname);
    row->recID = recID;
    row->selected = selected;
    return row;
}
