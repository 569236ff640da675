#include "data/PointReduction.h"

#include "data/MeasurementRecord.h"
#include "data/NumberText.h"

#include <algorithm>

namespace PointReduction {

namespace {

// Smallest multiple of g (g > 0) that is at least `low`, low of any sign.
std::int64_t FirstMultipleFrom(std::int64_t low, std::int64_t g)
{
    std::int64_t q = low / g;
    if (q * g < low)
        ++q;
    return q * g;
}

const Point& At(const std::vector<Point>& points, std::int64_t row)
{
    return points[static_cast<std::size_t>(row - 1)];
}

void AppendLine(QString& text, const Point& point, MeasuredQuantities::CellFormat format)
{
    text += NumberText::Fixed(point.pH, format.precision, format.decimals);
    text += QLatin1Char('\t');
    text += NumberText::Fixed(point.volume, 6, 6);
    text += QLatin1Char('\r');
}

}  // namespace

std::optional<Plan> MakePlan(std::int64_t n, std::int64_t k, std::int64_t e)
{
    Plan p;
    p.a = n / 10;
    p.b = k / 2;
    p.gs = p.b != 0 ? p.a / p.b : 0;
    if (p.gs == 0)
        p.gs = 1;
    const std::int64_t largeGroups = k - 2 - p.b;
    if (largeGroups <= 0)
        return std::nullopt;
    p.gl = (n - p.a) / largeGroups + 1;
    p.w = (k * p.gl - n) * p.gs;
    if (p.w < 1)
        return std::nullopt;
    p.d = p.gl - p.gs;
    if (p.d <= 0)
        return std::nullopt;
    p.h = p.w / p.d;
    p.s1 = ((e - p.h / 2) / p.gl + 1) * p.gl;
    p.s2 = p.s1 + p.a;
    return p;
}

std::vector<Point> ReadPoints(const MeasurementRecord& record)
{
    const auto& rows = record.Rows();
    const int last = std::min<int>(record.PointCount(), static_cast<int>(rows.size()) - 1);
    std::vector<Point> points;
    points.reserve(static_cast<std::size_t>(std::max(last, 0)));
    for (int r = 1; r <= last; ++r) {
        Point point;
        point.volume = NumberText::Parse(rows[r][MeasurementRecord::ColVolume]);
        point.pH = NumberText::Parse(rows[r][MeasurementRecord::ColPH]);
        points.push_back(point);
    }
    return points;
}

int SteepestRise(const std::vector<Point>& points)
{
    int e = 1;
    double best = 0;
    for (std::size_t i = 0; i + 1 < points.size(); ++i) {
        const double dV = points[i + 1].volume - points[i].volume;
        if (dV == 0)
            continue;
        const double s = (points[i + 1].pH - points[i].pH) / dV;
        if (s > best) {
            best = s;
            e = static_cast<int>(i) + 1;
        }
    }
    return e;
}

Point GroupMean(const std::vector<Point>& points, std::int64_t r, std::int64_t n)
{
    Point sum;
    for (std::int64_t i = r; i < r + n; ++i) {
        sum.pH += At(points, i).pH;
        sum.volume += At(points, i).volume;
    }
    return {sum.pH / static_cast<double>(n), sum.volume / static_cast<double>(n)};
}

Point FitEndPoint(const std::vector<Point>& points, std::int64_t r, End end)
{
    constexpr double n = kFitPoints;
    double sumV = 0;
    double sumPH = 0;
    double sumVPH = 0;
    double sumVV = 0;
    bool equalVolumes = true;
    for (std::int64_t i = r; i < r + kFitPoints; ++i) {
        const Point& p = At(points, i);
        sumV += p.volume;
        sumPH += p.pH;
        sumVPH += p.volume * p.pH;
        sumVV += p.volume * p.volume;
        equalVolumes = equalVolumes && p.volume == At(points, r).volume;
    }
    const double volume = end == End::First ? 0.0 : At(points, r + kFitPoints - 1).volume;
    if (equalVolumes)
        return {sumPH / n, volume};
    const double m = (n * sumVPH - sumV * sumPH) / (n * sumVV - sumV * sumV);
    const double c = (sumPH - m * sumV) / n;
    return {end == End::First ? c : m * volume + c, volume};
}

Result Reduce(const MeasurementRecord& record, int requested)
{
    if (requested < kMinimumRequested)
        return {};
    if (record.PointCount() == 0 || requested >= record.PointCount()) {
        Result result;
        result.outcome = Outcome::TooMany;
        return result;
    }
    return Reduce(ReadPoints(record), requested, MeasuredQuantities::FileCellFormat(record.Quantity()));
}

Result Reduce(const std::vector<Point>& points, int requested, MeasuredQuantities::CellFormat valueFormat)
{
    Result result;
    const auto n = static_cast<std::int64_t>(points.size());
    const std::int64_t k = requested;
    if (k < kMinimumRequested)
        return result;
    if (n == 0 || k >= n) {
        result.outcome = Outcome::TooMany;
        return result;
    }
    const std::optional<Plan> plan = MakePlan(n, k, SteepestRise(points));
    if (!plan) {
        result.outcome = Outcome::NoPlan;
        return result;
    }

    QString& text = result.text;
    text.reserve(static_cast<qsizetype>(k) * 36);
    int lines = 0;
    auto line = [&](const Point& p) {
        AppendLine(text, p, valueFormat);
        ++lines;
    };
    // Groups start on multiples of their size. Rows below 1 do not exist, and a group that
    // would reach past row N is not formed (the dense zone can end beyond the last point).
    auto groups = [&](std::int64_t from, std::int64_t to, std::int64_t size) {
        for (std::int64_t r = FirstMultipleFrom(std::max<std::int64_t>(from, 1), size); r <= to && r + size - 1 <= n;
             r += size)
            line(GroupMean(points, r, size));
    };

    line(FitEndPoint(points, 1, End::First));
    groups(1, plan->s1 - plan->gl, plan->gl);
    groups(plan->s1, plan->s2 - plan->gs, plan->gs);
    groups(plan->s2, n - plan->gl + 1, plan->gl);
    line(FitEndPoint(points, n - kFitPoints + 1, End::Last));
    text += QStringLiteral("\r\r\r");

    result.outcome = Outcome::Reduced;
    result.lineCount = lines;
    return result;
}

}  // namespace PointReduction
