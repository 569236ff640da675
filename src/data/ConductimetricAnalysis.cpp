#include "data/ConductimetricAnalysis.h"

#include "data/NumberText.h"
#include "data/TitrationAnalysis.h"
#include "data/TitrationConcentration.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace ConductimetricAnalysis {

namespace {

QString TooFewText()
{
    return QStringLiteral("Trop peu de points pour tracer deux droites : il en faut au moins %1, "
                          "à des volumes différents.")
        .arg(2 * kMinimumSidePoints);
}

QString NoBreakText()
{
    return QStringLiteral("Pas de rupture de pente : les points suivent une seule droite.");
}

QString NoCrossingText()
{
    return QStringLiteral("Les deux droites ne se coupent pas dans le domaine des volumes mesurés.");
}

QString RangeTooSmallText(const QString& side, Range range)
{
    return QStringLiteral("Moins de %1 points %2 l'équivalence (de %3 à %4 mL) : élargissez ce domaine.")
        .arg(kMinimumSidePoints)
        .arg(side, NumberText::General(range.fromMl), NumberText::General(range.toMl));
}

// `digits` significant digits, no more decimals than they need.
QString Significant(double value, int digits)
{
    if (value == 0.0 || !std::isfinite(value))
        return NumberText::Fixed(value, digits, 0);
    const int magnitude = static_cast<int>(std::floor(std::log10(std::abs(value))));
    return NumberText::Fixed(value, digits, std::max(0, digits - 1 - magnitude));
}

// The least-squares line through curve[first, last).
Line Fit(const QList<QPointF>& curve, qsizetype first, qsizetype last)
{
    Line line;
    line.count = static_cast<int>(last - first);
    double meanY = 0.0;
    for (qsizetype i = first; i < last; ++i) {
        line.meanMl += curve[i].x();
        meanY += curve[i].y();
    }
    line.meanMl /= line.count;
    meanY /= line.count;
    double sxy = 0.0;
    for (qsizetype i = first; i < last; ++i) {
        const double dx = curve[i].x() - line.meanMl;
        line.sxx += dx * dx;
        sxy += dx * (curve[i].y() - meanY);
    }
    line.slope = line.sxx > 0.0 ? sxy / line.sxx : 0.0;
    line.intercept = meanY - line.slope * line.meanMl;
    double squares = 0.0;
    for (qsizetype i = first; i < last; ++i) {
        const double r = curve[i].y() - line.At(curve[i].x());
        squares += r * r;
    }
    line.residualVariance = line.count > 2 ? squares / (line.count - 2) : 0.0;
    return line;
}

// Sums over prefixes of the curve, taken about its mean point so that the differences that
// make a residual keep their digits: the squared residual of any run in constant time.
class PrefixSums {
public:
    explicit PrefixSums(const QList<QPointF>& curve)
    {
        double x0 = 0.0, y0 = 0.0;
        for (const QPointF& p : curve) {
            x0 += p.x();
            y0 += p.y();
        }
        x0 /= static_cast<double>(curve.size());
        y0 /= static_cast<double>(curve.size());
        sums_.assign(curve.size() + 1, Sums{});
        for (qsizetype i = 0; i < curve.size(); ++i) {
            const double x = curve[i].x() - x0, y = curve[i].y() - y0;
            const Sums& s = sums_[static_cast<std::size_t>(i)];
            sums_[static_cast<std::size_t>(i) + 1] = {s.x + x, s.y + y, s.xx + x * x, s.xy + x * y, s.yy + y * y};
        }
    }

    // Sum of squared residuals about the least-squares line through points [first, last).
    double Squares(qsizetype first, qsizetype last) const
    {
        const Sums& a = sums_[static_cast<std::size_t>(first)];
        const Sums& b = sums_[static_cast<std::size_t>(last)];
        const double n = static_cast<double>(last - first);
        const double sx = b.x - a.x, sy = b.y - a.y;
        const double sxx = (b.xx - a.xx) - sx * sx / n;
        const double sxy = (b.xy - a.xy) - sx * sy / n;
        const double syy = (b.yy - a.yy) - sy * sy / n;
        return std::max(0.0, sxx > 0.0 ? syy - sxy * sxy / sxx : syy);
    }

private:
    struct Sums {
        double x = 0.0, y = 0.0, xx = 0.0, xy = 0.0, yy = 0.0;
    };
    std::vector<Sums> sums_;
};

// A beaker volume that can correct anything: positive and finite.
bool Corrects(std::optional<double> beakerVolumeMl)
{
    return beakerVolumeMl && *beakerVolumeMl > 0.0 && std::isfinite(*beakerVolumeMl);
}

QList<QPointF> Prepared(const QList<QPointF>& points, std::optional<double> beakerVolumeMl)
{
    const QList<QPointF> curve = TitrationAnalysis::CurvePoints(points);
    return Corrects(beakerVolumeMl) ? DilutionCorrected(curve, *beakerVolumeMl) : curve;
}

// The intersection of the lines fitted on curve[b0, b1) and curve[a0, a1).
Outcome Intersect(const QList<QPointF>& curve, qsizetype b0, qsizetype b1, qsizetype a0, qsizetype a1, bool corrected)
{
    Outcome outcome;
    Result r;
    r.before = Fit(curve, b0, b1);
    r.after = Fit(curve, a0, a1);
    r.beforeRange = {curve[b0].x(), curve[b1 - 1].x()};
    r.afterRange = {curve[a0].x(), curve[a1 - 1].x()};
    r.dilutionCorrected = corrected;
    const double change = r.before.slope - r.after.slope;
    const double changeSd = std::sqrt(r.before.SlopeVariance() + r.after.SlopeVariance());
    const double steeper = std::max(std::abs(r.before.slope), std::abs(r.after.slope));
    if (!(std::abs(change) > kBreakSignificance * changeSd && std::abs(change) > kMinimumSlopeChange * steeper)) {
        outcome.refusal = NoBreakText();
        return outcome;
    }
    r.volumeMl = (r.after.intercept - r.before.intercept) / change;
    if (!std::isfinite(r.volumeMl) || r.volumeMl < curve.front().x() || r.volumeMl > curve.back().x()) {
        outcome.refusal = NoCrossingText();
        return outcome;
    }
    r.value = r.before.At(r.volumeMl);
    // Ve moves by the lines' vertical error at Ve over the angle between them; each line's
    // value there carries its intercept's and slope's errors, uncorrelated about its mean.
    r.standardUncertaintyMl =
        std::sqrt(r.before.VarianceAt(r.volumeMl) + r.after.VarianceAt(r.volumeMl)) / std::abs(change);
    outcome.result = r;
    return outcome;
}

}  // namespace

