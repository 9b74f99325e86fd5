// SPDX-FileCopyrightText: 2026 The lccalc developers
// SPDX-License-Identifier: MIT
// What a key costs in the frequency box of the Windows window as its text
// grows: the real window, made in this process, with N characters in the
// box, then the best of five cursor keys and typed characters, each until
// the window is drawn again. The last row is a 1 MB paste through the
// clipboard, which the box's length limit cuts. scripts/bench.sh runs it
// under Wine.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

#include "form1.h"
#include "lc/form/layout.h"

namespace {

using Clock = std::chrono::steady_clock;

double milliseconds(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double, std::milli>(to - from).count();
}

HWND formWindow() {
  HWND found = nullptr;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND candidate, LPARAM data) {
        wchar_t name[64] = {};
        GetClassNameW(candidate, name, 64);
        if (std::wstring(name) == L"lccalc.Form1") *reinterpret_cast<HWND*>(data) = candidate;
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

std::wstring pasted(std::size_t length) {
  std::wstring text = L"7 MHz";
  while (text.size() < length) text += L" 1234567890 abcdefghij";
  text.resize(length);
  return text;
}

void paste(HWND owner, HWND box, const std::wstring& text) {
  OpenClipboard(owner);
  EmptyClipboard();
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
  CopyMemory(GlobalLock(memory), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
  GlobalUnlock(memory);
  SetClipboardData(CF_UNICODETEXT, memory);
  CloseClipboard();
  SendMessageW(box, WM_PASTE, 0, 0);
}

}  // namespace

int main() {
  std::printf("| text in the box | characters kept | ms a cursor key | ms a typed key |\n");
  std::printf("|---|---:|---:|---:|\n");
  const std::size_t lengths[] = {1'000, 10'000, 100'000, 1'000'000};
  for (const std::size_t length : lengths) {
    Form1 form(GetModuleHandleW(nullptr));
    HWND window = formWindow();
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    HWND box = GetDlgItem(window, Form1::controlId(lc::form::ControlId::F));
    SetFocus(box);
    const bool byPaste = length == lengths[std::size(lengths) - 1];
    if (byPaste) {
      paste(window, box, pasted(length));
    } else {
      SendMessageW(box, EM_SETLIMITTEXT, 0, 0);  // set, not typed: no limit
      SetWindowTextW(box, pasted(length).c_str());
    }
    const auto kept = static_cast<std::size_t>(GetWindowTextLengthW(box));
    SendMessageW(box, EM_SETSEL, kept, static_cast<LPARAM>(kept));
    double cursor = 1e9;
    double typed = 1e9;
    for (int run = 0; run < 5; ++run) {
      const auto start = Clock::now();
      SendMessageW(box, WM_KEYDOWN, VK_LEFT, 1);
      SendMessageW(box, WM_KEYUP, VK_LEFT, 0xC0000001);
      UpdateWindow(window);
      const auto moved = Clock::now();
      SendMessageW(box, WM_CHAR, L'7', 1);
      UpdateWindow(window);
      const auto done = Clock::now();
      cursor = std::min(cursor, milliseconds(start, moved));
      typed = std::min(typed, milliseconds(moved, done));
    }
    std::printf("| %s %zu characters | %zu | %.1f | %.1f |\n", byPaste ? "pasted:" : "set:", length,
                kept, cursor, typed);
  }
  return 0;
}
