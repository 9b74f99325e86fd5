// SPDX-FileCopyrightText: 2026 The lccalc developers
// SPDX-License-Identifier: MIT
// The calculator's one window on Windows, of the system's own controls,
// built from the toolkit-free description of the window.
#pragma once

#include <oleacc.h>
#include <windows.h>

#include <array>
#include <string>

#include "dpi.h"
#include "lc/form/form.h"
#include "lc/form/layout.h"

class Form1 : private lc::form::View {
 public:
  // `dpi` gives the per-monitor DPI functions to use, those of the system
  // unless a test hides them.
  explicit Form1(HINSTANCE instance,
                 lc::win32::DpiFunctions dpi = lc::win32::DpiFunctions::ofSystem());
  ~Form1() override;
  Form1(const Form1&) = delete;
  Form1& operator=(const Form1&) = delete;

  // Shows the window and runs the message loop until it is closed; returns
  // the exit status.
  int run(int show);

  // The id of a control in its window (GetDlgItem). They start above IDOK
  // and IDCANCEL, which the dialog manager sends for Enter and Escape when no
  // button is the default: those must not click.
  static constexpr int controlId(lc::form::ControlId id) { return 100 + static_cast<int>(id); }
  // The live region that screen readers read after each click.
  static constexpr int kAnnouncerControlId = 99;

  // What a result label `width` pixels wide inside its border, at `dpi`,
  // shows of `result` (UTF-8), measured in the font selected into `dc`.
  static std::wstring shownResult(HDC dc, std::string_view result, const lc::NumberFormat& format,
                                  int width, UINT dpi);

 private:
  static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  void createControls();
  // Places the controls and sets their fonts for `dpi` dots per inch.
  void layOut(UINT dpi);
  void drawResult(const DRAWITEMSTRUCT& item);
  // Shows the Copy menu of a result label at `at` (screen coordinates), or
  // under the label when opened from the keyboard; false for any other
  // window, whose context menu is the system's.
  bool offerCopy(HWND label, LPARAM at);
  const wchar_t* tipFor(HWND control);

  void Ok_Click();
  void Command1_Click();

  HWND control(lc::form::ControlId id) const { return controls_[static_cast<std::size_t>(id)]; }
  HWND resultControl(lc::Field field) const;

  // lc::form::View
  void showResult(lc::Field field, std::string_view text) override;
  void showReadHint(std::string_view hint) override;
  void reportError(std::string_view name, std::string_view detail) override;
  void announce(std::string_view text) override;

  HINSTANCE instance_;
  lc::win32::DpiFunctions dpiFunctions_;
  lc::form::Form form_;
  HWND window_ = nullptr;
  std::array<HWND, lc::form::kControls.size()> controls_{};
  HWND tooltip_ = nullptr;
  // The control that had the focus when the window was last deactivated.
  HWND focused_ = nullptr;
  // A live region: screen readers read its text when it changes.
  HWND announcer_ = nullptr;
  IAccPropServices* accessibility_ = nullptr;
  HFONT frequencyFont_ = nullptr;
  HFONT windowFont_ = nullptr;
  UINT dpi_ = USER_DEFAULT_SCREEN_DPI;
  std::wstring readHint_;
  std::wstring tip_;  // the text the tooltip asked for last
};
