#include "MergeViewController.h"

#include "NewPersonEditor.h"
#include "addressbook/ABAddressBook.h"
#include "platform/DevLog.h"
#include "platform/DeviceFacts.h"
#include "platform/Localization.h"
#include "shell/UiHost.h"

#include <QLocale>

namespace {

const QList<int> kIdentificationProperties{kABPersonFirstNameProperty, kABPersonMiddleNameProperty, kABPersonLastNameProperty};
const QList<int> kMiscellaneousProperties{
    kABPersonNicknameProperty,          kABPersonOrganizationProperty,       kABPersonJobTitleProperty,
    kABPersonDepartmentProperty,        kABPersonNoteProperty,               kABPersonBirthdayProperty,
    kABPersonFirstNamePhoneticProperty, kABPersonMiddleNamePhoneticProperty, kABPersonLastNamePhoneticProperty,
    kABPersonPrefixProperty,            kABPersonSuffixProperty};

struct MultiSection {
    const char *key;
    int property;
};
const QList<MultiSection> kMultiValueSections{
    {"KMphones", kABPersonPhoneProperty},        {"KMemail", kABPersonEmailProperty},
    {"KMurls", kABPersonURLProperty},            {"KMdates", kABPersonDateProperty},
    {"KMrelated", kABPersonRelatedNamesProperty}, {"KMaddresses", kABPersonAddressProperty},
    {"KMim", kABPersonInstantMessageProperty},   {"KMprofiles", kABPersonSocialProfileProperty}};

constexpr int kSmallFontLength = 60;

QString mediumDate(const QDateTime &date)
{
    if (!date.isValid())
        return QString();
    return QLocale().toString(date.toLocalTime().date(), QStringLiteral("MMM d, yyyy"));
}

QString singleFieldName(int property)
{
    return NewPersonEditor::fieldName(property);
}

} // namespace

MergeViewController::MergeViewController(QObject *parent) : ScreenController(MergeScreen, parent) {}

QString MergeViewController::title() const
{
    return L("KselectFields");
}

QString MergeViewController::backButtonTitle() const
{
    return L("KBack");
}

QString MergeViewController::nextButtonTitle() const
{
    return L("KNext");
}

QString MergeViewController::footerText() const
{
    return L("Kmergefooter");
}

bool MergeViewController::showsSocialProfiles() const
{
    return DeviceFacts::systemVersionAtLeast(QStringLiteral("5"));
}

void MergeViewController::setContact1AndContact2(const ABContactRef &contact1, const ABContactRef &contact2)
{
    _contacts = {contact1, contact2};
    _tvData.clear();
    m_entries = {{}, {}};
    for (int contact = 0; contact < 2; ++contact) {
        for (const MultiSection &family : kMultiValueSections)
            m_entries[contact].insert(family.property, _contacts.at(contact)->dictionariesForProperty(family.property));
    }

    MergeSection identification{L("KMidentification"), {}};
    for (int property : kIdentificationProperties)
        addSingleRows(identification.data, property);
    addPictureRows(identification.data);
    MergeSection miscellaneous{L("KMmiscellaneous"), {}};
    for (int property : kMiscellaneousProperties)
        addSingleRows(miscellaneous.data, property);
    QList<MergeSection> sections{identification, miscellaneous};
    for (const MultiSection &family : kMultiValueSections) {
        if (family.property == kABPersonSocialProfileProperty && !showsSocialProfiles())
            continue;
        MergeSection section{L(family.key), {}};
        addMultiValueRows(section.data, family.property);
        sections.append(section);
    }
    for (const MergeSection &section : std::as_const(sections)) {
        if (!section.data.isEmpty())
            _tvData.append(section);
    }
    Q_EMIT changed();
}

void MergeViewController::addSingleRows(QList<MergeDataRef> &rows, int property) const
{
    const QVariant a = _contacts.at(0)->record()->copyValue(property);
    const QVariant b = _contacts.at(1)->record()->copyValue(property);
    if (a.isValid() && b.isValid() && a == b) {
        rows.append(std::make_shared<MergeData>(property, 0, true, true, true));
        return;
    }
    if (a.isValid())
        rows.append(std::make_shared<MergeData>(property, 0, true, false, false));
    if (b.isValid())
        rows.append(std::make_shared<MergeData>(property, 1, true, false, false));
}

