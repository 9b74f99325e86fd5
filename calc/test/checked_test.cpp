// SPDX-FileCopyrightText: 2026 The lccalc developers
// SPDX-License-Identifier: MIT
// The checked arithmetic: the error each kind of result raises (an
// overflow, a division by zero, a NaN), underflow and inexact results let
// pass, and the comparison.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

#include "lc/calc.h"
#include "lc/testing/raises.h"

namespace {

using lc::ErrorKind;

constexpr double kMax = std::numeric_limits<double>::max();
constexpr double kMinNormal = std::numeric_limits<double>::min();
constexpr double kInf = std::numeric_limits<double>::infinity();

struct FailCase {
  const char* what;
  std::function<double()> operation;
  ErrorKind kind;
};

TEST(CheckedArithmetic, raisesTheKindOfTheRoundedResult) {
  const FailCase cases[] = {
      {"sum past the range", [] { return lc::CheckedAdd(kMax, kMax); }, ErrorKind::Overflow},
      {"product past the range", [] { return lc::CheckedMultiply(kMax, 2); }, ErrorKind::Overflow},
      {"quotient past the range", [] { return lc::CheckedDivide(3e8, 1e-301); },
       ErrorKind::Overflow},
      {"square past the range", [] { return lc::CheckedPower(1e155, 2); }, ErrorKind::Overflow},
      {"divisor zero", [] { return lc::CheckedDivide(1, 0); }, ErrorKind::DivisionByZero},
      {"divisor minus zero", [] { return lc::CheckedDivide(1, -0.0); }, ErrorKind::DivisionByZero},
      {"zero over zero", [] { return lc::CheckedDivide(0, 0); }, ErrorKind::DivisionByZero},
      {"infinity minus infinity", [] { return lc::CheckedAdd(kInf, -kInf); },
       ErrorKind::InvalidResult},
      {"zero times infinity", [] { return lc::CheckedMultiply(0, kInf); },
       ErrorKind::InvalidResult},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(lc::testing::kindRaisedBy(c.operation), c.kind) << c.what;
  }
}

TEST(CheckedArithmetic, letsUnderflowAndInexactResultsPass) {
  EXPECT_EQ(lc::CheckedPower(1e-200, 2), 0.0);    // underflows to zero
  EXPECT_EQ(lc::CheckedPower(1.2e-154, 2), 0.0);  // a subnormal power has lost its precision
  EXPECT_EQ(lc::CheckedPower(kMinNormal, 1), kMinNormal);
  EXPECT_EQ(lc::CheckedMultiply(kMinNormal, 0.5), kMinNormal / 2);  // subnormal
  EXPECT_EQ(lc::CheckedDivide(1, 3), 1.0 / 3);
  EXPECT_EQ(lc::CheckedAdd(0.1, 0.2), 0.1 + 0.2);
  EXPECT_EQ(lc::CheckedMultiply(kMax, 1), kMax);  // the largest double is still in range
  EXPECT_EQ(lc::CheckedPower(43960000.0, 2), 43960000.0 * 43960000.0);
}

TEST(LessOrEqual, comparesNumerically) {
  EXPECT_TRUE(lc::LessOrEqual(0.0, 0));
  EXPECT_TRUE(lc::LessOrEqual(-0.0, 0));
  EXPECT_TRUE(lc::LessOrEqual(-1e-300, 0));
  EXPECT_FALSE(lc::LessOrEqual(4.9e-324, 0));
  EXPECT_FALSE(lc::LessOrEqual(std::nan(""), 0));
}

}  // namespace
