#include "RulesChooserViewController.h"

#include "RuleLoader.h"
#include "SavedRules.h"
#include "platform/DevLog.h"
#include "platform/Localization.h"
#include "shell/UiHost.h"

namespace {
void logUnusable(const char *method, SavedRules::Table::Failure failure)
{
    if (failure == SavedRules::Table::Failure::NoData)
        DevLog::log(QStringLiteral("%1 no data").arg(QLatin1String(method)));
    else if (failure == SavedRules::Table::Failure::NotDictionary)
        DevLog::log(QStringLiteral("%1 no dictionay").arg(QLatin1String(method)));
}
}

RulesChooserViewController::RulesChooserViewController(QObject *parent) : ScreenController(RulesChooserScreen, parent)
{
    loadData();
}

QString RulesChooserViewController::title() const
{
    return L("KChooseRules");
}

QString RulesChooserViewController::sectionHeader() const
{
    return L("KRules");
}

void RulesChooserViewController::setDelegate(RuleLoader *delegate)
{
    m_delegate = delegate;
    m_delegateObject = dynamic_cast<QObject *>(delegate);
}

void RulesChooserViewController::loadData()
{
    const SavedRules::Table table = SavedRules::read();
    logUnusable("-[RulesChooserViewController loadData]", table.failure);
    m_rules.clear();
    for (const SavedRules::Named &rule : SavedRules::rules(table))
        m_rules.append(rule.name);
    Q_EMIT changed();
}

void RulesChooserViewController::setEditing(bool editing)
{
    m_editing = editing && editEnabled();
    Q_EMIT changed();
}

void RulesChooserViewController::didSelectRow(int row)
{
    if (row < 0 || row >= m_rules.size())
        return;
    if (m_delegate && m_delegateObject)
        m_delegate->loadRuleWithKey(m_rules.at(row));
    close();
}

void RulesChooserViewController::deleteRow(int row)
{
    if (row < 0 || row >= m_rules.size())
        return;
    const int left = deleteKey(m_rules.at(row));
    m_rules.removeAt(row);
    if (left == 0) {
        close();
        return;
    }
    if (m_rules.isEmpty())
        m_editing = false;
    Q_EMIT changed();
}

int RulesChooserViewController::deleteKey(const QString &name)
{
    const SavedRules::Removal removal = SavedRules::remove(name);
    logUnusable("-[RulesChooserViewController deleteKey:]", removal.failure);
    return removal.left;
}

void RulesChooserViewController::viewWillAppear()
{
    // The view clears any row selection when it redraws.
    Q_EMIT changed();
}

void RulesChooserViewController::close()
{
    if (UiHost *host = UiHost::current())
        host->pop();
}
