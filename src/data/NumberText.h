#pragma once

#include <QString>

// Number texts of the program. Every number it writes or reads uses ',' as decimal separator,
// whatever the system's regional settings say.
namespace NumberText {

inline constexpr QChar kDecimalSeparator = QLatin1Char(',');

// fixed(P, D): rounded half away from zero to at most `precision` significant digits and at
// most `decimals` decimals, then written with exactly `decimals` decimals ("10,570").
QString Fixed(double value, int precision, int decimals, QChar separator = kDecimalSeparator);

// General format: shortest form up to 15 significant digits, no trailing zeros ("1,5", "3").
QString General(double value, QChar separator = kDecimalSeparator);

// Reads a decimal text written with `separator` (spaces around it allowed, optional sign and
// exponent). Throws ConvertError "'%s' n'est pas une valeur en virgule flottante correcte".
double Parse(const QString& text, QChar separator = kDecimalSeparator);

// As Parse, without throwing.
bool TryParse(const QString& text, double& value, QChar separator = kDecimalSeparator);

}  // namespace NumberText
