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

#include "lc/form/form.h"
#include "lc/form/layout.h"

// The width of `text` in the font of the label in which a result is shown,
// as the page measures it, in CSS pixels.
extern "C" __attribute__((import_module("env"), import_name("width"))) double lcWidth(
    const char* text, std::size_t length);

namespace {

std::string inputs[2];
std::string output;

// `text` as a JSON string.
void appendJson(std::string& out, std::string_view text) {
  out += '"';
  for (const char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      constexpr char hex[] = "0123456789abcdef";
      out += "\\u00";
      out += hex[(c >> 4) & 0xF];
      out += hex[c & 0xF];
    } else {
      out += c;
    }
  }
  out += '"';
}

// A JSON object written a member at a time.
class JsonObject {
 public:
  void add(std::string_view name, std::string_view text) {
    begin(name);
    appendJson(text_, text);
  }
  void add(std::string_view name, int value) {
    begin(name);
    text_ += std::to_string(value);
  }
  void addRaw(std::string_view name, std::string_view json) {
    begin(name);
    text_ += json;
  }
  std::string done() { return std::move(text_) + "}"; }

 private:
  void begin(std::string_view name) {
    text_ += text_.size() == 1 ? "" : ",";
    appendJson(text_, name);
    text_ += ':';
  }
  std::string text_ = "{";
};

// The page's side of the window: what a click shows is kept for the page,
// which draws it once the click is done. A report cannot block a page, so
// the page shows it and announces the results once it is closed.
class PageView : public lc::form::View {
 public:
  void showResult(lc::Field field, std::string_view text) override {
    shown_.add(lc::form::fieldControl(field).name, text);
  }
  void showReadHint(std::string_view hint) override { shown_.add("hint", hint); }
  void reportError(std::string_view name, std::string_view detail) override {
    shown_.add("errorName", name);
    shown_.add("errorDetail", detail);
  }
  void announce(std::string_view text) override { shown_.add("announcement", text); }

  std::string shown() { return shown_.done(); }

 private:
  JsonObject shown_;
};

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
// argument 1, the decimal separator: a JSON object of the results it wrote
// ("L", "C", "LL"; a blank one ""), the "hint", the "errorName" and
// "errorDetail" if it failed, and the "announcement".
__attribute__((export_name("lc_click"))) const char* lcClick() {
  PageView view;
  try {
    lc::form::Form form(view, lc::NumberFormat{inputs[1]});
    form.clickOk(inputs[0]);
  } catch (...) {
    lc::form::reportCurrentFault(view);
  }
  return give(view.shown());
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
// (index.html has it from the build): its title, its size, the frequency box's and the
// other controls' font sizes, and every control in the order it is created, with its text and
// place in pixels.
__attribute__((export_name("lc_window"))) const char* lcWindow() try {
  std::string controls = "[";
  for (const auto& c : lc::form::kControls) {
    JsonObject control;
    control.add("name", c.name);
    control.add("text", c.text);
    control.add("left", c.rect.left);
    control.add("top", c.rect.top);
    control.add("width", c.rect.width);
    control.add("height", c.rect.height);
    controls += (controls.size() == 1 ? "" : ",") + control.done();
  }
  JsonObject window;
  window.add("title", lc::form::kTitle);
  window.add("width", lc::form::kClientWidth);
  window.add("height", lc::form::kClientHeight);
  window.addRaw("controls", controls + "]");
  window.add("frequencyFontPixels", lc::form::kFrequencyFont.pixels);
  window.add("windowFontPixels", lc::form::kWindowFontPixels);
  return give(window.done());
} catch (const std::exception&) {
  return "{}";
}

}  // extern "C"
