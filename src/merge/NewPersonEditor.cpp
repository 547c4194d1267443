#include "NewPersonEditor.h"

#include "addressbook/ABSources.h"
#include "platform/DevLog.h"
#include "platform/Localization.h"

#include <QTimeZone>

namespace {

const QStringList &standardLabels()
{
    static const QStringList labels{kABHomeLabel, kABWorkLabel, kABOtherLabel, kABPersonPhoneMobileLabel,
                                    kABPersonPhoneMainLabel, kABPersonPhoneHomeFAXLabel, kABPersonPhoneWorkFAXLabel,
                                    kABPersonPhonePagerLabel, kABPersonHomePageLabel, kABPersonAnniversaryLabel};
    return labels;
}

// The stored label for what the user typed: a standard label by its text, else the text.
QString storedLabel(const QString &text)
{
    for (const QString &label : standardLabels()) {
        if (ABAddressBook::copyLocalizedLabel(label) == text)
            return label;
    }
    return text;
}

bool isDictionaryFamily(int property)
{
    return ABRecord::typeOfProperty(property) == kABMultiDictionaryPropertyType;
}

QString dateText(const QVariant &value)
{
    const QDateTime date = value.toDateTime();
    return date.isValid() ? date.toLocalTime().date().toString(Qt::ISODate) : QString();
}

// Dates the user types are kept at noon UTC, so every time zone shows the same day.
QDateTime storedDate(const QDate &date)
{
    return QDateTime(date, QTime(12, 0), QTimeZone::utc());
}

} // namespace

NewPersonEditor::NewPersonEditor(ABContactRef person, QObject *parent) : QObject(parent), m_person(std::move(person)) {}

QString NewPersonEditor::title() const
{
    const QString name = m_person->record()->copyCompositeName();
    return name.isEmpty() ? L("KNewContact") : name;
}

QList<int> NewPersonEditor::textProperties()
{
    return {kABPersonPrefixProperty,          kABPersonFirstNameProperty,         kABPersonMiddleNameProperty,
            kABPersonLastNameProperty,        kABPersonSuffixProperty,            kABPersonNicknameProperty,
            kABPersonFirstNamePhoneticProperty, kABPersonMiddleNamePhoneticProperty, kABPersonLastNamePhoneticProperty,
            kABPersonOrganizationProperty,    kABPersonJobTitleProperty,          kABPersonDepartmentProperty,
            kABPersonNoteProperty};
}

QList<int> NewPersonEditor::multiValueProperties()
{
    return {kABPersonPhoneProperty, kABPersonEmailProperty, kABPersonURLProperty, kABPersonAddressProperty,
            kABPersonDateProperty, kABPersonRelatedNamesProperty, kABPersonInstantMessageProperty,
            kABPersonSocialProfileProperty};
}

QString NewPersonEditor::fieldName(int property)
{
    switch (property) {
    case kABPersonFirstNameProperty: return L("KMfirstname");
    case kABPersonMiddleNameProperty: return L("KMmiddlename");
    case kABPersonLastNameProperty: return L("KMlastname");
    case kABPersonNicknameProperty: return L("KMnickname");
    case kABPersonOrganizationProperty: return L("KMorganization");
    case kABPersonJobTitleProperty: return L("KMjobtitle");
    case kABPersonDepartmentProperty: return L("KMdepartment");
    case kABPersonNoteProperty: return L("KMnote");
    case kABPersonBirthdayProperty: return L("KMbirthday");
    case kABPersonFirstNamePhoneticProperty: return L("KMfirstnamephonetic");
    case kABPersonMiddleNamePhoneticProperty: return L("KMmiddlenamephonetic");
    case kABPersonLastNamePhoneticProperty: return L("KMlastnamephonetic");
    case kABPersonPrefixProperty: return L("KMprefix");
    case kABPersonSuffixProperty: return L("KMsuffix");
    case kABPersonPhoneProperty: return L("KMphones");
    case kABPersonEmailProperty: return L("KMemail");
    case kABPersonURLProperty: return L("KMurls");
    case kABPersonDateProperty: return L("KMdates");
    case kABPersonRelatedNamesProperty: return L("KMrelated");
    case kABPersonAddressProperty: return L("KMaddresses");
    case kABPersonInstantMessageProperty: return L("KMim");
    case kABPersonSocialProfileProperty: return L("KMprofiles");
    default: return L("KMphoto").trimmed();
    }
}

QStringList NewPersonEditor::fieldKeys(int property)
{
    switch (property) {
    case kABPersonAddressProperty:
        return {kABPersonAddressStreetKey, kABPersonAddressCityKey, kABPersonAddressStateKey, kABPersonAddressZIPKey,
                kABPersonAddressCountryKey, kABPersonAddressCountryCodeKey};
    case kABPersonInstantMessageProperty:
        return {kABPersonInstantMessageServiceKey, kABPersonInstantMessageUsernameKey};
    case kABPersonSocialProfileProperty:
        return {kABPersonSocialProfileServiceKey, kABPersonSocialProfileUsernameKey, kABPersonSocialProfileURLKey};
    default:
        return {QStringLiteral("value")};
    }
}

