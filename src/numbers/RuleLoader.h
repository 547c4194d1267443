#pragma once

#include <QString>

// The screen the rule chooser hands a chosen rule to.
class RuleLoader {
public:
    virtual ~RuleLoader() = default;
    // Fills the screen's fields with the saved rule of that name; nothing when there is none.
    virtual void loadRuleWithKey(const QString &name) = 0;
};