void MergeViewController::addPictureRows(QList<MergeDataRef> &rows) const
{
    // Pictures are never compared: each one is a choice of its own.
    for (int contact = 0; contact < 2; ++contact) {
        if (_contacts.at(contact)->hasImage())
            rows.append(std::make_shared<MergeData>(kMergePictureProperty, contact, true, false, false));
    }
}

void MergeViewController::addMultiValueRows(QList<MergeDataRef> &rows, int property) const
{
    const QList<QVariantMap> first = m_entries.at(0).value(property);
    const QList<QVariantMap> second = m_entries.at(1).value(property);
    const qsizetype start = rows.size();
    for (qsizetype index = 0; index < first.size(); ++index) {
        auto row = std::make_shared<MergeData>(property, 0, false, false, false);
        row->propertyIndex = int(index);
        rows.append(row);
    }
    for (qsizetype index = 0; index < second.size(); ++index) {
        const qsizetype same = first.indexOf(second.at(index));
        if (same >= 0) {
            MergeData &shared = *rows.at(start + same);
            shared.selected = true;
            shared.shared = true;
            continue;
        }
        auto row = std::make_shared<MergeData>(property, 1, false, false, false);
        row->propertyIndex = int(index);
        rows.append(row);
    }
}

MergeDataRef MergeViewController::rowAt(int section, int row) const
{
    if (section < 0 || section >= _tvData.size() || row < 0 || row >= _tvData.at(section).data.size())
        return nullptr;
    return _tvData.at(section).data.at(row);
}

const QVariantMap &MergeViewController::entryOf(const MergeData &row) const
{
    static const QVariantMap none;
    if (row.contactIndex < 0 || row.contactIndex >= m_entries.size())
        return none;
    auto found = m_entries.at(row.contactIndex).constFind(row.propertyID);
    if (found == m_entries.at(row.contactIndex).constEnd() || row.propertyIndex < 0 || row.propertyIndex >= found->size())
        return none;
    return found->at(row.propertyIndex);
}

QString MergeViewController::mainText(const MergeData &row) const
{
    if (row.propertyID == kMergePictureProperty || row.contactIndex < 0 || row.contactIndex >= _contacts.size())
        return QString();
    if (row.propertyIndex < 0) {
        const QVariant value = _contacts.at(row.contactIndex)->record()->copyValue(row.propertyID);
        if (row.propertyID == kABPersonBirthdayProperty)
            return mediumDate(value.toDateTime());
        return value.toString();
    }
    const QVariant value = entryOf(row).value(QStringLiteral("value"));
    switch (row.propertyID) {
    case kABPersonDateProperty:
        return mediumDate(value.toDateTime());
    case kABPersonInstantMessageProperty: {
        const QVariantMap parts = value.toMap();
        return QStringLiteral("%1 (%2)").arg(parts.value(kABPersonInstantMessageUsernameKey).toString(),
                                             parts.value(kABPersonInstantMessageServiceKey).toString());
    }
    case kABPersonSocialProfileProperty:
        return value.toMap().value(kABPersonSocialProfileUsernameKey).toString();
    case kABPersonAddressProperty: {
        const QVariantMap parts = value.toMap();
        QString text = parts.value(kABPersonAddressStreetKey).toString();
        text.replace(QLatin1String("\r\n"), QLatin1String(" "));
        text.replace(QLatin1Char('\n'), QLatin1Char(' '));
        text.replace(QLatin1Char('\r'), QLatin1Char(' '));
        for (const QString &key : {kABPersonAddressCityKey, kABPersonAddressStateKey, kABPersonAddressZIPKey}) {
            const QVariant part = parts.value(key);
            if (part.isValid())
                text += QStringLiteral(" - %1").arg(part.toString());
        }
        return text;
    }
    default:
        return value.toString();
    }
}

QString MergeViewController::detailText(const MergeData &row) const
{
    if (row.propertyID == kMergePictureProperty)
        return L("KMphoto");
    if (row.propertyIndex < 0)
        return singleFieldName(row.propertyID);
    if (row.propertyID == kABPersonSocialProfileProperty)
        return entryOf(row).value(QStringLiteral("value")).toMap().value(kABPersonSocialProfileServiceKey).toString();
    return ABAddressBook::copyLocalizedLabel(entryOf(row).value(QStringLiteral("label")).toString());
}

