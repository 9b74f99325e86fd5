// SPDX-FileCopyrightText: 2026 The lccalc developers
// SPDX-License-Identifier: MIT
// What the web page takes from C++: the click flow of the desktop program,
// the elision of a long result, and the window's description for the
// page's test. lccalc.wasm stands alone (no JavaScript of Emscripten's),
// so that the page has nothing to load and set up but itself, app.js and
// the module; app.js calls these few functions directly.
//
// The page writes each text argument, UTF-8, into a buffer that lc_input
// gives it; each function returns a NUL-terminated UTF-8 text, a JSON
// object or a plain text, valid until the next call. No exception leaves
// for the page's script, which cannot catch it.
#include <cstddef>
#include <exception>
#include <string>
#include <string_view>

#include "lc/form/describe.h"
#include "lc/form/form.h"

// The width of `text` in the font of the label in which a result is shown,
// as the page measures it, in CSS pixels.
extern "C" __attribute__((import_module("env"), import_name("width"))) double lcWidth(
    const char* text, std::size_t length);

namespace {

std::string inputs[2];
std::string output;

const char* give(std::string text) {
  output = std::move(text);
  return output.c_str();
}

}  // namespace

extern "C" {

// A buffer of `size` bytes for text argument `index` (0 or 1), or null.
__attribute__((export_name("lc_input"))) char* lcInput(int index, std::size_t size) {
  if (index < 0 || index > 1) return nullptr;
  try {
    inputs[index].resize(size);
  } catch (const std::exception&) {
    return nullptr;
  }
  return inputs[index].data();
}

// A click of OK on argument 0, the typed text, with results written with
// argument 1, the decimal separator: describe.h's clickJson.
__attribute__((export_name("lc_click"))) const char* lcClick() try {
  return give(lc::form::clickJson(inputs[0], lc::NumberFormat{inputs[1]}));
} catch (const std::exception&) {
  return "{}";
}

// What a result label `innerWidth` CSS pixels wide inside its border, its
// text `indent` pixels from it, shows of argument 0, a result written with
// argument 1 as the separator, measured by the page's `width`.
__attribute__((export_name("lc_elide"))) const char* lcElide(double innerWidth, double indent) {
  try {
    return give(lc::form::fitResult(
        inputs[0], lc::NumberFormat{inputs[1]}, innerWidth, indent,
        [](std::string_view text) { return lcWidth(text.data(), text.size()); }));
  } catch (const std::exception&) {
    return give(inputs[0]);
  }
}

// The window as the page's test checks it against what the browser draws
// (index.html has it from the build): describe.h's windowJson.
__attribute__((export_name("lc_window"))) const char* lcWindow() try {
  return give(lc::form::windowJson());
} catch (const std::exception&) {
  return "{}";
}

}  // extern "C"
