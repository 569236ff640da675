#pragma once

#include <QString>
#include <QStringView>

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
bool TryParse(QStringView text, double& value, QChar separator = kDecimalSeparator);

// True when `text` is exactly what Fixed(value, precision, decimals) writes for the value it
// reads as, so a reader can keep the text instead of formatting it again.
bool IsFixedText(QStringView text, int precision, int decimals, QChar separator = kDecimalSeparator);

// An exponent as superscript characters, for a power of ten written as a student writes it:
// -3 gives "⁻³".
QString Superscript(int number);

}  // namespace NumberText
