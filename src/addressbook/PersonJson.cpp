#include "PersonJson.h"

#include <QJsonArray>
#include <QTimeZone>

namespace {

struct Field {
    const char *key;
    ABPropertyID property;
};

const Field kTextFields[] = {
    {"firstName", kABPersonFirstNameProperty},
    {"lastName", kABPersonLastNameProperty},
    {"middleName", kABPersonMiddleNameProperty},
    {"prefix", kABPersonPrefixProperty},
    {"suffix", kABPersonSuffixProperty},
    {"nickname", kABPersonNicknameProperty},
    {"firstNamePhonetic", kABPersonFirstNamePhoneticProperty},
    {"middleNamePhonetic", kABPersonMiddleNamePhoneticProperty},
    {"lastNamePhonetic", kABPersonLastNamePhoneticProperty},
    {"organization", kABPersonOrganizationProperty},
    {"jobTitle", kABPersonJobTitleProperty},
    {"department", kABPersonDepartmentProperty},
    {"note", kABPersonNoteProperty},
};

const Field kMultiFields[] = {
    {"phones", kABPersonPhoneProperty},
    {"emails", kABPersonEmailProperty},
    {"urls", kABPersonURLProperty},
    {"relatedNames", kABPersonRelatedNamesProperty},
    {"dates", kABPersonDateProperty},
    {"addresses", kABPersonAddressProperty},
    {"instantMessages", kABPersonInstantMessageProperty},
    {"socialProfiles", kABPersonSocialProfileProperty},
};

QString key(const char *name)
{
    return QString::fromLatin1(name);
}

Result<QVariant> entryValue(ABPropertyType type, const QJsonValue &value, const QString &where)
{
    switch (type) {
    case kABMultiDateTimePropertyType: {
        QDateTime date = PersonJson::dateFromText(value.toString());
        if (!date.isValid())
            return Error{QStringLiteral("%1: \"%2\" is not a date (yyyy-MM-dd)").arg(where, value.toString())};
        return QVariant(date);
    }
    case kABMultiDictionaryPropertyType: {
        if (!value.isObject())
            return Error{QStringLiteral("%1: the value must be an object").arg(where)};
        QVariantMap map;
        const QJsonObject object = value.toObject();
        for (auto it = object.begin(); it != object.end(); ++it)
            map.insert(it.key(), it.value().toString());
        return QVariant(map);
    }
    default:
        if (!value.isString())
            return Error{QStringLiteral("%1: the value must be a text").arg(where)};
        return QVariant(value.toString());
    }
}

} // namespace

QDateTime PersonJson::dateFromText(const QString &text)
{
    QDate date = QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
    return date.isValid() ? QDateTime(date, QTime(12, 0), QTimeZone::utc()) : QDateTime();
}

QString PersonJson::textFromDate(const QDateTime &date)
{
    return date.toUTC().date().toString(QStringLiteral("yyyy-MM-dd"));
}

