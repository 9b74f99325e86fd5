// SPDX-FileCopyrightText: 2026 The lccalc developers
// SPDX-License-Identifier: MIT
// Checks shared by the fuzz targets.
#pragma once

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "lc/calc.h"

namespace lc::fuzzing {

[[noreturn]] inline void fail(const char* what, const std::string& text) {
  std::fprintf(stderr, "invariant broken: %s: \"%s\"\n", what, text.c_str());
  std::abort();
}

// Every text NumberToText writes for a finite value is read back by
// TextToNumber, unless its 15-digit rounding passes the double range; and
// reading it back gives a value that is written as the same text again.
inline void checkReadsBack(double value, const NumberFormat& format) {
  if (!std::isfinite(value)) fail("a conversion gave a non-finite value", std::to_string(value));
  const std::string text = NumberToText(value, format);
  double back = 0;
  try {
    back = TextToNumber(text, format);
  } catch (const RuntimeError& error) {
    // Only the largest doubles round, at 15 digits, to a text past the range.
    if (error.kind() != ErrorKind::Overflow || !text.ends_with("79769313486232E+308")) {
      fail("TextToNumber rejected what NumberToText wrote", text);
    }
    return;
  }
  if (NumberToText(back, format) != text) fail("reading back changed the text", text);
}

// The separators the window meets: point, comma and a multi-byte one.
inline NumberFormat formatFor(unsigned char selector) {
  switch (selector % 3) {
    case 0:
      return NumberFormat{"."};
    case 1:
      return NumberFormat{","};
    default:
      return NumberFormat{"\xD9\xAB"};
  }
}

}  // namespace lc::fuzzing
