#include "SettingsViewController.h"

#include "AccountHooks.h"
#include "AppData.h"
#include "ImpExpFiltersViewController.h"
#include "ScreenRegistry.h"
#include "UiHost.h"
#include "platform/Localization.h"

#include "platform/MailComposer.h"

namespace {
struct SwitchSetting {
    int tag;
    int (AppData::*get)() const;
    void (AppData::*set)(int);
};

const SwitchSetting kSwitches[] = {
    {SettingsViewController::TagMarker, &AppData::addMarker, &AppData::setAddMarker},
    {SettingsViewController::TagSources, &AppData::sourcesEnabled, &AppData::setSourcesEnabled},
    {SettingsViewController::TagConfirmImport, &AppData::confirmImport, &AppData::setConfirmImport},
    {SettingsViewController::TagDropbox, &AppData::enableDropbox, &AppData::setEnableDropbox},
    {SettingsViewController::TagGoogleDrive, &AppData::enableGoogleDocs, &AppData::setEnableGoogleDocs},
    {SettingsViewController::TagGmail, &AppData::enableGmail, &AppData::setEnableGmail},
    {SettingsViewController::TagExportLog, &AppData::logEnabled, &AppData::setLogEnabled},
    {SettingsViewController::TagReuseFilename, &AppData::saveFilename, &AppData::setSaveFilename},
    {SettingsViewController::TagAnnounce, &AppData::announceOnNetwork, &AppData::setAnnounceOnNetwork},
};

const SwitchSetting *switchFor(int tag)
{
    for (const SwitchSetting &entry : kSwitches) {
        if (entry.tag == tag)
            return &entry;
    }
    return nullptr;
}
}

SettingsViewController::SettingsViewController(QObject *parent) : ScreenController(SettingsScreen, parent)
{
    btblocksize = AppData::sharedInstance().btBlockSize();
    buildSections();
}

QString SettingsViewController::title() const
{
    return L("KSettings");
}

bool SettingsViewController::mailComposerAvailable()
{
    return MailComposer::isAvailable();
}

void SettingsViewController::buildSections()
{
    using K = Kind;
    QList<SettingsRow> general{{TagMarker, K::Switch, L("KAddAsterisk")},
                               {TagSources, K::Switch, L("KCanSelectSource")},
                               {TagConfirmImport, K::Switch, L("KImportComfirm")},
                               {TagDropbox, K::Switch, L("KEnableDropbox")},
                               {TagGoogleDrive, K::Switch, L("KEnableGoogle")},
                               {TagGmail, K::Switch, L("KEnableGmail")},
                               {TagCharset, K::TwoChoice, L("KCharset")},
                               {TagLanguage, K::Row, L("KLanguage")}};
    QList<SettingsRow> advanced;
    if (mailComposerAvailable())
        advanced.append({TagBTpktSize, K::Slider, sliderText()});
    advanced.append({TagPeerPort, K::Row, peerPortText()});
    advanced.append({TagExportLog, K::Switch, L("KExportLog")});
    advanced.append({TagReuseFilename, K::Switch, L("KReuseFilename")});
    advanced.append({TagAnnounce, K::Switch, L("KAnnounceNetwork")});
    if (AccountHooks::cloudIsLinked())
        advanced.append({TagUnlinkDropBox, K::Row, L("KUnlinkDropBox")});
    m_sections = {{{TagExportFilters, K::Row, L("KExportFilters")}, {TagImportFilters, K::Row, L("KImportFilters")}},
                  general,
                  advanced};
}

QStringList SettingsViewController::charSetChoices()
{
    return {QStringLiteral("UTF-8"), QStringLiteral("ISO 8859-1")};
}

void SettingsViewController::viewWillAppear()
{
    // Clears the row selection in the view.
    Q_EMIT changed();
}

void SettingsViewController::viewDidDisappear()
{
    AppData::sharedInstance().saveSettings();
    ScreenController::viewDidDisappear();
}

int SettingsViewController::value(int tag) const
{
    AppData &settings = AppData::sharedInstance();
    if (tag == TagCharset)
        return settings.charSet();
    if (tag == TagBTpktSize)
        return settings.btBlockSize();
    const SwitchSetting *entry = switchFor(tag);
    return entry && (settings.*(entry->get))() ? 1 : 0;
}

void SettingsViewController::setSwitch(int tag, bool on)
{
    if (const SwitchSetting *entry = switchFor(tag))
        (AppData::sharedInstance().*(entry->set))(on ? 1 : 0);
}

void SettingsViewController::setCharSet(int index)
{
    if (index == 0 || index == 1)
        AppData::sharedInstance().setCharSet(index);
}

void SettingsViewController::sliderMoved(double position)
{
    const int size = qBound(kMinBlockSize, int(position), kMaxBlockSize);
    if (size == btblocksize && AppData::sharedInstance().btBlockSize() == size)
        return;
    btblocksize = size;
    AppData::sharedInstance().setBtBlockSize(size);
    setRowText(TagBTpktSize, sliderText());
}

void SettingsViewController::setRowText(int tag, const QString &text)
{
    for (auto &section : m_sections) {
        for (SettingsRow &row : section) {
            if (row.tag == tag)
                row.text = text;
        }
    }
    Q_EMIT changed();
}

QString SettingsViewController::peerPortText()
{
    return L("KPeerPortRow").arg(AppData::sharedInstance().peerPort());
}

void SettingsViewController::askPeerPort()
{
    UiHost *host = UiHost::current();
    if (!host)
        return;
    const std::optional<QString> answer =
        host->askText(QStringLiteral("Vennaro"), L("KPeerPortQuestion"), QString::number(AppData::sharedInstance().peerPort()));
    if (!answer)
        return;
    bool ok = false;
    const uint port = answer->trimmed().toUInt(&ok);
    if (!ok || port == 0 || port > 65535) {
        showWarning(L("KPeerPortInvalid"));
        return;
    }
    AppData::sharedInstance().setPeerPort(int(port));
    setRowText(TagPeerPort, peerPortText());
}

QString SettingsViewController::sliderText() const
{
    return L("KBTpktSize").arg(btblocksize);
}

void SettingsViewController::selectRow(int tag)
{
    switch (tag) {
    case TagExportFilters:
        openFilters(0);
        break;
    case TagImportFilters:
        openFilters(1);
        break;
    case TagPeerPort:
        askPeerPort();
        break;
    case TagLanguage:
        pushChild(ScreenRegistry::getViewController(LanguageScreen));
        break;
    case TagUnlinkDropBox:
        if (const auto &unlink = AccountHooks::cloud().unlinkAll)
            unlink();
        removeRow(TagUnlinkDropBox);
        break;
    default:
        break;
    }
}

void SettingsViewController::openFilters(int mode)
{
    auto *filters = getScreen<ImpExpFiltersViewController>(ImpExpFiltersScreen);
    if (!filters)
        return;
    filters->setMode(mode);
    filters->populateMode();
    pushChild(filters);
}

void SettingsViewController::removeRow(int tag)
{
    for (auto &section : m_sections)
        section.removeIf([tag](const SettingsRow &row) { return row.tag == tag; });
    Q_EMIT changed();
}
