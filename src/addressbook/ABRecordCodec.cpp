#include "ABRecordCodec.h"

#include "ABMultiValue.h"

#include <QDataStream>
#include <QIODevice>
#include <QDateTime>

namespace {

constexpr quint8 kFormatVersion = 1;

enum Tag : quint8 { TagText = 1, TagInteger = 2, TagReal = 3, TagDate = 4, TagDictionary = 5, TagMulti = 0x80 };

quint8 tagOf(const QVariant &value)
{
    switch (value.metaType().id()) {
    case QMetaType::QString: return TagText;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Bool: return TagInteger;
    case QMetaType::Double:
    case QMetaType::Float: return TagReal;
    case QMetaType::QDateTime: return TagDate;
    case QMetaType::QVariantMap: return TagDictionary;
    default: return 0;
    }
}

void writeScalar(QDataStream &out, quint8 tag, const QVariant &value)
{
    switch (tag) {
    case TagText: out << value.toString(); break;
    case TagInteger: out << qint64(value.toLongLong()); break;
    case TagReal: out << value.toDouble(); break;
    case TagDate: out << qint64(value.toDateTime().toMSecsSinceEpoch()); break;
    case TagDictionary: {
        const QVariantMap map = value.toMap();
        out << quint32(map.size());
        for (auto it = map.begin(); it != map.end(); ++it)
            out << it.key() << it.value().toString();
        break;
    }
    default: break;
    }
}

bool readScalar(QDataStream &in, quint8 tag, QVariant &value)
{
    switch (tag) {
    case TagText: { QString s; in >> s; value = s; break; }
    case TagInteger: { qint64 n; in >> n; value = n; break; }
    case TagReal: { double d; in >> d; value = d; break; }
    case TagDate: { qint64 ms; in >> ms; value = QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC); break; }
    case TagDictionary: {
        quint32 n = 0;
        in >> n;
        QVariantMap map;
        for (quint32 i = 0; i < n && in.status() == QDataStream::Ok; ++i) {
            QString key, text;
            in >> key >> text;
            map.insert(key, text);
        }
        value = map;
        break;
    }
    default: return false;
    }
    return in.status() == QDataStream::Ok;
}

quint8 baseTagOfMulti(ABPropertyType type)
{
    switch (type) {
    case kABMultiDateTimePropertyType: return TagDate;
    case kABMultiDictionaryPropertyType: return TagDictionary;
    default: return TagText;
    }
}

ABPropertyType multiTypeOfTag(quint8 tag)
{
    switch (tag) {
    case TagDate: return kABMultiDateTimePropertyType;
    case TagDictionary: return kABMultiDictionaryPropertyType;
    default: return kABMultiStringPropertyType;
    }
}

} // namespace

QByteArray ABRecordCodec::encode(const QHash<ABPropertyID, QVariant> &values)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_0);
    out << kFormatVersion << quint32(values.size());
    for (auto it = values.begin(); it != values.end(); ++it) {
        out << qint32(it.key());
        if (isMultiValue(it.value())) {
            const ABMultiValue multi = it.value().value<ABMultiValue>();
            quint8 base = baseTagOfMulti(multi.propertyType());
            out << quint8(TagMulti | base) << quint32(multi.count());
            for (const ABMultiValue::Entry &entry : multi.entries()) {
                out << bool(entry.label.has_value()) << entry.label.value_or(QString());
                writeScalar(out, base, entry.value);
            }
        } else {
            quint8 tag = tagOf(it.value());
            out << tag;
            writeScalar(out, tag, it.value());
        }
    }
    return bytes;
}

bool ABRecordCodec::decode(const QByteArray &bytes, QHash<ABPropertyID, QVariant> &values)
{
    QDataStream in(bytes);
    in.setVersion(QDataStream::Qt_6_0);
    quint8 version = 0;
    quint32 count = 0;
    in >> version >> count;
    if (version != kFormatVersion)
        return false;
    for (quint32 i = 0; i < count && in.status() == QDataStream::Ok; ++i) {
        qint32 property = 0;
        quint8 tag = 0;
        in >> property >> tag;
        if (tag & TagMulti) {
            quint8 base = tag & ~TagMulti;
            ABMultiValue multi(multiTypeOfTag(base));
            quint32 n = 0;
            in >> n;
            for (quint32 j = 0; j < n && in.status() == QDataStream::Ok; ++j) {
                bool hasLabel = false;
                QString label;
                QVariant value;
                in >> hasLabel >> label;
                if (!readScalar(in, base, value))
                    return false;
                multi.addValueAndLabel(value, hasLabel ? std::optional<QString>(label) : std::nullopt);
            }
            values.insert(property, QVariant::fromValue(multi));
        } else {
            QVariant value;
            if (!readScalar(in, tag, value))
                return false;
            values.insert(property, value);
        }
    }
    return in.status() == QDataStream::Ok;
}
