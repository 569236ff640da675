#include "chemistry/LeastSquares.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using LeastSquares::LevenbergMarquardt;
using LeastSquares::Residuals;
using LeastSquares::Vector;

// Rosenbrock's valley as least squares: minimum 0 at (1, 1), reached along a curved valley.
const Residuals kRosenbrock = [](const Vector& p, Vector& r) {
    r = {10.0 * (p[1] - p[0] * p[0]), 1.0 - p[0]};
    return true;
};

// y = 5 exp(-0,3 t) at t = 0..9, exact.
const Residuals kDecay = [](const Vector& p, Vector& r) {
    r.resize(10);
    for (int t = 0; t < 10; ++t)
        r[t] = 5.0 * std::exp(-0.3 * t) - p[0] * std::exp(-p[1] * t);
    return true;
};

struct SolvedCase {
    const char* name;
    Residuals residuals;
    Vector start;
    Vector expected;
};

TEST(LeastSquares, FindsTheMinimumFromAFarStart)
{
    const SolvedCase cases[] = {
        {"Rosenbrock", kRosenbrock, {-1.2, 1.0}, {1.0, 1.0}},
        {"Decay", kDecay, {1.0, 1.0}, {5.0, 0.3}},
    };
    for (const SolvedCase& c : cases) {
        SCOPED_TRACE(c.name);
        const auto result = LevenbergMarquardt(c.residuals, c.start);
        ASSERT_TRUE(result.converged);
        ASSERT_EQ(result.parameters.size(), c.expected.size());
        for (std::size_t j = 0; j < c.expected.size(); ++j)
            EXPECT_NEAR(result.parameters[j], c.expected[j], 1e-5);
        EXPECT_LT(result.sumOfSquares, 1e-10);
        EXPECT_FALSE(result.inverseNormal.empty());
    }
}

TEST(LeastSquares, InverseNormalOfAStraightLineMatchesItsClosedForm)
{
    // y = a + b x: J^T J = [[n, Sx], [Sx, Sxx]], whose inverse has Sxx / D, -Sx / D, n / D.
    const Vector x = {0.0, 1.0, 2.5, 4.0, 7.0};
    const Vector y = {1.1, 2.9, 6.2, 8.8, 15.3};
    const Residuals line = [&](const Vector& p, Vector& r) {
        r.resize(x.size());
        for (std::size_t i = 0; i < x.size(); ++i)
            r[i] = y[i] - (p[0] + p[1] * x[i]);
        return true;
    };
    const auto result = LevenbergMarquardt(line, {0.0, 0.0});
    ASSERT_TRUE(result.converged);
    ASSERT_EQ(result.inverseNormal.size(), 2u);
    double sx = 0.0, sxx = 0.0, sy = 0.0, sxy = 0.0;
    for (std::size_t i = 0; i < x.size(); ++i) {
        sx += x[i];
        sxx += x[i] * x[i];
        sy += y[i];
        sxy += x[i] * y[i];
    }
    const double n = static_cast<double>(x.size());
    const double d = n * sxx - sx * sx;
    EXPECT_NEAR(result.parameters[1], (n * sxy - sx * sy) / d, 1e-6);
    EXPECT_NEAR(result.inverseNormal[0][0], sxx / d, 1e-6);
    EXPECT_NEAR(result.inverseNormal[0][1], -sx / d, 1e-6);
    EXPECT_NEAR(result.inverseNormal[1][1], n / d, 1e-6);
}

TEST(LeastSquares, SaysWhenItCannotAnswer)
{
    LeastSquares::Options brief;
    brief.maxIterations = 2;
    EXPECT_FALSE(LevenbergMarquardt(kRosenbrock, {-1.2, 1.0}, brief).converged);

    // Only a + b is seen: converged, but the two are not determined.
    const Residuals sum = [](const Vector& p, Vector& r) {
        r = {3.0 - (p[0] + p[1]), 3.1 - (p[0] + p[1]), 2.9 - (p[0] + p[1])};
        return true;
    };
    const auto shared = LevenbergMarquardt(sum, {0.0, 0.0});
    EXPECT_TRUE(shared.converged);
    EXPECT_NEAR(shared.parameters[0] + shared.parameters[1], 3.0, 1e-6);
    EXPECT_TRUE(shared.inverseNormal.empty());

    // A domain that excludes the start: nothing is tried.
    const Residuals positive = [](const Vector& p, Vector& r) {
        r = {p[0] - 2.0};
        return p[0] > 0.0;
    };
    EXPECT_FALSE(LevenbergMarquardt(positive, {-1.0}).converged);
    // A domain that excludes the minimum: the fit stays inside.
    const auto bounded = LevenbergMarquardt([](const Vector& p, Vector& r) {
        r = {p[0] + 2.0};
        return p[0] > 0.0;
    }, {1.0});
    EXPECT_GT(bounded.parameters[0], 0.0);
}

}  // namespace
