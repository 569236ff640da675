#pragma once

#include "data/HeaderValues.h"

#include <QString>

#include <QStringList>

#include <optional>
#include <vector>

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

// Several equivalences: what the beaker holds decides which step gives which concentration.
// Each step exchanges one proton per molecule of one species.
enum class Content {
    OneSpecies,  // one acid or base, of one or several acidities (H3PO4, CO3 2−)
    TwoSpecies,  // a mixture of two acids or two bases, the stronger titrated first
};

// Ca of each species, mol/L, from the equivalence volumes in order (mL). One species: its first
// equivalence, Cb x Ve1 / Va, whatever the later ones. Two species: Cb x Ve1 / Va and
// Cb x (Ve2 - Ve1) / Va. Empty unless the quantities were confirmed and read, or for a mixture
// with fewer than two equivalences.
std::vector<double> BeakerConcentrations(const std::vector<double>& veMl, Content content, const HeaderValues& values);

// What the equivalences' status text gains: one species as StatusSuffix; two " ; C1 = 1,00 ×
// 10⁻¹ mol/L ; C2 = 5,00 × 10⁻² mol/L"; the hint when Cb or Va is missing; "concentrations :
// deux équivalences sont nécessaires pour un mélange" when one is found.
QString StatusSuffix(const std::vector<double>& veMl, Content content, const HeaderValues& values);
// One concentration: ClipboardLine. Two: "Concentration de l'espèce 1 dans le bécher en
// mol/L" TAB value CR, then the second.
QString ClipboardLines(const std::vector<double>& ca);
// The lab report's lines: "Concentration dans le bécher : Ca = 1,00 × 10⁻² mol/L", or for two
// species "Concentration de l'espèce 1 dans le bécher : C1 = ..." and the second.
QStringList ReportLines(const std::vector<double>& ca);

}  // namespace TitrationConcentration
