// SPDX-FileCopyrightText: 2026 The lccalc developers
// SPDX-License-Identifier: MIT
#include "lc/form/describe.h"

#include <charconv>
#include <utility>

#include "lc/form/form.h"
#include "lc/form/layout.h"

namespace lc::form {
namespace {

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
  JsonObject& add(std::string_view name, std::string_view text) {
    begin(name);
    appendJson(text_, text);
    return *this;
  }
  JsonObject& add(std::string_view name, int value) {
    begin(name);
    char digits[16];
    text_.append(digits, std::to_chars(digits, digits + sizeof digits, value).ptr);
    return *this;
  }
  JsonObject& addRaw(std::string_view name, std::string_view json) {
    begin(name);
    text_ += json;
    return *this;
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

std::string_view kindName(ControlKind kind) {
  switch (kind) {
    case ControlKind::TextBox:
      return "TextBox";
    case ControlKind::PushButton:
      return "PushButton";
    case ControlKind::GroupFrame:
      return "GroupFrame";
    case ControlKind::CaptionLabel:
      return "CaptionLabel";
    case ControlKind::ResultLabel:
      break;
  }
  return "ResultLabel";
}

// Keeps what a click shows, in the order it is shown.
class JsonView : public View {
 public:
  void showResult(Field field, std::string_view text) override {
    shown_.add(fieldControl(field).name, text);
  }
  void showReadHint(std::string_view hint) override { shown_.add("hint", hint); }
  void reportError(std::string_view name, std::string_view detail) override {
    shown_.add("errorName", name).add("errorDetail", detail);
  }
  void announce(std::string_view text) override { shown_.add("announcement", text); }

  std::string shown() { return shown_.done(); }

 private:
  JsonObject shown_;
};

}  // namespace

std::string windowJson() {
  std::string controls = "[";
  for (const auto& c : kControls) {
    JsonObject control;
    control.add("name", c.name).add("kind", kindName(c.kind)).add("text", c.text);
    control.add("left", c.rect.left).add("top", c.rect.top);
    control.add("width", c.rect.width).add("height", c.rect.height).add("tabIndex", c.tabIndex);
    if (c.field) control.add("caption", captionOf(*c.field));
    controls += (controls.size() == 1 ? "" : ",") + control.done();
  }
  JsonObject font;
  font.add("family", kFrequencyFont.family).add("pixels", kFrequencyFont.pixels);
  font.add("weight", kFrequencyFont.weight).add("charset", kFrequencyFont.charset);
  JsonObject window;
  window.add("title", kTitle).add("width", kClientWidth).add("height", kClientHeight);
  window.addRaw("frequencyFont", font.done()).add("windowFontPixels", kWindowFontPixels);
  window.add("maxFrequencyLength", kMaxFrequencyLength).add("resultIndent", kResultIndent);
  window.add("copyEntry", kCopyEntry).add("errorHint", kErrorHint);
  window.add("reportButton", kReportButton);
  return window.addRaw("controls", controls + "]").done();
}

std::string clickJson(std::string_view typed, const NumberFormat& format) {
  JsonView view;
  try {
    Form form(view, format);
    form.clickOk(typed);
  } catch (...) {
    reportCurrentFault(view);
  }
  return view.shown();
}

}  // namespace lc::form
