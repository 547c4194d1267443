#pragma once

#include <QString>

#include <optional>

// The kind number of a stored label, by exact comparison with the standard label constants.
// Writers pick their type words by these numbers; 0 means "any other label" (custom or none).
namespace LabelKinds {
// Main 1, Mobile 2, WorkFAX 3, HomeFAX 4, Pager 5, Work 6, Home 7, Other 8.
int phoneKind(const std::optional<QString> &label);
// Work 1, Home 2, Other 3.
int emailKind(const std::optional<QString> &label);
// Work 1, Home 2, HomePage 3, Other 4.
int urlKind(const std::optional<QString> &label);
// Home 1, Other 2, Work 3.
int addressKind(const std::optional<QString> &label);
}
