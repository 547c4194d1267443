#pragma once

#include "NumberTransform.h"

#include <QByteArray>
#include <QString>

#include <memory>

// A change rule as the change-numbers screen edits it and FormatRules.plist keeps it.
struct ChangeRule {
    enum Action { Prefix = 0, Replace = 1, Erase = 2 };

    QString mask;
    QString newNumber;
    int action = Replace;
    bool showAll = false;

    // A mask starting with 'r' or 'R' is a POSIX extended regular expression (the rest of it).
    bool isRegularExpression() const;

    enum class MaskCheck { Valid, Missing, Invalid };
    // Empty: Missing. A regular expression is not looked into; any other mask may hold only
    // digits, '#', '*', '+', '?' and '@'.
    MaskCheck checkMask() const;

    // The rule as the pass applies it.
    std::unique_ptr<NumberTransform> transform() const;
};
