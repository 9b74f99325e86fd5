// SPDX-FileCopyrightText: 2026 The lccalc developers
// SPDX-License-Identifier: MIT
// The per-monitor DPI functions of Windows 10 version 1607 and later, found
// at run time so that the program starts on Windows 7 and 8.1 too, where
// the system DPI stands in for them.
#pragma once

#include <windows.h>

namespace lc::win32 {

struct DpiFunctions {
  // Each is null where the system lacks it.
  UINT(WINAPI* getDpiForWindow)(HWND) = nullptr;
  BOOL(WINAPI* adjustWindowRectExForDpi)(RECT*, DWORD, BOOL, DWORD, UINT) = nullptr;
  BOOL(WINAPI* systemParametersInfoForDpi)(UINT, UINT, void*, UINT, UINT) = nullptr;

  // Those this system's user32 has.
  static DpiFunctions ofSystem() {
    DpiFunctions functions;
    if (HMODULE user32 = GetModuleHandleW(L"user32.dll")) {
      find(user32, "GetDpiForWindow", functions.getDpiForWindow);
      find(user32, "AdjustWindowRectExForDpi", functions.adjustWindowRectExForDpi);
      find(user32, "SystemParametersInfoForDpi", functions.systemParametersInfoForDpi);
    }
    return functions;
  }

  // The DPI `window` is drawn at: its monitor's, or the system's.
  UINT dpiOf(HWND window) const {
    if (getDpiForWindow != nullptr) return getDpiForWindow(window);
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : USER_DEFAULT_SCREEN_DPI;
  }

  // The window rectangle round `client` at `dpi`.
  void adjust(RECT& client, DWORD style, DWORD exStyle, UINT dpi) const {
    if (adjustWindowRectExForDpi != nullptr) {
      adjustWindowRectExForDpi(&client, style, FALSE, exStyle, dpi);
    } else {
      AdjustWindowRectEx(&client, style, FALSE, exStyle);
    }
  }

  // The system's fonts and sizes of window parts, at `dpi`.
  NONCLIENTMETRICSW nonClientMetrics(UINT dpi) const {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (systemParametersInfoForDpi != nullptr) {
      systemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi);
    } else {
      SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    }
    return metrics;
  }

 private:
  template <typename Function>
  static void find(HMODULE module, const char* name, Function& function) {
    // Through void (*)(), which converts to any function pointer type.
    function =
        reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
  }
};

}  // namespace lc::win32
