// SPDX-FileCopyrightText: 2026 The lccalc developers
// SPDX-License-Identifier: MIT
// What the web page takes from C++, through embind: the click flow of the
// desktop program, and the window's description for the page's test.
#include <emscripten/bind.h>

#include <string>

#include "lc/form/form.h"
#include "lc/form/layout.h"

namespace {

using emscripten::val;

// The window as the page's test checks it against what the browser draws
// (index.html has it from the build): its size, the frequency box's font
// size, and every control in the order it is created, with its text and
// place in pixels.
val window() {
  val controls = val::array();
  for (const auto& c : lc::form::kControls) {
    val control = val::object();
    control.set("name", std::string(c.name));
    control.set("text", std::string(c.text));
    control.set("left", c.rect.left);
    control.set("top", c.rect.top);
    control.set("width", c.rect.width);
    control.set("height", c.rect.height);
    controls.call<void>("push", control);
  }
  val window = val::object();
  window.set("width", lc::form::kClientWidth);
  window.set("height", lc::form::kClientHeight);
  window.set("controls", controls);
  window.set("frequencyFontPixels", lc::form::kFrequencyFont.pixels);
  return window;
}

const char* fieldName(lc::Field field) {
  switch (field) {
    case lc::Field::F:
      return "F";
    case lc::Field::L:
      return "L";
    case lc::Field::C:
      return "C";
    case lc::Field::LL:
      return "LL";
  }
  return "";
}

// The page's side of the window: what a click shows is kept for the page,
// which draws it once the click is done. A report cannot block a page, so
// the page shows it and announces the results once it is closed.
class PageView : public lc::form::View {
 public:
  explicit PageView(std::string typed) : typed_(std::move(typed)) {}

  std::string frequencyText() const override { return typed_; }
  void showResult(lc::Field field, std::string_view text) override {
    shown_.set(fieldName(field), std::string(text));
  }
  void showReadHint(std::string_view hint) override { shown_.set("hint", std::string(hint)); }
  void reportError(std::string_view name, std::string_view detail) override {
    shown_.set("errorName", std::string(name));
    shown_.set("errorDetail", std::string(detail));
  }
  void announce(std::string_view text) override { shown_.set("announcement", std::string(text)); }

  val shown() const { return shown_; }

 private:
  std::string typed_;
  val shown_ = val::object();
};

// A click of OK on `typed` with results written with `separator`: the
// results it wrote (L, C, LL, a blank one ""), the hint, the error's name and
// detail if it failed, and the announcement.
val clickOk(std::string typed, std::string separator) {
  PageView view(std::move(typed));
  lc::form::Form form(view, lc::NumberFormat{std::move(separator)});
  // No exception may leave for the page's script, which cannot catch it.
  try {
    form.clickOk();
  } catch (const std::exception& error) {
    view.reportError(lc::form::kInternalError, error.what());
  }
  return view.shown();
}

// What a result label shows of `text` when `fits(text)` tells whether a text
// fits it.
std::string elideResult(std::string text, std::string separator, val fits) {
  return lc::form::elideResult(
      text, lc::NumberFormat{std::move(separator)},
      [&](std::string_view candidate) { return fits(std::string(candidate)).as<bool>(); });
}

}  // namespace

EMSCRIPTEN_BINDINGS(lccalc) {
  emscripten::function("window", &window);
  emscripten::function("clickOk", &clickOk);
  emscripten::function("elideResult", &elideResult);
}
