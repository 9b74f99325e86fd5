// SPDX-FileCopyrightText: 2026 The lccalc developers
// SPDX-License-Identifier: MIT
// TextToNumber takes any text and either reads a finite value or raises
// UnreadableNumber or Overflow. Eight bytes or more also make a double whose
// text must read back.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const lc::NumberFormat format = lc::fuzzing::formatFor(data[0]);
  const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
  try {
    lc::fuzzing::checkReadsBack(lc::TextToNumber(text, format), format);
  } catch (const lc::RuntimeError& error) {
    if (error.kind() != lc::ErrorKind::UnreadableNumber &&
        error.kind() != lc::ErrorKind::Overflow) {
      lc::fuzzing::fail("TextToNumber raised an unexpected kind", std::string(text));
    }
  }
  if (size >= 1 + sizeof(double)) {
    double value = 0;
    std::memcpy(&value, data + 1, sizeof value);
    if (std::isfinite(value)) lc::fuzzing::checkReadsBack(value, format);
  }
  return 0;
}
