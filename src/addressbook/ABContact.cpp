#include "ABContact.h"

#include "ABAddressBook.h"
#include "platform/DevLog.h"
#include "platform/DeviceFacts.h"

#include <QBuffer>

namespace {
// Social profiles exist from system version 5 on.
bool familyAvailable(ABPropertyID property)
{
    return property != kABPersonSocialProfileProperty || DeviceFacts::systemVersionAtLeast(QStringLiteral("5"));
}
}

ABContactRef ABContact::contactWithRecord(const ABRecordRef &record)
{
    return record ? ABContactRef(new ABContact(record)) : nullptr;
}

ABContactRef ABContact::contactWithRecordID(ABRecordID recordID)
{
    ABAddressBookRef book = ABAddressBook::create();
    if (!book) {
        DevLog::log(QStringLiteral("+[ABContact contactWithRecordID:] ABCreate error"));
        return nullptr;
    }
    // The record keeps what it needs of the handle for later reads.
    return contactWithRecord(book->personWithRecordID(recordID));
}

ABContactRef ABContact::contact()
{
    return ABContactRef(new ABContact(ABRecord::createPerson()));
}

bool ABContact::store(ABPropertyID property, const QVariant &value)
{
    QString error;
    if (!m_record->setValue(property, value, &error)) {
        DevLog::log(QStringLiteral("Error: %1").arg(error));
        return false;
    }
    return true;
}

QList<QVariant> ABContact::arrayForProperty(ABPropertyID property) const
{
    if (!familyAvailable(property))
        return {};
    return m_record->copyMultiValue(property).copyArrayOfAllValues();
}

QStringList ABContact::labelsForProperty(ABPropertyID property) const
{
    QStringList labels;
    if (!familyAvailable(property))
        return labels;
    const ABMultiValue multi = m_record->copyMultiValue(property);
    for (int i = 0; i < multi.count(); ++i) {
        std::optional<QString> label = multi.copyLabelAtIndex(i);
        if (!label) {
            DevLog::log(QStringLiteral("No label for propID: %1").arg(property));
            labels.append(QStringLiteral(""));
        } else {
            labels.append(*label);
        }
    }
    return labels;
}

QList<QVariantMap> ABContact::dictionariesForProperty(ABPropertyID property) const
{
    QList<QVariantMap> dictionaries;
    const QList<QVariant> values = arrayForProperty(property);
    const QStringList labels = labelsForProperty(property);
    for (qsizetype i = 0; i < qMin(values.size(), labels.size()); ++i)
        dictionaries.append(QVariantMap{{QStringLiteral("value"), values[i]}, {QStringLiteral("label"), labels[i]}});
    return dictionaries;
}

bool ABContact::setDictionariesForProperty(ABPropertyID property, const QList<QVariantMap> &dictionaries)
{
    if (!familyAvailable(property))
        return false;
    ABMultiValue multi(ABRecord::typeOfProperty(property));
    for (const QVariantMap &entry : dictionaries) {
        auto label = entry.find(QStringLiteral("label"));
        multi.addValueAndLabel(entry.value(QStringLiteral("value")),
                               label != entry.end() ? std::optional<QString>(label->toString()) : std::nullopt);
    }
    return store(property, QVariant::fromValue(multi));
}

QImage ABContact::image() const
{
    if (!m_record->hasImageData())
        return QImage();
    return QImage::fromData(m_record->copyImageData());
}

bool ABContact::setImage(const QImage &image)
{
    QString error;
    bool ok;
    if (image.isNull()) {
        ok = !m_record->hasImageData() || m_record->removeImageData(&error);
    } else {
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        ok = image.save(&buffer, "PNG") && m_record->setImageData(png, &error);
    }
    if (!ok)
        DevLog::log(QStringLiteral("Error: %1").arg(error));
    return ok;
}
