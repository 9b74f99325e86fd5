// SPDX-FileCopyrightText: 2026 The lccalc developers
// SPDX-License-Identifier: MIT
// What a click does in the window, whatever toolkit draws it: the fields the
// calculation reads and writes, the hint that says what was read, the error
// report, and the texts the window shows for them.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <string_view>

#include "lc/convert.h"
#include "lc/error.h"
#include "lc/form_fields.h"

namespace lc::form {

// The toolkit's side of the window. Texts are UTF-8.
class View {
 public:
  virtual ~View() = default;

  // Shows `text` in a result field (L, C or LL); empty text blanks it. The
  // label shows it whole, or shortened by fitResult where it does not fit,
  // and carries it whole in its tooltip and accessible name.
  virtual void showResult(Field field, std::string_view text) = 0;
  // Sets the frequency box's tooltip and accessible description.
  virtual void showReadHint(std::string_view hint) = 0;
  // Shows a modal report titled as the window, and returns once the user
  // has closed it.
  virtual void reportError(std::string_view name, std::string_view hint) = 0;
  // Has a screen reader say `text` once, after what it is saying.
  virtual void announce(std::string_view text) = 0;
};

// The window's fields as the calculation sees them, and the click flow
// around it. A result field reads back exactly the text last written to it,
// whatever its label shows.
class Form : public FormFields {
 public:
  Form(View& view, NumberFormat format) : view_(view), format_(std::move(format)) {}

  std::string ReadText(Field field) const override;
  void WriteText(Field field, std::string_view text) override;

  // A click of OK on `typed`, the text the frequency box holds (the
  // calculation reads it as F): says what was read, runs the calculation
  // and shows its results. A failure blanks the results the click did not reach, so that
  // none of an earlier frequency stays beside new ones, and is reported;
  // the window then goes on. While a report is open a click does nothing,
  // so reports never stack. The results shown are then announced, once the
  // report, if any, is closed.
  void clickOk(std::string_view typed);

  // The results shown, from the top of the window down, each after its
  // caption: "L, мкГн 6,03714243212803; C, пФ 85,7142857142858; W, М 42,…".
  // Blank results are left out.
  std::string announcement() const;

  const NumberFormat& format() const { return format_; }

 private:
  static constexpr std::size_t kFieldCount = 4;

  View& view_;
  NumberFormat format_;
  std::array<std::string, kFieldCount> texts_;  // indexed by Field; F's is the click's typed text
  std::array<bool, kFieldCount> written_{};     // by the current click
  bool reporting_ = false;
};

// The Russian name of an error kind, as the report shows it.
std::string_view errorName(ErrorKind kind);

// The line under the error's name.
inline constexpr std::string_view kErrorHint = "Введите другую частоту.";

// The button that closes the report, where the page draws it; the desktop
// programs' message boxes have the system's own.
inline constexpr std::string_view kReportButton = "OK";

// The name of a failure that is not the calculation's: a fault of the
// program, reported where the toolkit hands control to it.
inline constexpr std::string_view kInternalError = "Внутренняя ошибка";

// The line under kInternalError for a fault that says nothing of itself
// (an exception that is not a std::exception).
inline constexpr std::string_view kUnknownFault = "Неизвестная ошибка.";

// Shows on `view` the report of the exception being handled (call it in a
// catch block): kInternalError over what a std::exception says, or over
// kUnknownFault for any other. For the places where the toolkit hands
// control to the program, which no exception may leave: a report that
// itself fails is dropped, as nothing is left to tell the user with.
void reportCurrentFault(View& view) noexcept;

// What the frequency box's hint says of `typed`: the number LeadingNumber
// reads, written as the results are, in MHz ("Прочитано: 7 МГц"), or that
// it lies beyond the range of numbers.
std::string readHint(std::string_view typed, const NumberFormat& format);

// The text a result label shows for `text`, a text NumberToText wrote, when
// `fits` says whether a text fits the label. A text that fits is shown
// whole. Otherwise digits are dropped from the end of the fraction, before
// any exponent, and an ellipsis marks the place ("4,2857142857…E-19"): the
// sign, the integer digits, the separator and the exponent always stay, so
// the shown text never misstates the magnitude. When even that does not
// fit, it is returned with no fraction digits at all.
std::string elideResult(std::string_view text, const NumberFormat& format,
                        const std::function<bool(std::string_view)>& fits);

// The text a result label shows for `text`, the one rule of every
// front-end: a text fits when `width` (its width in the label's font) is at
// most the label's width inside its border, `innerWidth`, less `indent`
// (kResultIndent at the label's scale) on both sides; one that does not is
// elided by elideResult. Widths in any one unit: pixels, logical or not.
std::string fitResult(std::string_view text, const NumberFormat& format, double innerWidth,
                      double indent, const std::function<double(std::string_view)>& width);

}  // namespace lc::form
