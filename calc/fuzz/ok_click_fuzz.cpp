// SPDX-FileCopyrightText: 2026 The lccalc developers
// SPDX-License-Identifier: MIT
// A click of "OK" on any typed text either completes, leaving three texts
// that read back, or raises one RuntimeError; nothing else escapes.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "lc/testing/fields.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const lc::NumberFormat format = lc::fuzzing::formatFor(data[0]);
  const std::string typed(reinterpret_cast<const char*>(data) + 1, size - 1);
  lc::testing::MemoryFields fields{{lc::Field::F, typed}};
  try {
    lc::Ok_Click(fields, format);
  } catch (const lc::RuntimeError&) {
    return 0;  // any other exception reaches libFuzzer and is reported
  }
  for (const lc::Field field : {lc::Field::LL, lc::Field::C, lc::Field::L}) {
    const std::string& text = fields.text(field);
    try {
      lc::fuzzing::checkReadsBack(lc::TextToNumber(text, format), format);
    } catch (const lc::RuntimeError&) {
      lc::fuzzing::fail("a result field does not read back", text);
    }
  }
  if (fields.text(lc::Field::F) != typed) lc::fuzzing::fail("the typed text changed", typed);
  return 0;
}