QString NewPersonEditor::text(int property) const
{
    return m_person->record()->copyText(property);
}

bool NewPersonEditor::setText(int property, const QString &text)
{
    if (text == this->text(property))
        return true;
    return m_person->record()->setValue(property, text.isEmpty() ? QVariant() : QVariant(text));
}

QDate NewPersonEditor::birthday() const
{
    const QDateTime date = m_person->birthday();
    return date.isValid() ? date.toLocalTime().date() : QDate();
}

bool NewPersonEditor::setBirthday(const QDate &date)
{
    if (date == birthday())
        return true;
    return m_person->setBirthday(date.isValid() ? storedDate(date) : QDateTime());
}

QByteArray NewPersonEditor::photo() const
{
    return m_person->record()->copyImageData();
}

bool NewPersonEditor::setPhoto(const QByteArray &imageData)
{
    if (imageData.isEmpty())
        return m_person->record()->removeImageData();
    return m_person->record()->setImageData(imageData);
}

QList<NewPersonEditor::Entry> NewPersonEditor::entries(int property) const
{
    QList<Entry> list;
    const QStringList keys = fieldKeys(property);
    for (const QVariantMap &dictionary : m_person->dictionariesForProperty(property)) {
        Entry entry;
        entry.label = ABAddressBook::copyLocalizedLabel(dictionary.value(QStringLiteral("label")).toString());
        const QVariant value = dictionary.value(QStringLiteral("value"));
        if (isDictionaryFamily(property)) {
            const QVariantMap parts = value.toMap();
            for (const QString &key : keys)
                entry.parts.append(parts.value(key).toString());
        } else if (property == kABPersonDateProperty) {
            entry.parts.append(dateText(value));
        } else {
            entry.parts.append(value.toString());
        }
        list.append(entry);
    }
    return list;
}

bool NewPersonEditor::setEntries(int property, const QList<Entry> &entries, QString *error)
{
    const QList<Entry> before = this->entries(property);
    if (entries == before)
        return true;
    const QList<QVariantMap> stored = m_person->dictionariesForProperty(property);
    const QStringList keys = fieldKeys(property);
    QList<QVariantMap> dictionaries;
    for (qsizetype index = 0; index < entries.size(); ++index) {
        const Entry &entry = entries.at(index);
        // An entry left as it was keeps its stored value (a date keeps its time of day).
        if (index < before.size() && entry == before.at(index)) {
            dictionaries.append(stored.at(index));
            continue;
        }
        bool empty = true;
        for (const QString &part : entry.parts)
            empty = empty && part.trimmed().isEmpty();
        if (empty)
            continue;
        QVariantMap dictionary;
        if (!entry.label.isEmpty())
            dictionary.insert(QStringLiteral("label"), storedLabel(entry.label));
        if (isDictionaryFamily(property)) {
            QVariantMap parts;
            for (qsizetype key = 0; key < keys.size() && key < entry.parts.size(); ++key) {
                if (!entry.parts.at(key).isEmpty())
                    parts.insert(keys.at(key), entry.parts.at(key));
            }
            dictionary.insert(QStringLiteral("value"), parts);
        } else if (property == kABPersonDateProperty) {
            const QDate date = QDate::fromString(entry.parts.value(0).trimmed(), Qt::ISODate);
            if (!date.isValid()) {
                if (error)
                    *error = L("KErrDateValue").arg(entry.parts.value(0));
                return false;
            }
            dictionary.insert(QStringLiteral("value"), storedDate(date));
        } else {
            dictionary.insert(QStringLiteral("value"), entry.parts.value(0));
        }
        dictionaries.append(dictionary);
    }
    return m_person->setDictionariesForProperty(property, dictionaries);
}

bool NewPersonEditor::save(QString *error)
{
    if (m_finished)
        return false;
    ABAddressBookRef book = ABSources::openAddressBook("newPersonViewController");
    QString message;
    if (!book)
        message = L("KErrCreateAddrBook");
    else if (!book->addRecord(m_person->record(), &message) || !book->save(&message))
        DevLog::log(QStringLiteral("newPersonViewController save error: %1").arg(message));
    if (!book || m_person->recordID() == kABRecordInvalidID || book->hasUnsavedChanges()) {
        if (book)
            book->revert();
        if (error)
            *error = message.isEmpty() ? L("KErrSaveAddrBook") : message;
        return false;
    }
    m_finished = true;
    Q_EMIT finished(true);
    return true;
}

void NewPersonEditor::cancel()
{
    if (m_finished)
        return;
    m_finished = true;
    Q_EMIT finished(false);
}
