// SPDX-FileCopyrightText: 2026 The lccalc developers
// SPDX-License-Identifier: MIT
// Prints what form/ says the window shows, as JSON, for the tests that look
// at a running front-end from outside (the Python tests):
//   lc_form_facts                        the window (describe.h's windowJson)
//   lc_form_facts SEPARATOR TYPED...     a click of OK on each TYPED text,
//                                        with results written with SEPARATOR,
//                                        as a JSON array of clickJson's
//   lc_form_facts shortening             the table of where a long result is
//                                        shortened, read as the C++ tests
//                                        read it: {"padding", "rows"}
#include <cstdio>
#include <string>
#include <string_view>

#include "lc/form/describe.h"
#include "lc/form/testing/shortening.h"

namespace {

// The table's texts hold digits, separators, signs, "E" and "…" only.
std::string shorteningJson() {
  const auto table = lc::form::testing::shorteningTable();
  std::string out = "{\"padding\": " + std::to_string(table.padding) + ", \"rows\": [";
  for (const auto& row : table.rows) {
    out += &row == table.rows.data() ? "\n [" : ",\n [";
    for (const auto& form : row) out += (&form == row.data() ? "\"" : ", \"") + form + "\"";
    out += "]";
  }
  return out + "]}";
}

}  // namespace

int main(int argc, char** argv) {
  std::string out;
  if (argc < 2) {
    out = lc::form::windowJson();
  } else if (argc == 2 && std::string_view(argv[1]) == "shortening") {
    out = shorteningJson();
  } else {
    const lc::NumberFormat format{argv[1]};
    out = "[";
    for (int i = 2; i < argc; ++i)
      out += (i == 2 ? "" : ",\n ") + lc::form::clickJson(argv[i], format);
    out += "]";
  }
  out += '\n';
  return std::fputs(out.c_str(), stdout) < 0 ? 1 : 0;
}
