#pragma once

#include <QString>

// Numbers of the fits' texts, with ',' and as many decimals as their standard uncertainty
// allows: one significant digit of uncertainty for a pKa or a pH, the rule of every written
// result for a concentration.
namespace FitText {

// `decimals` decimals, ','; never "-0,00".
QString Decimal(double value, int decimals);

// Decimals that show an uncertainty with one significant digit, within [least, most].
int DecimalsFor(double uncertainty, int least, int most);

// "(1,0023 ± 0,0043) × 10⁻²": a concentration and its uncertainty written as every result is
// (text/UncertainNumber.h); "1,00 × 10⁻²" without a usable uncertainty.
QString Concentration(double value, double uncertainty);
// The same as two plain decimals for a spreadsheet: "0,010023" and "0,000043".
QString ConcentrationValue(double value, double uncertainty);
QString ConcentrationUncertainty(double value, double uncertainty);

// "4,77 ± 0,02": a pKa or a pH, two to four decimals.
QString PlusMinus(double value, double uncertainty);
// The value and the uncertainty of PlusMinus apart.
QString PHValue(double value, double uncertainty);
QString PHUncertainty(double uncertainty);

}  // namespace FitText
