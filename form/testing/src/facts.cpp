// SPDX-FileCopyrightText: 2026 The lccalc developers
// SPDX-License-Identifier: MIT
// Prints what the window shows, as JSON, for the tests that look at a
// running front-end from outside (the Python tests): the title, the client
// area, every control, and for each of a few typed frequencies, in a point
// and a comma language, the results, the box's hint, the report and what a
// screen reader is told. Those tests compare the window with this, so that
// each text is written once, in form/.
#include <charconv>
#include <cstdio>
#include <string>
#include <string_view>

#include "lc/form/form.h"
#include "lc/form/layout.h"
#include "lc/form/testing/recording_view.h"

namespace {

using lc::Field;
using lc::form::ControlKind;

std::string quoted(std::string_view text) {
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + '"';
}

std::string number(int value) {
  char digits[16];
  const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  return {digits, end};
}

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

// One click of OK on `typed`, as JSON.
std::string click(std::string_view typed, std::string_view separator) {
  lc::form::testing::RecordingView view;
  lc::form::Form form(view, lc::NumberFormat{std::string(separator)});
  form.clickOk(typed);
  std::string out = "{\"results\": {";
  for (const Field field : lc::form::kResultFields) {
    out += quoted(lc::form::fieldControl(field).name) + ": " +
           quoted(view.results[static_cast<int>(field)]) + ", ";
  }
  out.resize(out.size() - 2);
  return out + "}, \"hint\": " + quoted(view.hint) + ", \"error\": " + quoted(view.error) +
         ", \"detail\": " + quoted(view.detail) +
         ", \"announcement\": " + quoted(view.announcement) + "}";
}

}  // namespace

int main() {
  std::string out = "{\"title\": " + quoted(lc::form::kTitle) +
                    ", \"width\": " + number(lc::form::kClientWidth) +
                    ", \"height\": " + number(lc::form::kClientHeight) + ", \"controls\": [";
  for (const auto& control : lc::form::kControls) {
    out += "\n  {\"name\": " + quoted(control.name) +
           ", \"kind\": " + quoted(kindName(control.kind)) + ", \"text\": " + quoted(control.text) +
           ", \"rect\": [" + number(control.rect.left) + ", " + number(control.rect.top) + ", " +
           number(control.rect.width) + ", " + number(control.rect.height) +
           "], \"tabIndex\": " + number(control.tabIndex);
    if (control.field) {
      out += ", \"caption\": " + quoted(lc::form::captionOf(*control.field));
    }
    out += "},";
  }
  out.back() = ']';
  out += ",\n\"clicks\": {";
  for (const std::string_view separator : {".", ","}) {
    out += "\n  " + quoted(separator) + ": {";
    for (const std::string_view typed : {"7", "144", "1E+150"}) {
      out += "\n    " + quoted(typed) + ": " + click(typed, separator) + ",";
    }
    out.back() = '}';
    out += ",";
  }
  out.back() = '}';
  out += "}\n";
  return std::fputs(out.c_str(), stdout) < 0 ? 1 : 0;
}
