#pragma once

#include "chemistry/MixtureFit.h"

#include <QList>
#include <QPointF>

#include <optional>

// Which simple model describes a measured curve best, so that the model dialog can open on it:
// a strong species, a weak one of one, two or three acidities, a strong and a weak one mixed;
// in the beaker acids when the curve rises, bases when it falls.
namespace ModelChoice {

enum class Kind {
    StrongAcid,
    WeakAcid,
    Diacid,
    Triacid,
    StrongAndWeakAcids,
    StrongBase,
    WeakBase,
    Dibase,
    Tribase,
    StrongAndWeakBases,
};

struct Choice {
    Kind kind = Kind::WeakAcid;
    MixtureFit::Model model;  // with its fitted concentration and pKa
    double residualSdPH = 0.0;
};

// Records longer than this are thinned evenly to it before the fits.
inline constexpr qsizetype kMostPoints = 200;

// Each candidate is fitted (concentration and pKa, no offset) and they are compared by the
// Bayesian information criterion, n ln(S/n) + k ln n for S the sum of squares of n residuals
// and k parameters: a pKa more must lower the sum of squares by more than the chance of the
// readings would. Empty when no candidate can be fitted.
std::optional<Choice> Best(const QList<QPointF>& points, double beakerVolumeMl, double buretteMolPerL);

}  // namespace ModelChoice
