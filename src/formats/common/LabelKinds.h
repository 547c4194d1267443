#pragma once

#include <QString>

#include <optional>

// The kind numbers handed to the printers, from a stored label (exact comparison with the
// standard labels, first match wins; 0 for any other label or none).
namespace LabelKinds {
// main 1, mobile 2, work fax 3, home fax 4, pager 5, work 6, home 7, other 8
int phoneKind(const std::optional<QString> &label);
// work 1, home 2, other 3
int emailKind(const std::optional<QString> &label);
// work 1, home 2, home page 3, other 4
int urlKind(const std::optional<QString> &label);
// home 1, other 2, work 3
int addressKind(const std::optional<QString> &label);
}
