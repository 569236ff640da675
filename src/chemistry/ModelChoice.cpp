#include "chemistry/ModelChoice.h"

#include <algorithm>
#include <cmath>

namespace ModelChoice {

namespace {

MixtureFit::Model Candidate(Kind kind, double beakerVolumeMl, double buretteMolPerL)
{
    using namespace MixtureTitration;
    using namespace AcidBaseCouples;
    // Starting values only: the fit places the steps along the curve and reads the pKa there.
    constexpr double kStart = 0.01;
    std::vector<Component> beaker;
    switch (kind) {
    case Kind::StrongAcid:
        beaker = {Acid(StrongAcid(), kStart)};
        break;
    case Kind::WeakAcid:
        beaker = {Acid(WeakAcid({TitrationChemistry::kEthanoicPKa}), kStart)};
        break;
    case Kind::Diacid:
        beaker = {Acid(WeakAcid({3.0, 8.0}), kStart)};
        break;
    case Kind::Triacid:
        beaker = {Acid(WeakAcid({2.5, 7.0, 11.5}), kStart)};
        break;
    case Kind::StrongAndWeakAcids:
        beaker = {Acid(StrongAcid(), kStart), Acid(WeakAcid({TitrationChemistry::kEthanoicPKa}), kStart)};
        break;
    case Kind::StrongBase:
        beaker = {Base(StrongBase(), kStart)};
        break;
    case Kind::WeakBase:
        beaker = {Base(WeakBase({TitrationChemistry::kAmmoniumPKa}), kStart)};
        break;
    case Kind::Dibase:
        beaker = {Base(WeakBase({6.0, 10.0}), kStart)};
        break;
    case Kind::Tribase:
        beaker = {Base(WeakBase({2.5, 7.0, 11.5}), kStart)};
        break;
    case Kind::StrongAndWeakBases:
        beaker = {Base(StrongBase(), kStart), Base(WeakBase({TitrationChemistry::kAmmoniumPKa}), kStart)};
        break;
    }
    const Reagent reagent = beaker.front().protons > 0 ? Reagent::StrongBase : Reagent::StrongAcid;
    MixtureFit::Model model;
    model.titration = Make(std::move(beaker), beakerVolumeMl, reagent, buretteMolPerL);
    return model;
}

}  // namespace

std::optional<Choice> Best(const QList<QPointF>& measured, double beakerVolumeMl, double buretteMolPerL)
{
    // A choice needs the curve's shape, not every reading: a long record is thinned evenly.
    QList<QPointF> points;
    for (const QPointF& p : measured)
        if (std::isfinite(p.x()) && std::isfinite(p.y()))
            points.append(p);
    std::stable_sort(points.begin(), points.end(), [](const QPointF& a, const QPointF& b) { return a.x() < b.x(); });
    if (points.size() > kMostPoints) {
        QList<QPointF> thinned;
        for (qsizetype i = 0; i < kMostPoints; ++i)
            thinned.append(points[i * (points.size() - 1) / (kMostPoints - 1)]);
        points = thinned;
    }
    std::optional<Choice> best;
    double bestCriterion = HUGE_VAL;
    for (const Kind kind : {Kind::StrongAcid, Kind::WeakAcid, Kind::Diacid, Kind::Triacid, Kind::StrongAndWeakAcids,
                            Kind::StrongBase, Kind::WeakBase, Kind::Dibase, Kind::Tribase, Kind::StrongAndWeakBases}) {
        const MixtureFit::Model start = Candidate(kind, beakerVolumeMl, buretteMolPerL);
        std::vector<MixtureFit::Parameter> adjusted = MixtureFit::Parameters(start);
        adjusted.pop_back();  // the offset
        const MixtureFit::Outcome outcome = MixtureFit::Fit(start, adjusted, points);
        if (!outcome.result)
            continue;  // a model of the other direction, or one that does not describe the curve
        const MixtureFit::Result& r = *outcome.result;
        const double k = static_cast<double>(adjusted.size());
        const double n = static_cast<double>(points.size());
        const double sum = r.residualSdPH * r.residualSdPH * (n - k);
        // A perfect fit (sum 0) would make the criterion -infinity: a floor far below any reading.
        const double criterion = n * std::log(std::max(sum, 1e-300) / n) + k * std::log(n);
        if (criterion < bestCriterion) {
            bestCriterion = criterion;
            best = Choice{kind, r.model, r.residualSdPH};
        }
    }
    return best;
}

}  // namespace ModelChoice
