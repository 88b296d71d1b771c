#pragma once

#include <QString>
#include <optional>

// The one numeric test of the program: optional blanks, an optional sign, digits with at most one
// decimal point, optional blanks. No exponent, no grouping, no hex, never the user's locale.
std::optional<double> ParseNumeric(const QString& text);
inline bool IsNumeric(const QString& text) { return ParseNumeric(text).has_value(); }
