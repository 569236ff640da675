#include "chemistry/AcidBaseCouple.h"

#include "chemistry/TitrationChemistry.h"

namespace AcidBaseCouples {

namespace {

const QChar kMinus(0x2212);

// "+", "−", " 2+", " 3−": the charge as it follows a formula.
QString Charge(int charge)
{
    if (charge == 0)
        return {};
    const QString sign = charge > 0 ? QStringLiteral("+") : QString(kMinus);
    const int size = charge > 0 ? charge : -charge;
    return size == 1 ? sign : QStringLiteral(" %1").arg(size) + sign;
}

// "H2" before a letter: the protons a form carries.
QString Hydrogens(int count)
{
    if (count == 0)
        return {};
    return count == 1 ? QStringLiteral("H") : QStringLiteral("H%1").arg(count);
}

// "acide faible", "diacide faible", "triacide faible".
QString Multiple(int acidities, const QString& one)
{
    switch (acidities) {
    case 1:
        return one;
    case 2:
        return QStringLiteral("di") + one;
    default:
        return QStringLiteral("tri") + one;
    }
}

AcidBaseCouple Couple(const QString& acidName, const QString& baseName, bool baseFeminine, const QStringList& species,
                      const std::vector<double>& pKa)
{
    AcidBaseCouple c;
    c.acidName = acidName;
    c.baseName = baseName;
    c.baseFeminine = baseFeminine;
    c.species = species;
    c.pKa = pKa;
    return c;
}

}  // namespace

AcidBaseCouple StrongAcid()
{
    return Couple(QStringLiteral("acide fort"), QStringLiteral("acide fort"), false, {QStringLiteral("H3O+")}, {});
}

AcidBaseCouple StrongBase()
{
    return Couple(QStringLiteral("base forte"), QStringLiteral("base forte"), true, {QStringLiteral("HO") + kMinus}, {});
}

AcidBaseCouple WeakAcid(const std::vector<double>& pKa)
{
    const int n = static_cast<int>(pKa.size());
    QStringList species;
    for (int lost = 0; lost <= n; ++lost)
        species << Hydrogens(n - lost) + QStringLiteral("A") + Charge(-lost);
    const QString name = Multiple(n, QStringLiteral("acide faible"));
    return Couple(name, QStringLiteral("base conjuguée"), true, species, pKa);
}

AcidBaseCouple WeakBase(const std::vector<double>& pKa)
{
    const int n = static_cast<int>(pKa.size());
    QStringList species;
    for (int lost = 0; lost <= n; ++lost)
        species << QStringLiteral("B") + Hydrogens(n - lost) + Charge(n - lost);
    const QString name = Multiple(n, QStringLiteral("base faible"));
    return Couple(QStringLiteral("acide conjugué"), name, true, species, pKa);
}

std::vector<AcidBaseCouple> Common()
{
    const QChar m = kMinus;
    auto s = [](const char* text) { return QString::fromUtf8(text); };
    return {
        Couple(s("acide phosphorique"), s("ion phosphate"), false,
               {s("H3PO4"), s("H2PO4") + m, s("HPO4 2") + m, s("PO4 3") + m}, {2.15, 7.20, 12.35}),
        Couple(s("acide carbonique"), s("ion carbonate"), false, {s("CO2,H2O"), s("HCO3") + m, s("CO3 2") + m},
               {6.35, 10.33}),
        Couple(s("acide citrique"), s("ion citrate"), false,
               {s("C6H8O7"), s("C6H7O7") + m, s("C6H6O7 2") + m, s("C6H5O7 3") + m}, {3.13, 4.76, 6.40}),
        Couple(s("acide oxalique"), s("ion oxalate"), false, {s("H2C2O4"), s("HC2O4") + m, s("C2O4 2") + m},
               {1.25, 4.14}),
        Couple(s("acide ascorbique"), s("ion ascorbate"), false, {s("C6H8O6"), s("C6H7O6") + m, s("C6H6O6 2") + m},
               {4.10, 11.60}),
        Couple(s("acide éthanoïque"), s("ion éthanoate"), false, {s("CH3COOH"), s("CH3COO") + m},
               {TitrationChemistry::kEthanoicPKa}),
        Couple(s("acide méthanoïque"), s("ion méthanoate"), false, {s("HCOOH"), s("HCOO") + m}, {3.75}),
        Couple(s("acide benzoïque"), s("ion benzoate"), false, {s("C6H5COOH"), s("C6H5COO") + m}, {4.20}),
        Couple(s("acide lactique"), s("ion lactate"), false, {s("CH3CHOHCOOH"), s("CH3CHOHCOO") + m}, {3.86}),
        Couple(s("ion ammonium"), s("ammoniac"), false, {s("NH4+"), s("NH3")}, {TitrationChemistry::kAmmoniumPKa}),
        Couple(s("ion méthylammonium"), s("méthylamine"), true, {s("CH3NH3+"), s("CH3NH2")}, {10.64}),
    };
}

const AcidBaseCouple* Find(const std::vector<AcidBaseCouple>& couples, const QString& name)
{
    for (const AcidBaseCouple& c : couples)
        if (c.acidName == name || c.baseName == name)
            return &c;
    return nullptr;
}

QString StepName(const AcidBaseCouple& couple, int acidity)
{
    if (acidity < 0 || acidity + 1 >= couple.species.size())
        return couple.species.value(0);
    return couple.species[acidity] + QLatin1Char('/') + couple.species[acidity + 1];
}

QString Plain(const QString& text)
{
    QString plain = text;
    return plain.replace(kMinus, QLatin1Char('-'));
}

}  // namespace AcidBaseCouples
