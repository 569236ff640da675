#pragma once

#include <functional>
#include <vector>

// Non-linear least squares for a handful of parameters: the Levenberg-Marquardt method with
// Marquardt's scaling, a Jacobian by finite differences and dense solves, which is all that a
// model of three or four parameters needs.
namespace LeastSquares {

using Vector = std::vector<double>;
using Matrix = std::vector<Vector>;  // row-major, square

// Fills `residuals` (measured minus model, always the same count) for `parameters`; answers
// false when the parameters lie outside the model's domain, so that no step goes there.
using Residuals = std::function<bool(const Vector& parameters, Vector& residuals)>;

struct Options {
    int maxIterations = 100;
    // Finite-difference step per parameter; 1e-6 each when empty.
    Vector steps;
};

struct Result {
    Vector parameters;
    double sumOfSquares = 0.0;
    int iterations = 0;
    // False when the iterations ran out before the sum of squares stopped falling, or the
    // start lay outside the domain.
    bool converged = false;
    // (J^T J)^-1 at the solution: times the residual variance, the parameters' covariance.
    // Empty when J^T J is singular, that is some parameter is not determined by the residuals.
    Matrix inverseNormal;
};

Result LevenbergMarquardt(const Residuals& residuals, const Vector& start, const Options& options = {});

// Solves A x = b for a symmetric positive definite A; false when A is not.
bool CholeskySolve(const Matrix& a, const Vector& b, Vector& x);

}  // namespace LeastSquares
