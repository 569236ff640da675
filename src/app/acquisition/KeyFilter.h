#pragma once

#include <QChar>

#include <optional>

// The main window's filter of typed characters. Outside a run a typed '.' becomes ',' (the
// program's decimal separator) and letters become 'E' (only exponents are letters in a
// number); during a run digits, letters, separators and Tab are swallowed, and Space becomes
// a line feed, which validates one poured millilitre.
namespace KeyFilter {

inline constexpr QChar kValidate = QLatin1Char('\n');

// The character that goes on to the focused control, or nothing when it is discarded.
std::optional<QChar> Filter(QChar typed, bool running);

}  // namespace KeyFilter
