#include "chemistry/TitrationConductivity.h"

#include <algorithm>
#include <cmath>

namespace TitrationConductivity {

namespace {

using namespace TitrationChemistry;

// λ in mS·m²/mol times c in mol/L: c is 1000 c mol/m³, so λc is 1000 λc mS/m, that is
// 10 λc mS/cm.
constexpr double kMilliSiemensPerCmPerUnit = 10.0;

Concentrations FromPH(const Titration& t, double addedMl, double pH)
{
    const double added = std::max(0.0, addedMl);
    const double totalMl = t.beakerVolumeMl + added;
    const double beaker = t.beakerMolPerL * t.beakerVolumeMl / totalMl;
    const double h = std::pow(10.0, -pH);
    const double ka = std::pow(10.0, -t.pKa);
    Concentrations c;
    c.hydronium = h;
    c.hydroxide = kWaterIonProduct / h;
    c.buretteIon = t.buretteMolPerL * added / totalMl;
    switch (t.species) {
    case Species::StrongAcid:
    case Species::StrongBase:
        c.beakerIon = beaker;
        break;
    case Species::WeakAcid:
        c.beakerIon = beaker * ka / (ka + h);  // A-
        break;
    case Species::WeakBase:
        c.beakerIon = beaker * h / (ka + h);  // BH+
        break;
    }
    return c;
}

}  // namespace

Ions IonsOf(const Titration& titration)
{
    Ions ions;
    switch (titration.species) {
    case Species::StrongAcid:
        ions.beakerIon = kChloride;
        break;
    case Species::StrongBase:
        ions.beakerIon = kSodium;
        break;
    case Species::WeakAcid:
        ions.beakerIon = kEthanoate;
        break;
    case Species::WeakBase:
        ions.beakerIon = kAmmonium;
        break;
    }
    ions.buretteIon = titration.reagent == Reagent::StrongBase ? kSodium : kChloride;
    return ions;
}

Concentrations SpeciesAt(const Titration& titration, double addedMl)
{
    return FromPH(titration, addedMl, PH(titration, addedMl));
}

double MilliSiemensPerCm(const Concentrations& c, const Ions& ions)
{
    return kMilliSiemensPerCmPerUnit * (ions.hydronium * c.hydronium + ions.hydroxide * c.hydroxide
                                        + ions.beakerIon * c.beakerIon + ions.buretteIon * c.buretteIon);
}

double MilliSiemensPerCm(const Titration& titration, double addedMl)
{
    return MilliSiemensPerCm(titration, IonsOf(titration), addedMl);
}

double MilliSiemensPerCm(const Titration& titration, const Ions& ions, double addedMl)
{
    return MilliSiemensPerCm(SpeciesAt(titration, addedMl), ions);
}

std::vector<double> MilliSiemensPerCmAt(const Titration& titration, const std::vector<double>& addedMl)
{
    const std::vector<double> pH = PHAt(titration, addedMl);
    const Ions ions = IonsOf(titration);
    std::vector<double> sigma(addedMl.size());
    for (std::size_t i = 0; i < addedMl.size(); ++i)
        sigma[i] = MilliSiemensPerCm(FromPH(titration, addedMl[i], pH[i]), ions);
    return sigma;
}

double MilliSiemensPerCm(Acid acid, double acidMolPerL, double acidVolumeMl, double baseMolPerL, double baseVolumeMl)
{
    Titration t;
    t.species = acid == Acid::Hydrochloric ? Species::StrongAcid : Species::WeakAcid;
    t.pKa = kEthanoicPKa;
    t.beakerMolPerL = acidMolPerL;
    t.beakerVolumeMl = acidVolumeMl;
    t.reagent = Reagent::StrongBase;
    t.buretteMolPerL = baseMolPerL;
    return MilliSiemensPerCm(t, baseVolumeMl);
}

}  // namespace TitrationConductivity
