// SPDX-FileCopyrightText: 2026 The lccalc developers
// SPDX-License-Identifier: MIT
// LeadingNumber takes any typed text: it returns a finite value or raises
// Overflow, and what it returns can be shown and read back.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  double value = 0;
  try {
    value = lc::LeadingNumber(text);
  } catch (const lc::RuntimeError& error) {
    if (error.kind() != lc::ErrorKind::Overflow)
      lc::fuzzing::fail("LeadingNumber raised", std::string(text));
    return 0;
  }
  lc::fuzzing::checkReadsBack(value, lc::NumberFormat{});
  return 0;
}
