#include "PersonText.h"

#include "ABConstants.h"
#include "PersonJson.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

QStringList PersonText::groupNames(ABAddressBook &book, const ABRecordRef &person)
{
    QStringList names;
    for (const ABRecordRef &group : book.copyArrayOfAllGroups()) {
        for (const ABRecordRef &member : group->copyArrayOfAllMembers()) {
            if (member == person) {
                names.append(group->copyText(kABGroupNameProperty));
                break;
            }
        }
    }
    return names;
}

QString PersonText::readable(ABAddressBook &book, const ABRecordRef &person)
{
    QString out;
    const QJsonObject json = PersonJson::toJson(person, groupNames(book, person));
    out += person->copyCompositeName() + QLatin1Char('\n');
    const QString indent = QStringLiteral("\n    ");
    for (auto it = json.begin(); it != json.end(); ++it) {
        if (it.value().isArray()) {
            for (const QJsonValue &entry : it.value().toArray()) {
                const QJsonObject object = entry.toObject();
                QString label = object.contains(QStringLiteral("label"))
                                    ? ABAddressBook::copyLocalizedLabel(object.value(QStringLiteral("label")).toString())
                                    : QString();
                QJsonValue value = object.isEmpty() ? entry : object.value(QStringLiteral("value"));
                QString text = value.isObject() ? QString::fromUtf8(QJsonDocument(value.toObject()).toJson(QJsonDocument::Compact))
                                                : value.toString();
                out += QStringLiteral("  ") + it.key() + (label.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(label))
                       + QStringLiteral(": ") + text.replace(QLatin1Char('\n'), indent) + QLatin1Char('\n');
            }
        } else if (it.key() == QLatin1String("image")) {
            out += QStringLiteral("  image: %1 bytes\n").arg(person->copyImageData().size());
        } else {
            QString text = it.value().isDouble() ? QString::number(it.value().toInteger()) : it.value().toString();
            out += QStringLiteral("  ") + it.key() + QStringLiteral(": ") + text.replace(QLatin1Char('\n'), indent) + QLatin1Char('\n');
        }
    }
    return out;
}
