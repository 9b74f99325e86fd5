// SPDX-FileCopyrightText: 2026 The lccalc developers
// SPDX-License-Identifier: MIT
#include "lc/checked.h"

#include <cmath>

#include "lc/error.h"

namespace lc {
namespace detail {
namespace {

// The single place where a rounded result is judged.
double checkResult(double result) {
  if (std::isinf(result)) throw RuntimeError(ErrorKind::Overflow);
  if (std::isnan(result)) throw RuntimeError(ErrorKind::InvalidResult);
  return result;
}

}  // namespace
}  // namespace detail

double CheckedAdd(double a, double b) { return detail::checkResult(a + b); }

double CheckedMultiply(double a, double b) { return detail::checkResult(a * b); }

double CheckedDivide(double a, double b) {
  if (b == 0) throw RuntimeError(ErrorKind::DivisionByZero);
  return detail::checkResult(a / b);
}

double CheckedPower(double base, int exponent) {
  const double power = detail::checkResult(std::pow(base, exponent));
  // A subnormal power keeps fewer significant bits the smaller it is, so
  // anything computed from it would be shown with wrong digits: it counts
  // as underflowed, like one that rounds to zero.
  return std::fpclassify(power) == FP_SUBNORMAL ? std::copysign(0.0, power) : power;
}

bool LessOrEqual(double value, int limit) noexcept {
  // Every int converts to double exactly, so this compares the true values.
  return value <= static_cast<double>(limit);
}

}  // namespace lc
