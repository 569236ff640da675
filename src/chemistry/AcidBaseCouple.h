#pragma once

#include <QString>
#include <QStringList>

#include <vector>

// An acid and its successive bases: H3PO4, H2PO4−, HPO4 2−, PO4 3− with the pKa of each step
// at 25 °C, or a strong acid or base, which has no pKa. Species are written as chemists write
// them in plain text: the charge after a space, with the minus sign U+2212 ("HPO4 2−").
struct AcidBaseCouple {
    // Named after the form that carries every acidity, and after the one that carries none:
    // "acide phosphorique", "ion phosphate".
    QString acidName;
    QString baseName;
    bool baseFeminine = false;  // "titrée" rather than "titré"
    // From the most protonated form down: pKa.size() + 1 species, or one for a strong acid or
    // base (H3O+, HO−).
    QStringList species;
    // Ascending: pKa[0] is the first proton given up. Empty for a strong acid or base.
    std::vector<double> pKa;

    bool Strong() const { return pKa.empty(); }
    // How many protons the acid form gives up: 1 for a strong acid or base.
    int Acidities() const { return pKa.empty() ? 1 : static_cast<int>(pKa.size()); }
};

namespace AcidBaseCouples {

inline constexpr int kMaximumAcidities = 3;

AcidBaseCouple StrongAcid();  // "acide fort", H3O+
AcidBaseCouple StrongBase();  // "base forte", HO−

// A weak acid of unnamed formula, neutral when it carries every proton: "HA", "A−"; "H2A",
// "HA−", "A 2−"; "H3A" ... "A 3−". Its names are "acide faible", "diacide faible", ...
AcidBaseCouple WeakAcid(const std::vector<double>& pKa);
// A weak base of unnamed formula, neutral when it carries no proton: "BH+", "B"; "BH2 2+",
// "BH+", "B"; ... Its names are "base faible", "dibase faible", ...
AcidBaseCouple WeakBase(const std::vector<double>& pKa);

// The usual couples of the school lab with their pKa at 25 °C from a standard table: phosphoric,
// carbonic, citric, oxalic, ascorbic, ethanoic, methanoic, benzoic, lactic acids, the ammonium and
// methylammonium ions. A copy: the caller may change its values.
std::vector<AcidBaseCouple> Common();

// The couple of `couples` whose acid or base name is `name`; null when none is.
const AcidBaseCouple* Find(const std::vector<AcidBaseCouple>& couples, const QString& name);

// "CH3COOH/CH3COO−": the couple of step `acidity` (0 for the first proton given up).
QString StepName(const AcidBaseCouple& couple, int acidity);

// The name with ASCII '-' for the minus sign, for texts that leave the program in a code page
// that has no U+2212.
QString Plain(const QString& text);

}  // namespace AcidBaseCouples
