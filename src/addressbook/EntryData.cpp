#include "EntryData.h"

#include "platform/DevLog.h"

void EntryData::appendRow(QList<std::shared_ptr<EntryData>> &rows, const ABRecordRef &person, int32_t recID, bool selected)
{
    QString name;
    QString lastname;
    const QString composite = person->copyCompositeName();
    const QString last = person->copyText(kABPersonLastNameProperty);
    if (!composite.isNull()) {
        name = composite;
        lastname = last.isNull() ? composite : last;
    } else {
        const QString first = person->copyText(kABPersonFirstNameProperty);
        const QString organization = person->copyText(kABPersonOrganizationProperty);
        if (!first.isNull() && !last.isNull())
            name = QStringLiteral("%1 %2").arg(first, last);
        else
            name = !first.isNull() ? first : !last.isNull() ? last : organization;
        lastname = !last.isNull() ? last : name;
    }
    if (name.isEmpty() || lastname.isEmpty()) {
        DevLog::log(QStringLiteral("EMPTY"));
        return;
    }
    auto row = std::make_shared<EntryData>();
    row->name = name;
    row->lastname = lastname;
    row->recID = recID;
    row->selected = selected;
    rows.append(row);
}