bool MergeViewController::usesSmallFont(const MergeData &row) const
{
    return row.propertyID == kABPersonAddressProperty && mainText(row).size() >= kSmallFontLength;
}

QByteArray MergeViewController::pictureData(const MergeData &row) const
{
    if (row.propertyID != kMergePictureProperty || row.contactIndex < 0 || row.contactIndex >= _contacts.size())
        return QByteArray();
    return _contacts.at(row.contactIndex)->record()->copyImageData();
}

MergeViewController::Background MergeViewController::background(const MergeData &row)
{
    if (row.shared)
        return SharedBackground;
    return row.contactIndex == 0 ? Contact1Background : Contact2Background;
}

unsigned MergeViewController::backgroundRgb(const MergeData &row)
{
    switch (background(row)) {
    case SharedBackground: return 0xe8bfc5;   // 232, 191, 197
    case Contact1Background: return 0xdee0e2; // 222, 224, 226
    default: return 0xffffff;
    }
}

int MergeViewController::partnerRow(int section, int row) const
{
    const MergeDataRef data = rowAt(section, row);
    if (!data || !data->singleselection || data->shared)
        return -1;
    const int partner = data->contactIndex == 0 ? row + 1 : row - 1;
    const MergeDataRef other = rowAt(section, partner);
    return other && other->propertyID == data->propertyID ? partner : -1;
}

bool MergeViewController::willSelectRow(int section, int row)
{
    const MergeDataRef data = rowAt(section, row);
    if (!data)
        return false;
    const int partner = partnerRow(section, row);
    if (partner < 0)
        return true;
    MergeData &other = *rowAt(section, partner);
    if (other.selected)
        return false;
    // The partner fades while this row is ticked and comes back when it is unticked.
    other.dim = !data->selected;
    Q_EMIT rowChanged(section, partner);
    return true;
}

bool MergeViewController::didSelectRow(int section, int row)
{
    if (isLocked() || !willSelectRow(section, row))
        return false;
    MergeData &data = *rowAt(section, row);
    data.selected = !data.selected;
    Q_EMIT rowChanged(section, row);
    return true;
}

ABContactRef MergeViewController::buildMergedContact() const
{
    ABContactRef merged = ABContact::contact();
    if (_contacts.size() != 2)
        return merged;
    const bool profiles = showsSocialProfiles();
    // Entries are gathered per family and stored once, in the order the rows come.
    QList<int> families;
    QHash<int, QList<QVariantMap>> gathered;
    for (const MergeSection &section : _tvData) {
        for (const MergeDataRef &row : section.data) {
            if (!row->selected)
                continue;
            const ABRecordRef &source = _contacts.at(row->contactIndex)->record();
            if (row->propertyID == kMergePictureProperty) {
                merged->record()->setImageData(source->copyImageData());
            } else if (row->propertyIndex < 0) {
                merged->record()->setValue(row->propertyID, source->copyValue(row->propertyID));
            } else {
                if (row->propertyID == kABPersonSocialProfileProperty && !profiles)
                    continue;
                if (!gathered.contains(row->propertyID))
                    families.append(row->propertyID);
                gathered[row->propertyID].append(entryOf(*row));
            }
        }
    }
    for (int property : std::as_const(families))
        merged->setDictionariesForProperty(property, gathered.value(property));
    return merged;
}

NewPersonEditor *MergeViewController::editor() const
{
    return m_editor;
}

void MergeViewController::previewButtonPressed()
{
    if (isLocked() || m_editor)
        return;
    m_editor = new NewPersonEditor(buildMergedContact(), this);
    connect(m_editor, &NewPersonEditor::finished, this, &MergeViewController::editorFinished);
    Q_EMIT editorRequested(m_editor);
}

void MergeViewController::editorFinished(bool saved)
{
    if (m_editor) {
        m_editor->deleteLater();
        m_editor = nullptr;
    }
    if (!saved)
        return;
    // The selection list below keeps its rows: it shows the new person after its next load.
    if (UiHost *host = UiHost::current())
        host->pop();
    showInfo(L("KNcontactcreated"));
}

void MergeViewController::viewWillAppear()
{
    ScreenController::viewWillAppear();
    DevLog::log(QStringLiteral("kABPersonSocialProfileProperty: %1").arg(kABPersonSocialProfileProperty));
    Q_EMIT changed();
}
