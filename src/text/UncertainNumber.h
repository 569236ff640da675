#pragma once

#include <QString>

#include <optional>

// How every result with its standard uncertainty is written, whichever library worked it out:
// the uncertainty rounded to two significant digits, of which a trailing zero is not written
// (0,080 becomes 0,08, 0,10 becomes 0,1: an uncertainty keeps at most two significant digits),
// the value rounded to the last decimal the uncertainty shows, and one power of ten for both,
// the value's once rounded, left out from 0,1 to 999. Decimal separator ','.
namespace UncertainNumber {

struct Written {
    QString value;        // mantissa
    QString uncertainty;  // mantissa
    int exponent = 0;     // the shared power of ten
};

// Empty when u is not a positive finite number or the value not finite.
std::optional<Written> Write(double value, double u);

// "(1,0701 ± 0,0001) × 10⁻²", "(20,03 ± 0,29)"; empty when Write is.
QString Bracketed(double value, double u);

// "⁻³", "²": a power of ten's exponent in superscript digits.
QString Superscript(int number);

}  // namespace UncertainNumber
