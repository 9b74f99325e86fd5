// SPDX-FileCopyrightText: 2026 The lccalc developers
// SPDX-License-Identifier: MIT
// The C library's formatting and reading, the oracle the conversions are
// judged against and the baseline they are timed against. Needs the "C"
// locale for LC_NUMERIC, the default of a program that never sets one.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace lc::testing {

// "%.15G" with the point replaced by `separator`: the text NumberToText must
// write. (The fields never show -0, which "%.15G" writes "-0".)
inline std::string cLibraryText(double value, std::string_view separator) {
  if (value == 0) return "0";
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%.15G", value);
  std::string text = buffer;
  if (const auto point = text.find('.'); point != std::string::npos)
    text.replace(point, 1, separator);
  return text;
}

// `value` rounded to 15 significant digits ("%.14E", then strtod): what
// TextToNumber must read back; infinite when that rounding passes the range.
inline double cLibraryRounded(double value) {
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%.14E", value);
  return std::strtod(buffer, nullptr);
}

}  // namespace lc::testing
