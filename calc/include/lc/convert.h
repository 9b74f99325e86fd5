// SPDX-FileCopyrightText: 2026 The lccalc developers
// SPDX-License-Identifier: MIT
// Conversions between numbers and the texts the window shows.
//
// Every conversion works on UTF-8 text and is independent of the process
// locale: the decimal separator is passed in explicitly.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace lc {

// What the conversions need to know of the user's locale.
struct NumberFormat {
  // Written between the integer part and the fraction; may be several bytes
  // (any UTF-8 text that contains no digit, sign or "E").
  std::string decimal_separator = ".";
};

// Reads the number at the start of a typed text, leniently: leading blanks
// are skipped (every Unicode White_Space character, and the invisible marks
// U+061C, U+200B, U+200E, U+200F, U+202A..U+202E, U+2060, U+2066..U+2069
// and U+FEFF that copied text carries), then an optional "+" or "-", ASCII digits,
// an optional "." and digits, and an optional exponent ("E" or "e", an
// optional sign, digits). Reading stops at the first character that cannot
// continue the number; the rest is ignored. The point is the only decimal
// separator whatever the locale, so "7,5" reads as 7.
//   - Text with no digit before the stop reads as 0 ("", "abc", "+", ".").
//   - An exponent letter without digits is ignored: "1e" and "1e+" read as 1.
//   - A value above 0 too small for a double reads as the smallest positive
//     double (4.9E-324), and one below 0 as its negative, so that the sign
//     of what was typed survives ("1e-400" is above 0, "-1e-400" below).
// The value is correctly rounded to the nearest double.
// Raises RuntimeError(Overflow) for a value beyond the double range.
double LeadingNumber(std::string_view text);

// Writes `value` in decimal: a leading "-" for negatives, no grouping.
// Raises nothing.
std::string IntegerToText(std::int16_t value);

// Writes `value` as the result fields show it: at most 15 significant
// digits, correctly rounded to nearest; trailing zeros of the fraction are
// dropped, and the separator too when nothing follows it ("300").
// Plain form while the rounded value's decimal exponent lies in -4..14,
// otherwise exponent form: the mantissa by the same rules, then "E", a sign
// and at least two digits ("1E-05", "1E+15", "1.5E+308"). 0 and -0 give "0".
// Infinities and NaN, which no checked result can be, give "Infinity",
// "-Infinity" and "NaN". Raises nothing.
std::string NumberToText(double value, const NumberFormat& format = {});

// Reads back exactly the texts NumberToText writes: an optional "-", digits,
// optionally the separator and digits, optionally "E", a sign and digits.
// The value is correctly rounded to the nearest double; one that underflows
// reads as 0 (or -0).
// Raises RuntimeError(UnreadableNumber) for any other text (empty text,
// blanks, a "+", the wrong or a second separator, a lowercase "e"), and
// RuntimeError(Overflow) for a value beyond the double range.
double TextToNumber(std::string_view text, const NumberFormat& format = {});

}  // namespace lc