double Line::VarianceAt(double volumeMl) const
{
    if (count <= 0)
        return 0.0;
    const double d = volumeMl - meanMl;
    return residualVariance * (1.0 / count + (sxx > 0.0 ? d * d / sxx : 0.0));
}

std::optional<double> BeakerVolumeMl(const HeaderValues& values)
{
    if (!values.quantitiesConfirmed)
        return std::nullopt;
    const std::optional<double> litres = TitrationConcentration::ReadQuantity(values.beakerVolume);
    if (!litres)
        return std::nullopt;
    return *litres * 1000.0;
}

QList<QPointF> DilutionCorrected(const QList<QPointF>& points, double beakerVolumeMl)
{
    QList<QPointF> corrected;
    corrected.reserve(points.size());
    for (const QPointF& p : points)
        corrected.append(QPointF(p.x(), p.y() * (beakerVolumeMl + p.x()) / beakerVolumeMl));
    return corrected;
}

Outcome Analyse(const QList<QPointF>& points, std::optional<double> beakerVolumeMl)
{
    const QList<QPointF> curve = Prepared(points, beakerVolumeMl);
    const qsizetype n = curve.size();
    if (n < 2 * kMinimumSidePoints)
        return {std::nullopt, TooFewText()};
    const PrefixSums sums(curve);
    qsizetype split = kMinimumSidePoints;
    double best = std::numeric_limits<double>::infinity();
    for (qsizetype k = kMinimumSidePoints; k <= n - kMinimumSidePoints; ++k) {
        const double squares = sums.Squares(0, k) + sums.Squares(k, n);
        if (squares < best) {
            best = squares;
            split = k;
        }
    }
    const qsizetype width = std::min(split, n - split);
    return Intersect(curve, split - width, split, split, split + width, Corrects(beakerVolumeMl));
}

Outcome Analyse(const QList<QPointF>& points, std::optional<double> beakerVolumeMl, Range before, Range after)
{
    const QList<QPointF> curve = Prepared(points, beakerVolumeMl);
    // The run of points inside a range, its ends rounded as the table writes volumes.
    const auto run = [&curve](Range range) {
        const double low = std::min(range.fromMl, range.toMl) - 1e-9;
        const double high = std::max(range.fromMl, range.toMl) + 1e-9;
        const auto first = std::lower_bound(curve.begin(), curve.end(), low,
                                            [](const QPointF& p, double v) { return p.x() < v; });
        const auto last = std::upper_bound(curve.begin(), curve.end(), high,
                                           [](double v, const QPointF& p) { return v < p.x(); });
        return std::pair<qsizetype, qsizetype>(first - curve.begin(), std::max(first, last) - curve.begin());
    };
    const auto [b0, b1] = run(before);
    const auto [a0, a1] = run(after);
    if (b1 - b0 < kMinimumSidePoints)
        return {std::nullopt, RangeTooSmallText(QStringLiteral("avant"), before)};
    if (a1 - a0 < kMinimumSidePoints)
        return {std::nullopt, RangeTooSmallText(QStringLiteral("après"), after)};
    return Intersect(curve, b0, b1, a0, a1, Corrects(beakerVolumeMl));
}

QString ResultText(const Result& result)
{
    return QStringLiteral("Équivalence (conductimétrie) : Ve = %1 mL").arg(NumberText::Fixed(result.volumeMl, 15, 2));
}

QString UncorrectedText()
{
    return QStringLiteral("Va inconnu : conductivité sans correction de la dilution");
}

QString ClipboardResults(const Result& result, const QString& unit)
{
    const auto line = [](const QString& caption, const QString& value) {
        return caption + QLatin1Char('\t') + value + QLatin1Char('\r');
    };
    QString text = line(QStringLiteral("Volume à l'équivalence (conductimétrie) en mL"),
                        NumberText::Fixed(result.volumeMl, 15, 2));
    text += line(QStringLiteral("Incertitude-type de l'intersection en mL"),
                 NumberText::Fixed(result.standardUncertaintyMl, 15, 3));
    text += line(QStringLiteral("Pente avant l'équivalence en %1 par mL").arg(unit), Significant(result.before.slope, 4));
    text += line(QStringLiteral("Pente après l'équivalence en %1 par mL").arg(unit), Significant(result.after.slope, 4));
    text += line(QStringLiteral("Correction de la dilution"),
                 result.dilutionCorrected ? QStringLiteral("oui") : QStringLiteral("non"));
    return text;
}

}  // namespace ConductimetricAnalysis
