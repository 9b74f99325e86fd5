// SPDX-FileCopyrightText: 2026 The lccalc developers
// SPDX-License-Identifier: MIT
// Reading and writing doubles as std::from_chars and std::to_chars do, or,
// where the standard library lacks them for floating point (the libc++ of
// Emscripten 3.1 has neither), a stand-in that behaves alike: reading by
// fast_float, writing by snprintf("%.*g"), by which the standard defines
// to_chars with a precision. LC_STANDIN_CHARCONV selects the stand-in.
#pragma once

#include <charconv>

#if LC_STANDIN_CHARCONV
#include <fast_float/fast_float.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#endif

namespace lc::detail {

inline std::from_chars_result fromChars(const char* first, const char* last, double& value) {
#if !LC_STANDIN_CHARCONV
  return std::from_chars(first, last, value);
#else
  double parsed = 0;
  const auto [end, ec] = fast_float::from_chars(first, last, parsed);
  if (ec != std::errc()) return {end, ec};
  // std::from_chars reports a numeral beyond the range, and one whose value
  // rounds to zero though a digit is not zero, as out of range and leaves
  // `value` alone; fast_float gives the infinity or the zero.
  const char* exponent = std::find_if(first, end, [](char c) { return c == 'e' || c == 'E'; });
  const bool numeral = std::isdigit(static_cast<unsigned char>(*first)) || *first == '.';
  const bool nonzero = std::any_of(first, exponent, [](char c) { return c >= '1' && c <= '9'; });
  if (numeral && (std::isinf(parsed) || (parsed == 0 && nonzero))) {
    return {end, std::errc::result_out_of_range};
  }
  value = parsed;
  return {end, ec};
#endif
}

// Writes `value` in the general format with `precision` significant digits.
inline std::to_chars_result toChars(char* first, char* last, double value, int precision) {
#if !LC_STANDIN_CHARCONV
  return std::to_chars(first, last, value, std::chars_format::general, precision);
#else
  const auto room = static_cast<std::size_t>(last - first);
  const int written = std::snprintf(first, room, "%.*g", precision, value);
  if (written < 0 || static_cast<std::size_t>(written) >= room) {
    return {last, std::errc::value_too_large};
  }
  return {first + written, std::errc()};
#endif
}

}  // namespace lc::detail
