#include "LabelKinds.h"

#include "addressbook/ABConstants.h"

#include <initializer_list>
#include <utility>

namespace {
int kindOf(const std::optional<QString> &label, std::initializer_list<std::pair<const QString *, int>> table)
{
    if (!label)
        return 0;
    for (const auto &[standard, kind] : table) {
        if (*label == *standard)
            return kind;
    }
    return 0;
}
}

int LabelKinds::phoneKind(const std::optional<QString> &label)
{
    return kindOf(label, {{&kABPersonPhoneMainLabel, 1}, {&kABPersonPhoneMobileLabel, 2}, {&kABPersonPhoneHomeFAXLabel, 4},
                          {&kABPersonPhoneWorkFAXLabel, 3}, {&kABPersonPhonePagerLabel, 5}, {&kABWorkLabel, 6},
                          {&kABHomeLabel, 7}, {&kABOtherLabel, 8}});
}

int LabelKinds::emailKind(const std::optional<QString> &label)
{
    return kindOf(label, {{&kABWorkLabel, 1}, {&kABHomeLabel, 2}, {&kABOtherLabel, 3}});
}

int LabelKinds::urlKind(const std::optional<QString> &label)
{
    return kindOf(label, {{&kABWorkLabel, 1}, {&kABHomeLabel, 2}, {&kABPersonHomePageLabel, 3}, {&kABOtherLabel, 4}});
}

int LabelKinds::addressKind(const std::optional<QString> &label)
{
    return kindOf(label, {{&kABHomeLabel, 1}, {&kABOtherLabel, 2}, {&kABWorkLabel, 3}});
}
