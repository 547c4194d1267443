#include "CarrierViewController.h"

#include "RulesChooserViewController.h"
#include "SavedRules.h"
#include "platform/Localization.h"
#include "shell/ScreenRegistry.h"
#include "shell/UiHost.h"

CarrierViewController::CarrierViewController(QObject *parent) : NumberPassScreen(CarrierScreen, parent) {}

QString CarrierViewController::title() const
{
    return L("KChangeNumbers");
}

QStringList CarrierViewController::actionSegments()
{
    return {L("KPrefix"), L("KReplace"), L("KErase")};
}

QString CarrierViewController::helpText() const
{
    return L("KCarrierNote");
}

void CarrierViewController::setTextName(const QString &text)
{
    _textName = text;
}

void CarrierViewController::setTextCarrier(const QString &text)
{
    _textCarrier = text;
}

void CarrierViewController::setTextCity(const QString &text)
{
    _textCity = text;
}

void CarrierViewController::setAction(int action)
{
    if (action >= ChangeRule::Prefix && action <= ChangeRule::Erase)
        _segmentedControl = action;
}

void CarrierViewController::setShowAll(bool on)
{
    _switch = on;
}

ChangeRule CarrierViewController::rule() const
{
    return {_textCarrier, _textCity, _segmentedControl, _switch};
}

void CarrierViewController::buttonPressed(int tag)
{
    if (tag == DoneTag) {
        done();
        return;
    }
    if ((tag != PreviewTag && tag != CommitTag) || state() != State::Editing)
        return;
    const ChangeRule current = rule();
    switch (current.checkMask()) {
    case ChangeRule::MaskCheck::Missing:
        logMissingText("-[CarrierViewController buttonPressed:]", tag);
        showError(L("KErrMissingMask"));
        return;
    case ChangeRule::MaskCheck::Invalid:
        showError(L("KErrInvalidMask"));
        return;
    case ChangeRule::MaskCheck::Valid:
        break;
    }
    startPass(current.transform(), tag, current.showAll, true);
}

void CarrierViewController::save()
{
    if (_textName.isEmpty()) {
        showError(L("KErrMissingRuleName"));
        return;
    }
    if (_textCarrier.isEmpty()) {
        showError(L("KErrMissingMask"));
        return;
    }
    QString error;
    switch (SavedRules::save(_textName, rule(), &error)) {
    case SavedRules::SaveResult::Added:
        showInfo(L("KMaskSaved"));
        break;
    case SavedRules::SaveResult::Replaced:
        showInfo(L("KMaskChanged"));
        break;
    case SavedRules::SaveResult::WriteFailed:
        showError(L("KErrWriteRules").arg(error));
        break;
    }
}

int CarrierViewController::savedRulesCount() const
{
    return SavedRules::count();
}

void CarrierViewController::load()
{
    if (savedRulesCount() == 0) {
        showInfo(L("KNoSavedRules"));
        return;
    }
    auto *chooser = dynamic_cast<RulesChooserViewController *>(ScreenRegistry::getViewController(RulesChooserScreen));
    if (!chooser)
        return;
    chooser->setDelegate(this);
    pushChild(chooser);
}

void CarrierViewController::loadRuleWithKey(const QString &name)
{
    const std::optional<ChangeRule> saved = SavedRules::find(name);
    if (!saved)
        return;
    _textName = name;
    _textCarrier = saved->mask;
    _textCity = saved->newNumber;
    _segmentedControl = saved->action;
    _switch = saved->showAll;
    Q_EMIT changed();
}