Result<PersonJson::Person> PersonJson::fromJson(const QJsonObject &json, const ABRecordRef &newPerson)
{
    static const QSet<QString> known = [] {
        QSet<QString> keys{QStringLiteral("kind"), QStringLiteral("birthday"), QStringLiteral("image"),
                           QStringLiteral("groups"), QStringLiteral("source")};
        for (const Field &field : kTextFields)
            keys.insert(key(field.key));
        for (const Field &field : kMultiFields)
            keys.insert(key(field.key));
        return keys;
    }();
    for (auto it = json.begin(); it != json.end(); ++it) {
        if (!known.contains(it.key()))
            return Error{QStringLiteral("unknown key \"%1\"").arg(it.key())};
    }

    Person person{newPerson, {}, -1};
    ABRecord &record = *person.record;
    for (const Field &field : kTextFields) {
        QJsonValue value = json.value(key(field.key));
        if (value.isUndefined() || value.isNull())
            continue;
        if (!value.isString())
            return Error{QStringLiteral("\"%1\" must be a text").arg(key(field.key))};
        record.setValue(field.property, value.toString());
    }
    if (json.contains(QStringLiteral("kind")))
        record.setValue(kABPersonKindProperty, qint64(json.value(QStringLiteral("kind")).toInteger()));
    if (json.contains(QStringLiteral("birthday"))) {
        QDateTime birthday = dateFromText(json.value(QStringLiteral("birthday")).toString());
        if (!birthday.isValid())
            return Error{QStringLiteral("\"birthday\" must be a date (yyyy-MM-dd)")};
        record.setValue(kABPersonBirthdayProperty, birthday);
    }
    for (const Field &field : kMultiFields) {
        QJsonValue list = json.value(key(field.key));
        if (list.isUndefined() || list.isNull())
            continue;
        if (!list.isArray())
            return Error{QStringLiteral("\"%1\" must be a list").arg(key(field.key))};
        ABPropertyType type = ABRecord::typeOfProperty(field.property);
        ABMultiValue multi(type);
        const QJsonArray entries = list.toArray();
        for (qsizetype i = 0; i < entries.size(); ++i) {
            const QJsonObject entry = entries[i].toObject();
            QString where = QStringLiteral("\"%1\" entry %2").arg(key(field.key)).arg(i + 1);
            Result<QVariant> value = entryValue(type, entry.value(QStringLiteral("value")), where);
            if (!value)
                return Error{value.error()};
            QJsonValue label = entry.value(QStringLiteral("label"));
            multi.addValueAndLabel(*value, label.isString() ? std::optional<QString>(label.toString()) : std::nullopt);
        }
        record.setValue(field.property, QVariant::fromValue(multi));
    }
    if (json.contains(QStringLiteral("image"))) {
        QByteArray::FromBase64Result image = QByteArray::fromBase64Encoding(
            json.value(QStringLiteral("image")).toString().toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
        if (!image || image.decoded.isEmpty())
            return Error{QStringLiteral("\"image\" must be Base64 image bytes")};
        record.setImageData(image.decoded);
    }
    for (const QJsonValue &group : json.value(QStringLiteral("groups")).toArray())
        person.groups.append(group.toString());
    if (json.contains(QStringLiteral("source")))
        person.sourceIndex = json.value(QStringLiteral("source")).toInt(-1);
    return person;
}

QJsonObject PersonJson::toJson(const ABRecordRef &person, const QStringList &groups)
{
    QJsonObject json;
    for (const Field &field : kTextFields) {
        QString text = person->copyText(field.property);
        if (!text.isNull())
            json.insert(key(field.key), text);
    }
    QVariant kind = person->copyValue(kABPersonKindProperty);
    if (kind.isValid())
        json.insert(QStringLiteral("kind"), kind.toLongLong());
    QVariant birthday = person->copyValue(kABPersonBirthdayProperty);
    if (birthday.isValid())
        json.insert(QStringLiteral("birthday"), textFromDate(birthday.toDateTime()));
    for (const Field &field : kMultiFields) {
        const ABMultiValue multi = person->copyMultiValue(field.property);
        if (multi.isEmpty())
            continue;
        QJsonArray entries;
        for (const ABMultiValue::Entry &entry : multi.entries()) {
            QJsonObject object;
            if (entry.label)
                object.insert(QStringLiteral("label"), *entry.label);
            if (entry.value.metaType().id() == QMetaType::QDateTime)
                object.insert(QStringLiteral("value"), textFromDate(entry.value.toDateTime()));
            else if (entry.value.metaType().id() == QMetaType::QVariantMap)
                object.insert(QStringLiteral("value"), QJsonObject::fromVariantMap(entry.value.toMap()));
            else
                object.insert(QStringLiteral("value"), entry.value.toString());
            entries.append(object);
        }
        json.insert(key(field.key), entries);
    }
    if (person->hasImageData())
        json.insert(QStringLiteral("image"), QString::fromLatin1(person->copyImageData().toBase64()));
    if (!groups.isEmpty())
        json.insert(QStringLiteral("groups"), QJsonArray::fromStringList(groups));
    return json;
}
