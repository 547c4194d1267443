#include "ChangeRule.h"

#include "ChangeRuleTransform.h"
#include "WorkingNumber.h"

bool ChangeRule::isRegularExpression() const
{
    return !mask.isEmpty() && (mask.front() == QLatin1Char('r') || mask.front() == QLatin1Char('R'));
}

ChangeRule::MaskCheck ChangeRule::checkMask() const
{
    if (mask.isEmpty())
        return MaskCheck::Missing;
    if (isRegularExpression())
        return MaskCheck::Valid;
    for (QChar c : mask) {
        const char latin = c.toLatin1();
        if (c.unicode() > 0x7f || !(WorkingNumber::isKept(latin) || latin == '?' || latin == '@'))
            return MaskCheck::Invalid;
    }
    return MaskCheck::Valid;
}

std::unique_ptr<NumberTransform> ChangeRule::transform() const
{
    return std::make_unique<ChangeRuleTransform>(mask.toUtf8(), newNumber.toUtf8(), action);
}
