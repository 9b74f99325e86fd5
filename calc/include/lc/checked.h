// SPDX-FileCopyrightText: 2026 The lccalc developers
// SPDX-License-Identifier: MIT
// Arithmetic whose every result is checked once it is rounded to a double.
//
// Integer constants mixed in are converted to double first (exactly, for
// 16- and 32-bit integers), so every operation works in double precision.
// A result that underflows to a subnormal or to zero, or is merely inexact,
// is no error; a power flushes a subnormal result to zero.
#pragma once

namespace lc {

// a + b. Raises RuntimeError(Overflow) when the sum is infinite and
// RuntimeError(InvalidResult) when it is NaN.
double CheckedAdd(double a, double b);

// a * b. Raises RuntimeError(Overflow) when the product is infinite and
// RuntimeError(InvalidResult) when it is NaN.
double CheckedMultiply(double a, double b);

// a / b. Raises RuntimeError(DivisionByZero) when b is zero (0 / 0 too),
// RuntimeError(Overflow) when the quotient is infinite and
// RuntimeError(InvalidResult) when it is NaN.
double CheckedDivide(double a, double b);

// base raised to `exponent`. Raises RuntimeError(Overflow) when the power
// is infinite and RuntimeError(InvalidResult) when it is NaN. A power below
// the smallest normal double (2.2250738585072014E-308) has lost precision
// and is returned as 0 (with its sign), as if it had underflowed entirely.
double CheckedPower(double base, int exponent);

// value <= limit, compared numerically. Raises nothing; NaN is never
// less or equal.
bool LessOrEqual(double value, int limit) noexcept;

}  // namespace lc
