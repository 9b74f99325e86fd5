// SPDX-FileCopyrightText: 2026 The lccalc developers
// SPDX-License-Identifier: MIT
// Prints what form/ says the window shows, as JSON, for the tests that look
// at a running front-end from outside (the Python tests):
//   lc_form_facts                        the window (describe.h's windowJson)
//   lc_form_facts SEPARATOR TYPED...     a click of OK on each TYPED text,
//                                        with results written with SEPARATOR,
//                                        as a JSON array of clickJson's
#include <cstdio>
#include <string>

#include "lc/form/describe.h"

int main(int argc, char** argv) {
  std::string out;
  if (argc < 2) {
    out = lc::form::windowJson();
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
