#pragma once

#include "chemistry/MixtureTitration.h"

#include <QList>
#include <QPointF>
#include <QString>

#include <optional>
#include <vector>

// A model of several acidities or two species set beside the measured curve, and the least-
// squares fit of the parameters the user ticks: the concentration of each species, any of
// their pKa, an offset of the electrode. The texts of a one-species, one-acidity model are
// those of TitrationFit.
namespace MixtureFit {

struct Model {
    MixtureTitration::Titration titration;
    double pHOffset = 0.0;  // what the electrode reads above the true pH
};

double ModelPH(const Model& model, double addedMl);
// The model's curve for drawing, closer where the pH moves fast (CurveSampling).
QList<QPointF> Curve(const Model& model, double fromMl, double toMl);

struct Parameter {
    enum class Kind { Concentration, PKa, PHOffset };
    Kind kind = Kind::Concentration;
    int component = 0;  // in the beaker; for a concentration or a pKa
    int acidity = 0;    // in the couple's pKa; for a pKa
    bool operator==(const Parameter&) const = default;
};

// Every parameter of `model` a fit can adjust: each species' concentration, each pKa of a weak
// species, the offset; in that order.
std::vector<Parameter> Parameters(const Model& model);

// "Ca" (one species) or "C(CH3COOH)"; "pKa", "pKa2" (one species of several acidities) or
// "pKa(CH3COOH/CH3COO−)"; "décalage du pH".
QString ParameterName(const Model& model, const Parameter& parameter);

struct Estimate {
    Parameter parameter;
    double value = 0.0;       // mol/L, or pH units
    double uncertainty = 0.0;  // standard uncertainty
};

struct Result {
    Model model;  // with the fitted values
    std::vector<Estimate> estimates;  // in the order of the adjusted parameters
    // Covariance of the estimates, same order and units.
    std::vector<std::vector<double>> covariance;
    // sqrt(sum of squared residuals / (points - adjusted parameters)).
    double residualSdPH = 0.0;
    std::vector<double> equivalenceMl;  // every stoichiometric equivalence of the fitted model
};

struct Outcome {
    std::optional<Result> result;
    QString refusal;  // French, when there is no result
};

inline constexpr int kMinimumPoints = 5;
inline constexpr double kMinimumChangePH = 1.0;
inline constexpr double kMaximumResidualSdPH = 1.0;

// Least squares on the pH of the parameters in `adjusted`; the others keep `start`'s values,
// which is never changed. Besides `start`, the curve suggests starts: concentrations that put
// the steps along the measured volumes, then pKa read at the middle of each step. Fits go from
// the best few, and the lowest converged one is kept.
Outcome Fit(const Model& start, const std::vector<Parameter>& adjusted, const QList<QPointF>& points);

// "acide phosphorique titré par une base forte", "mélange acide fort + acide éthanoïque titré
// par une base forte".
QString Description(const Model& model);
// "Modèle : Ca = (0,10001 ± 0,00031) mol/L ; pKa1 = 2,15 ± 0,02 ; pKa2 = 7,20 ± 0,01 ;
// écart-type 0,01 pH ; Ve1 = 10,00 mL ; Ve2 = 20,00 mL ; Ve3 = 30,00 mL".
QString ResultText(const Result& result);
// Caption TAB value CR for each line, as a spreadsheet pastes it.
QString ClipboardLines(const Result& result);

}  // namespace MixtureFit
