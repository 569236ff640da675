#pragma once

#include "HeaderValues.h"

#include <QString>

#include <optional>

// The concentration of the beaker's solution that follows from the equivalence volume: at
// equivalence the moles poured from the burette match those in the beaker, so
// Ca = Cb x Ve / Va (Ve and Va in one unit). Cb and Va are the texts of the comment dialog.
namespace TitrationConcentration {

// A quantity as typed: ',' or '.' as decimal separator. Empty when missing, unreadable or not
// greater than 0.
std::optional<double> ReadQuantity(const QString& text);

// Ca in mol/L for Ve in mL, Cb in mol/L and Va in L. Empty unless the quantities were
// confirmed (typed in the comment dialog or read from a file) and both read as numbers > 0.
std::optional<double> BeakerConcentration(double veMl, const HeaderValues& values);

// Three significant digits as a spreadsheet reads them: "1,00E-2".
QString Scientific(double value);
// Three significant digits as a student writes them: "1,00 × 10⁻²" ("1,50" without a power).
QString StudentForm(double value);

// "concentration : précisez Cb et Va dans Edition > Ajouter un commentaire"
QString HintText();
// What the equivalence's status text gains: " ; Ca = 1,00 × 10⁻² mol/L", or the hint.
QString StatusSuffix(const std::optional<double>& ca);
// "Concentration dans le bécher en mol/L" TAB "1,00E-2" CR, after the equivalence lines.
QString ClipboardLine(double ca);

}  // namespace TitrationConcentration
