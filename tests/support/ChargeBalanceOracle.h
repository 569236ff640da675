#pragma once

#include <QList>
#include <QPointF>

#include <cmath>
#include <cstdint>
#include <vector>

// Titration curves computed apart from the program's solver, as the tests' oracle: the charge
// balance written with the charge of every form and the counter-ions of the salts, in which the
// volume of reagent for a given pH is explicit. The pH at a given volume is found by bisection
// on that same balance.
namespace ChargeBalanceOracle {

inline constexpr double kKw = 1e-14;

// A weak acid and its bases: forms from `topCharge` (all protons on) down by one per pKa.
struct Weak {
    double molPerL = 0.0;
    std::vector<double> pKa;
    int topCharge = 0;
};

struct Beaker {
    double sodiumMolPerL = 0.0;    // Na+ of NaOH or of a salt such as Na2CO3
    double chlorideMolPerL = 0.0;  // Cl- of HCl or of a salt such as NH4Cl
    std::vector<Weak> weak;
    double volumeMl = 10.0;
    bool baseReagent = true;  // NaOH poured, else HCl
    double reagentMolPerL = 0.1;
};

// Mean charge of a weak species' forms at [H+] = h: sum of z_j alpha_j with
// alpha_j proportional to h^(n-j) Ka1...Kaj.
inline double MeanCharge(const Weak& w, double h)
{
    const std::size_t n = w.pKa.size();
    std::vector<double> weight(n + 1);
    for (std::size_t j = 0; j <= n; ++j) {
        double product = std::pow(h, static_cast<double>(n - j));
        for (std::size_t i = 0; i < j; ++i)
            product *= std::pow(10.0, -w.pKa[i]);
        weight[j] = product;
    }
    double sum = 0.0, charge = 0.0;
    for (std::size_t j = 0; j <= n; ++j) {
        sum += weight[j];
        charge += (w.topCharge - static_cast<int>(j)) * weight[j];
    }
    return charge / sum;
}

// Charge of the beaker's own ions per litre of beaker solution, at [H+] = h.
inline double BeakerCharge(const Beaker& b, double h)
{
    double q = b.sodiumMolPerL - b.chlorideMolPerL;
    for (const Weak& w : b.weak)
        q += w.molPerL * MeanCharge(w, h);
    return q;
}

// (Va + V)(h - Kw/h) + Va Q(h) +- Cb V = 0, so V = -Va (h - Kw/h + Q) / (h - Kw/h +- Cb).
// Negative or infinite where no volume of reagent reaches that pH.
inline double VolumeAt(const Beaker& b, double pH)
{
    const double h = std::pow(10.0, -pH);
    const double water = h - kKw / h;
    const double reagent = b.baseReagent ? b.reagentMolPerL : -b.reagentMolPerL;
    return -b.volumeMl * (water + BeakerCharge(b, h)) / (water + reagent);
}

// The pH after `addedMl`, by bisection on the charge balance times the total volume, which
// falls as the pH rises.
inline double PHAt(const Beaker& b, double addedMl)
{
    auto balance = [&](double pH) {
        const double h = std::pow(10.0, -pH);
        const double reagent = b.baseReagent ? b.reagentMolPerL : -b.reagentMolPerL;
        return (b.volumeMl + addedMl) * (h - kKw / h) + b.volumeMl * BeakerCharge(b, h) + reagent * addedMl;
    };
    double low = -2.0, high = 16.0;
    for (int i = 0; i < 100; ++i) {
        const double middle = (low + high) / 2.0;
        (balance(middle) > 0.0 ? low : high) = middle;
    }
    return (low + high) / 2.0;
}

// Readings every `stepMl` from 0 to `lastMl` with an even error of up to `noisePH` drawn from
// `seed`, rounded to 0,001 pH as the table's cells hold them.
inline QList<QPointF> Readings(const Beaker& b, double stepMl, double lastMl, double noisePH, std::uint32_t seed)
{
    QList<QPointF> points;
    for (int i = 0; i * stepMl <= lastMl + 1e-9; ++i) {
        const double ml = i * stepMl;
        seed = seed * 1664525u + 1013904223u;
        const double noise = noisePH * (2.0 * (seed >> 8) / double(1u << 24) - 1.0);
        points.append(QPointF(ml, std::round((PHAt(b, ml) + noise) * 1000.0) / 1000.0));
    }
    return points;
}

// The curriculum's curves, 10 mL in the beaker, reagent at 0,1 mol/L.
inline Beaker PhosphoricAcid()  // 0,1 mol/L by NaOH: equivalences at 10 and 20 mL
{
    return Beaker{0.0, 0.0, {Weak{0.1, {2.15, 7.20, 12.35}, 0}}, 10.0, true, 0.1};
}

inline Beaker SodiumCarbonate()  // 0,1 mol/L by HCl: 10 and 20 mL
{
    return Beaker{0.2, 0.0, {Weak{0.1, {6.35, 10.33}, 0}}, 10.0, false, 0.1};
}

inline Beaker HydrochloricAndEthanoic()  // 0,1 mol/L each by NaOH: 10 and 20 mL
{
    return Beaker{0.0, 0.1, {Weak{0.1, {4.76}, 0}}, 10.0, true, 0.1};
}

}  // namespace ChargeBalanceOracle
