// SPDX-FileCopyrightText: 2026 The lccalc developers
// SPDX-License-Identifier: MIT
// A double's bits, as std::bit_cast gives them, for standard libraries that
// lack it (Emscripten's libc++).
#pragma once

#include <cstdint>
#include <cstring>

namespace lc::testing {

inline std::uint64_t bitsOf(double value) {
  std::uint64_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

inline double doubleOf(std::uint64_t bits) {
  double value = 0;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

}  // namespace lc::testing
