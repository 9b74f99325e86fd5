// SPDX-FileCopyrightText: 2026 The lccalc developers
// SPDX-License-Identifier: MIT
// lccalc.exe as Windows 7 and 8.1 run it: without the per-monitor DPI
// functions of Windows 10, which it then does without.
#include "form1.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  Form1 window(instance, lc::win32::DpiFunctions{});
  return window.run(show);
}
