#include "ImpExpFiltersViewController.h"

#include "AppData.h"
#include "platform/Localization.h"

ImpExpFiltersViewController::ImpExpFiltersViewController(QObject *parent)
    : ScreenController(ImpExpFiltersScreen, parent),
      m_rows{{1, L("KfPhoto")},   {2, L("KfPhone")},  {3, L("KfAddress")},   {4, L("KfEmail")},
             {5, L("KfURL")},     {6, L("KfNote")},   {8, L("KfDates")},     {9, L("KfIM")},
             {10, L("KfPhonectic")}, {11, L("KfPreSuf")}, {7, L("KfGroups")}}
{
    populateMode();
}

QString ImpExpFiltersViewController::title() const
{
    return m_mode == 0 ? L("KExportFilters") : L("KImportFilters");
}

void ImpExpFiltersViewController::viewDidDisappear()
{
    AppData::sharedInstance().saveSettings();
    ScreenController::viewDidDisappear();
}

void ImpExpFiltersViewController::setMode(int mode)
{
    m_mode = mode == 1 ? 1 : 0;
}

uint32_t ImpExpFiltersViewController::mask() const
{
    return m_mode == 0 ? AppData::sharedInstance().flagsExp() : AppData::sharedInstance().flagsImp();
}

void ImpExpFiltersViewController::populateMode()
{
    const uint32_t bits = mask();
    for (const FilterRow &row : std::as_const(m_rows))
        m_switches[row.tag] = (bits & (1u << row.tag)) != 0;
    Q_EMIT changed();
}

QString ImpExpFiltersViewController::header() const
{
    return m_mode == 0 ? L("KWhenExporting") : L("KWhenImporting");
}

void ImpExpFiltersViewController::setSwitch(int tag, bool on)
{
    if (!m_switches.contains(tag))
        return;
    const uint32_t bit = 1u << tag;
    const uint32_t bits = on ? (mask() | bit) : (mask() & ~bit);
    if (m_mode == 0)
        AppData::sharedInstance().setFlagsExp(bits);
    else
        AppData::sharedInstance().setFlagsImp(bits);
    m_switches[tag] = on;
}
