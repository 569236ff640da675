#include "chemistry/LeastSquares.h"

#include <algorithm>
#include <cmath>

namespace LeastSquares {

namespace {

// A step whose actual and predicted gains are both below this share of the sum of squares
// leaves nothing to gain: the minimum is reached to the precision of the residuals.
constexpr double kGainTolerance = 1e-10;
// A pivot of the normal matrix scaled to unit diagonal (a correlation matrix) below this
// means two parameters act as one.
constexpr double kPivotTolerance = 1e-10;
constexpr double kDefaultStep = 1e-6;
constexpr double kLambdaStart = 1e-3;
constexpr double kLambdaMax = 1e16;

double SumOfSquares(const Vector& r)
{
    double sum = 0.0;
    for (double v : r)
        sum += v * v;
    return sum;
}

// L with A = L L^T, lower triangle; false when a pivot is not positive (relative to the
// diagonal, with `pivotTolerance`).
bool Cholesky(const Matrix& a, Matrix& l, double pivotTolerance = 0.0)
{
    const std::size_t n = a.size();
    l.assign(n, Vector(n, 0.0));
    for (std::size_t j = 0; j < n; ++j) {
        double diagonal = a[j][j];
        for (std::size_t k = 0; k < j; ++k)
            diagonal -= l[j][k] * l[j][k];
        if (!(diagonal > pivotTolerance * a[j][j]) || !(diagonal > 0.0))
            return false;
        l[j][j] = std::sqrt(diagonal);
        for (std::size_t i = j + 1; i < n; ++i) {
            double sum = a[i][j];
            for (std::size_t k = 0; k < j; ++k)
                sum -= l[i][k] * l[j][k];
            l[i][j] = sum / l[j][j];
        }
    }
    return true;
}

Vector SolveWith(const Matrix& l, const Vector& b)
{
    const std::size_t n = l.size();
    Vector y(n);
    for (std::size_t i = 0; i < n; ++i) {
        double sum = b[i];
        for (std::size_t k = 0; k < i; ++k)
            sum -= l[i][k] * y[k];
        y[i] = sum / l[i][i];
    }
    Vector x(n);
    for (std::size_t i = n; i-- > 0;) {
        double sum = y[i];
        for (std::size_t k = i + 1; k < n; ++k)
            sum -= l[k][i] * x[k];
        x[i] = sum / l[i][i];
    }
    return x;
}

// Forward differences, backward where the forward point leaves the domain. False when both do.
bool Jacobian(const Residuals& residuals, const Vector& p, const Vector& r, const Vector& steps, Matrix& jacobian)
{
    const std::size_t m = p.size();
    jacobian.assign(m, Vector());  // one column per parameter
    Vector moved = p;
    Vector shifted;
    for (std::size_t j = 0; j < m; ++j) {
        double step = steps[j];
        moved[j] = p[j] + step;
        if (!residuals(moved, shifted)) {
            step = -step;
            moved[j] = p[j] + step;
            if (!residuals(moved, shifted))
                return false;
        }
        moved[j] = p[j];
        Vector& column = jacobian[j];
        column.resize(r.size());
        for (std::size_t i = 0; i < r.size(); ++i)
            column[i] = (shifted[i] - r[i]) / step;
    }
    return true;
}

void NormalEquations(const Matrix& columns, const Vector& r, Matrix& a, Vector& g)
{
    const std::size_t m = columns.size();
    a.assign(m, Vector(m, 0.0));
    g.assign(m, 0.0);
    for (std::size_t j = 0; j < m; ++j) {
        for (std::size_t k = 0; k <= j; ++k) {
            double sum = 0.0;
            for (std::size_t i = 0; i < r.size(); ++i)
                sum += columns[j][i] * columns[k][i];
            a[j][k] = a[k][j] = sum;
        }
        double sum = 0.0;
        for (std::size_t i = 0; i < r.size(); ++i)
            sum += columns[j][i] * r[i];
        g[j] = sum;
    }
}

// (A)^-1 through the matrix scaled to unit diagonal, so that the singularity test does not
// depend on the parameters' units. Empty when singular.
Matrix Inverse(const Matrix& a)
{
    const std::size_t m = a.size();
    Vector scale(m);
    for (std::size_t j = 0; j < m; ++j) {
        if (!(a[j][j] > 0.0))
            return {};
        scale[j] = 1.0 / std::sqrt(a[j][j]);
    }
    Matrix correlation(m, Vector(m));
    for (std::size_t j = 0; j < m; ++j)
        for (std::size_t k = 0; k < m; ++k)
            correlation[j][k] = a[j][k] * scale[j] * scale[k];
    Matrix l;
    if (!Cholesky(correlation, l, kPivotTolerance))
        return {};
    Matrix inverse(m, Vector(m));
    for (std::size_t k = 0; k < m; ++k) {
        Vector unit(m, 0.0);
        unit[k] = 1.0;
        const Vector column = SolveWith(l, unit);
        for (std::size_t j = 0; j < m; ++j)
            inverse[j][k] = column[j] * scale[j] * scale[k];
    }
    return inverse;
}

}  // namespace

bool CholeskySolve(const Matrix& a, const Vector& b, Vector& x)
{
    Matrix l;
    if (!Cholesky(a, l))
        return false;
    x = SolveWith(l, b);
    return true;
}

Result LevenbergMarquardt(const Residuals& residuals, const Vector& start, const Options& options)
{
    Result result;
    result.parameters = start;
    const std::size_t m = start.size();
    Vector steps = options.steps;
    steps.resize(m, kDefaultStep);
    Vector r;
    if (m == 0 || !residuals(start, r))
        return result;
    double sum = SumOfSquares(r);
    Vector& p = result.parameters;
    double lambda = kLambdaStart;
    Matrix jacobian;
    Matrix a;
    Vector g;
    Vector trial(m);
    Vector trialResiduals;

    while (!result.converged && result.iterations < options.maxIterations) {
        ++result.iterations;
        if (!Jacobian(residuals, p, r, steps, jacobian))
            break;
        NormalEquations(jacobian, r, a, g);
        double largestDiagonal = 0.0;
        for (std::size_t j = 0; j < m; ++j)
            largestDiagonal = std::max(largestDiagonal, a[j][j]);
        if (!(largestDiagonal > 0.0) || sum == 0.0) {
            // No parameter moves the residuals, or they are all zero: nothing can improve.
            result.converged = sum == 0.0;
            break;
        }
        bool stepped = false;
        while (!stepped && lambda <= kLambdaMax) {
            Matrix damped = a;
            for (std::size_t j = 0; j < m; ++j)
                damped[j][j] += lambda * std::max(a[j][j], 1e-12 * largestDiagonal);
            Vector minusG(m);
            for (std::size_t j = 0; j < m; ++j)
                minusG[j] = -g[j];
            Vector delta;
            if (!CholeskySolve(damped, minusG, delta)) {
                lambda *= 10.0;
                continue;
            }
            // The fall of the sum of squares that the linearised model promises for this step.
            double predicted = 0.0;
            for (std::size_t j = 0; j < m; ++j) {
                double aDelta = 0.0;
                for (std::size_t k = 0; k < m; ++k)
                    aDelta += a[j][k] * delta[k];
                predicted -= 2.0 * g[j] * delta[j] + delta[j] * aDelta;
            }
            if (!(predicted > kGainTolerance * sum)) {
                result.converged = true;
                break;
            }
            for (std::size_t j = 0; j < m; ++j)
                trial[j] = p[j] + delta[j];
            if (!residuals(trial, trialResiduals)) {
                lambda *= 10.0;
                continue;
            }
            const double trialSum = SumOfSquares(trialResiduals);
            if (!(trialSum < sum)) {
                lambda *= 10.0;
                continue;
            }
            const double gained = sum - trialSum;
            p = trial;
            r.swap(trialResiduals);
            sum = trialSum;
            lambda = std::max(lambda / 10.0, 1e-12);
            stepped = true;
            if (gained <= kGainTolerance * (sum + gained) && predicted <= 2.0 * kGainTolerance * (sum + gained))
                result.converged = true;
        }
        if (!stepped && !result.converged)
            break;  // no step lowers the sum of squares, though the model promises a gain
    }
    result.sumOfSquares = sum;
    if (result.converged && Jacobian(residuals, p, r, steps, jacobian)) {
        NormalEquations(jacobian, r, a, g);
        result.inverseNormal = Inverse(a);
    }
    return result;
}

}  // namespace LeastSquares
