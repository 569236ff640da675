#include "chemistry/SpeciesFractions.h"

#include <algorithm>
#include <cmath>

namespace SpeciesFractions {

std::vector<double> Fractions(const std::vector<double>& pKa, double pH)
{
    // Form j weighs 10^(j pH - pKa1 - ... - pKaj); taken relative to the heaviest, so that no
    // power overflows whatever the pH.
    std::vector<double> logWeight(pKa.size() + 1, 0.0);
    for (std::size_t j = 1; j < logWeight.size(); ++j)
        logWeight[j] = logWeight[j - 1] + pH - pKa[j - 1];
    const double heaviest = *std::max_element(logWeight.begin(), logWeight.end());
    double sum = 0.0;
    for (double& w : logWeight)
        sum += (w = std::pow(10.0, w - heaviest));
    for (double& w : logWeight)
        w /= sum;
    return logWeight;
}

namespace {

std::vector<Curve> Along(const MixtureTitration::Titration& titration, const std::vector<double>& pH)
{
    std::vector<Curve> curves;
    for (std::size_t i = 0; i < titration.beaker.size(); ++i) {
        const MixtureTitration::Component& c = titration.beaker[i];
        if (c.couple.Strong())
            continue;
        const std::size_t first = curves.size();
        for (const QString& name : c.couple.species) {
            Curve curve;
            curve.species = name;
            curve.component = static_cast<int>(i);
            curve.totalMmol = c.molPerL * titration.beakerVolumeMl;
            curve.percent.reserve(pH.size());
            curves.push_back(std::move(curve));
        }
        for (double p : pH) {
            const std::vector<double> shares = Fractions(c.couple.pKa, p);
            for (std::size_t j = 0; j < shares.size() && first + j < curves.size(); ++j)
                curves[first + j].percent.push_back(100.0 * shares[j]);
        }
    }
    return curves;
}

}  // namespace

std::vector<Curve> AlongVolume(const MixtureTitration::Titration& titration, const std::vector<double>& addedMl)
{
    return Along(titration, MixtureTitration::PHAt(titration, addedMl));
}

std::vector<Curve> AlongPH(const MixtureTitration::Titration& titration, const std::vector<double>& pH)
{
    return Along(titration, pH);
}

}  // namespace SpeciesFractions
