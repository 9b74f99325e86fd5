// SPDX-FileCopyrightText: 2026 The lccalc developers
// SPDX-License-Identifier: MIT
// What the Windows tests read of a window that may be another process's,
// asked of the window itself (GetWindowText gives only a title there), and
// lccalc.exe as they start it.
#pragma once

#include <windows.h>

#include <chrono>
#include <string>
#include <thread>

#include "utf16.h"

namespace lc::win32::testing {

inline std::wstring textOf(HWND window) {
  const auto length = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  text.resize(static_cast<std::size_t>(
      SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()))));
  return text;
}

inline std::wstring classOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

// A path of the build machine, as Wine sees it.
inline std::wstring windowsPath(std::string path) {
  if (path.starts_with('/')) path = "Z:" + path;
  for (char& c : path) c = c == '/' ? '\\' : c;
  return toUtf16(path);
}

// What probe() gives once it gives something, within 10 s.
template <typename Probe>
auto waitFor(Probe probe) {
  for (int i = 0; i < 200; ++i) {
    if (auto value = probe()) return value;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return decltype(probe()){};
}

// lccalc.exe, started for a test (`window`: its main window, once shown)
// and ended with it.
class Program {
 public:
  explicit Program(const std::wstring& path) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    std::wstring command = L"\"" + path + L"\"";
    if (CreateProcessW(path.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                       &startup, &process_)) {
      WaitForInputIdle(process_.hProcess, 10000);
      window = waitFor([this] { return topLevel(L"lccalc.Form1"); });
    }
  }
  ~Program() {
    if (process_.hProcess == nullptr) return;
    if (running()) TerminateProcess(process_.hProcess, 99);
    WaitForSingleObject(process_.hProcess, 10000);
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
  }
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  bool running() const { return WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT; }

  // One of its top-level windows of a class (a report "#32770", a menu
  // "#32768"), if any.
  HWND topLevel(const wchar_t* className, bool visible = true) const {
    struct Search {
      const wchar_t* className;
      bool visible;
      HWND found;
    } search{className, visible, nullptr};
    EnumThreadWindows(
        process_.dwThreadId,
        [](HWND candidate, LPARAM data) {
          auto* s = reinterpret_cast<Search*>(data);
          if (classOf(candidate) != s->className || (s->visible && !IsWindowVisible(candidate)))
            return TRUE;
          s->found = candidate;
          return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
  }

  HWND window = nullptr;

 protected:
  PROCESS_INFORMATION process_{};
};

}  // namespace lc::win32::testing
