#pragma once

#include "ChangeRule.h"
#include "NumberPassScreen.h"
#include "RuleLoader.h"

#include <QString>
#include <QStringList>

// The change-numbers screen (screen 2): a change rule (name, mask, new number, action, show
// all) run over every phone number by Preview and Commit, saved under its name and loaded
// again through the rule chooser. The fields keep their values for as long as the screen lives.
class CarrierViewController : public NumberPassScreen, public RuleLoader {
    Q_OBJECT
public:
    explicit CarrierViewController(QObject *parent = nullptr);

    QString title() const override;
    static QStringList actionSegments();
    QString helpText() const;

    // The fields.
    QString _textName;
    QString _textCarrier;
    QString _textCity;
    int _segmentedControl = ChangeRule::Replace;
    bool _switch = false;
    void setTextName(const QString &text);
    void setTextCarrier(const QString &text);
    void setTextCity(const QString &text);
    void setAction(int action);
    void setShowAll(bool on);
    ChangeRule rule() const;

    // Preview (tag 2) and Commit (tag 3) after the mask check; Done (tag 1).
    void buttonPressed(int tag) override;
    void save();
    // Pushes the rule chooser, or says there are no saved rules.
    void load();
    int savedRulesCount() const;
    void loadRuleWithKey(const QString &name) override;
};
