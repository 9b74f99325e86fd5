// SPDX-FileCopyrightText: 2026 The lccalc developers
// SPDX-License-Identifier: MIT
// The calculator's window as data: every control with its kind, text,
// place and tab index, the title and the fonts. Each front-end builds its
// window from this, so a position or a text changes here and nowhere else.
// Texts are UTF-8; places are pixels at 96 DPI, drawn up in twips (15 to a
// pixel), from the top-left corner of the client area.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

#include "lc/form_fields.h"

namespace lc::form {

struct Rect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  bool operator==(const Rect&) const = default;
};

enum class ControlKind {
  TextBox,  // single-line, editable: the typed frequency
  PushButton,
  GroupFrame,    // a titled frame drawn round the text box
  CaptionLabel,  // names the result below it
  ResultLabel,   // shows a result; bordered, a fixed size whatever it shows
};

// The controls in the order they are created: the frame before the box, so
// that the box, which belongs to the window and not to the frame, lies above.
enum class ControlId { Frame1, F, Ok, Command1, Label1, L, Label2, C, Label3, LL };

struct Control {
  ControlId id;
  std::string_view name;  // the control's object name
  ControlKind kind;
  std::string_view text;  // at start
  Rect rect;
  int tabIndex;
  std::optional<Field> field;  // the value field it is, if any
};

// "Расчет LC-конура", 31 spaces that push the author's name towards the
// right end of the title bar, then "TIRVAL": 53 characters.
inline constexpr std::string_view kTitle = "Расчет LC-конура                               TIRVAL";

inline constexpr int kClientWidth = 330;
inline constexpr int kClientHeight = 219;

inline constexpr std::array<Control, 10> kControls{{
    {ControlId::Frame1, "Frame1", ControlKind::GroupFrame, "Частота, МГц", {24, 8, 113, 73}, 6, {}},
    {ControlId::F, "F", ControlKind::TextBox, "", {40, 32, 81, 33}, 0, Field::F},
    {ControlId::Ok, "Ok", ControlKind::PushButton, "OK", {40, 96, 81, 33}, 1, {}},
    {ControlId::Command1, "Command1", ControlKind::PushButton, "Exit", {40, 160, 81, 33}, 5, {}},
    {ControlId::Label1, "Label1", ControlKind::CaptionLabel, "L, мкГн", {184, 16, 121, 17}, 7, {}},
    {ControlId::L, "L", ControlKind::ResultLabel, "", {184, 32, 121, 33}, 2, Field::L},
    {ControlId::Label2, "Label2", ControlKind::CaptionLabel, "C, пФ", {184, 80, 121, 17}, 8, {}},
    {ControlId::C, "C", ControlKind::ResultLabel, "", {184, 96, 121, 33}, 3, Field::C},
    // The "М" is the Cyrillic capital Em; "W" is Latin.
    {ControlId::Label3, "Label3", ControlKind::CaptionLabel, "W, М", {184, 144, 121, 17}, 9, {}},
    {ControlId::LL, "LL", ControlKind::ResultLabel, "", {184, 160, 121, 33}, 4, Field::LL},
}};

constexpr const Control& control(ControlId id) { return kControls[static_cast<std::size_t>(id)]; }

// Every control, in the order of its tab index.
constexpr std::array<const Control*, kControls.size()> inTabOrder() {
  std::array<const Control*, kControls.size()> order{};
  for (std::size_t i = 0; i < kControls.size(); ++i) order[i] = &kControls[i];
  std::sort(order.begin(), order.end(), [](auto* a, auto* b) { return a->tabIndex < b->tabIndex; });
  return order;
}

// Whether the keyboard's focus visits a control of this kind.
constexpr bool takesFocus(ControlKind kind) {
  return kind == ControlKind::TextBox || kind == ControlKind::PushButton;
}

// The control that names a field: the caption above a result (L, C or LL),
// the frame round the frequency box (F).
constexpr const Control& captionControl(Field field) {
  switch (field) {
    case Field::L:
      return control(ControlId::Label1);
    case Field::C:
      return control(ControlId::Label2);
    case Field::LL:
      return control(ControlId::Label3);
    case Field::F:
      break;
  }
  return control(ControlId::Frame1);
}

// The control that holds a field: the frequency box (F) or the label that
// shows a result (L, C or LL).
constexpr const Control& fieldControl(Field field) {
  return *std::find_if(kControls.begin(), kControls.end(),
                       [field](const Control& c) { return c.field == field; });
}

// The caption shown above a result field (L, C or LL).
constexpr std::string_view captionOf(Field field) { return captionControl(field).text; }

// The result fields from the top of the window down.
inline constexpr std::array<Field, 3> kResultFields{Field::L, Field::C, Field::LL};

// The entry of a result label's context menu that copies the whole result;
// "&" marks its access key.
inline constexpr std::string_view kCopyEntry = "&Копировать";

// The frequency box's own font. Every other control uses the window's font.
struct FontSpec {
  std::string_view family;
  int pixels;   // at 96 DPI
  int weight;   // 400 is regular
  int charset;  // 204: Cyrillic
};
inline constexpr FontSpec kFrequencyFont{"MS Sans Serif", 18, 400, 204};

// The window's font size: the captions and a 15-digit result were laid out
// for it.
inline constexpr int kWindowFontPixels = 11;

// The most characters the frequency box takes. A typed number is never near
// this long, and toolkits lay out the whole line on every key: with a paste
// of several megabytes each key would take seconds, and at 100,000
// characters Wine's edit control needs about 90 ms a key.
inline constexpr int kMaxFrequencyLength = 10'000;

// Space between a result label's border and its text, on each side, in
// pixels at 96 DPI. A result's text may take the label's width inside its
// border less this on both sides (fitResult in form.h).
inline constexpr int kResultIndent = 4;

}  // namespace lc::form
