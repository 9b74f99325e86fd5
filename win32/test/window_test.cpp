// SPDX-FileCopyrightText: 2026 The lccalc developers
// SPDX-License-Identifier: MIT
// What only the Windows window has, under Wine. In a window made in this
// program (which has lccalc's resources): the layout, fonts and a result's
// indent after WM_DPICHANGED at 96, 120 and 144 DPI, the window's icon,
// where a long result is shortened (the table every front-end shares),
// every exception stopped at the window procedure, and the window's user
// data cleared with its last message. Of the real lccalc.exe, driven from
// outside: the system menu on its title bar and Copy's menu under a result
// opened from the keyboard. What a user meets in the window is the scenario
// table's (form/test/window_test.py, through driver.cpp).
//
// Usage: lc_win32_window_tests LCCALC_EXE [GoogleTest flags]
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h:
#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "form1.h"
#include "lc/form/form.h"
#include "lc/form/layout.h"
#include "lc/form/testing/shortening.h"
#include "other_window.h"
#include "utf16.h"

namespace {

using lc::form::ControlId;
using lc::win32::toUtf16;
using lc::win32::toUtf8;
using lc::win32::testing::classOf;
using lc::win32::testing::textOf;
using lc::win32::testing::waitFor;
using lc::win32::testing::windowsPath;
using namespace std::chrono_literals;

std::wstring lccalcPath;

// What a message box says: the texts of its controls, each followed by "|".
std::wstring boxText(HWND box) {
  std::wstring said;
  EnumChildWindows(
      box,
      [](HWND child, LPARAM text) {
        if (const std::wstring line = textOf(child); !line.empty()) {
          *reinterpret_cast<std::wstring*>(text) += line + L"|";
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&said));
  return said;
}

// The real lccalc.exe, driven from outside.
struct Lccalc : lc::win32::testing::Program {
  Lccalc() : Program(lccalcPath) { EXPECT_NE(window, nullptr) << "no window"; }
  HWND control(ControlId id) const { return GetDlgItem(window, Form1::controlId(id)); }
  HWND popupMenu() const { return topLevel(L"#32768"); }
};

RECT clientRectOf(HWND control, HWND window) {
  RECT r{};
  GetWindowRect(control, &r);
  MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

// What each kind of control is made of.
const wchar_t* expectedClass(lc::form::ControlKind kind) {
  switch (kind) {
    case lc::form::ControlKind::TextBox:
      return L"Edit";
    case lc::form::ControlKind::PushButton:
    case lc::form::ControlKind::GroupFrame:
      return L"Button";
    default:
      return L"Static";
  }
}

// Every control where the description puts it, at `dpi`.
// `client`: the client area's size too, which only a process aware of each
// monitor's DPI gets at another DPI than the system's.
void expectLayout(HWND window, int dpi, bool client = true) {
  const auto scale = [dpi](int pixels) { return MulDiv(pixels, dpi, 96); };
  if (client) {
    RECT area{};
    GetClientRect(window, &area);
    EXPECT_EQ(area.right, scale(lc::form::kClientWidth));
    EXPECT_EQ(area.bottom, scale(lc::form::kClientHeight));
  }
  for (const auto& c : lc::form::kControls) {
    HWND control = GetDlgItem(window, Form1::controlId(c.id));
    ASSERT_NE(control, nullptr) << c.name;
    EXPECT_EQ(classOf(control), expectedClass(c.kind)) << c.name;
    const RECT r = clientRectOf(control, window);
    EXPECT_EQ(r.left, scale(c.rect.left)) << c.name << " at " << dpi;
    EXPECT_EQ(r.top, scale(c.rect.top)) << c.name << " at " << dpi;
    EXPECT_EQ(r.right, scale(c.rect.left + c.rect.width)) << c.name << " at " << dpi;
    EXPECT_EQ(r.bottom, scale(c.rect.top + c.rect.height)) << c.name << " at " << dpi;
  }
}

// A window made in this process, for what another process cannot see: its
// fonts (GDI handles belong to their process), its tooltips, its messages.
class InProcess {
 public:
  InProcess() {
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND candidate, LPARAM found) {
          if (classOf(candidate) == L"lccalc.Form1") *reinterpret_cast<HWND*>(found) = candidate;
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&window));
  }
  HWND control(ControlId id) const { return GetDlgItem(window, Form1::controlId(id)); }

  Form1 form{GetModuleHandleW(nullptr)};
  HWND window = nullptr;
};

// Sent when the window moves to a monitor of another DPI, with the window
// rectangle the system suggests there.
void moveToDpi(HWND window, int dpi) {
  RECT suggested{100, 100, 100 + MulDiv(lc::form::kClientWidth, dpi, 96) + 16,
                 100 + MulDiv(lc::form::kClientHeight, dpi, 96) + 40};
  SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
}

// A control's client area as it draws itself, a column of colours for each
// pixel column from the left.
std::vector<std::vector<COLORREF>> drawn(HWND control) {
  RECT area{};
  GetClientRect(control, &area);
  HDC screen = GetDC(control);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, area.right, area.bottom);
  const HGDIOBJ previous = SelectObject(dc, bitmap);
  SendMessageW(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
  std::vector<std::vector<COLORREF>> columns(static_cast<std::size_t>(area.right));
  for (int x = 0; x < area.right; ++x) {
    for (int y = 0; y < area.bottom; ++y)
      columns[static_cast<std::size_t>(x)].push_back(GetPixel(dc, x, y));
  }
  SelectObject(dc, previous);
  DeleteObject(bitmap);
  DeleteDC(dc);
  ReleaseDC(control, screen);
  return columns;
}

// The first column of a label's client area, from the left, where its text
// leaves ink, as the label draws itself; -1 where it leaves none.
int firstInkColumn(HWND label) {
  const auto columns = drawn(label);
  if (columns.empty()) return -1;
  const COLORREF background = columns.back().front();
  for (std::size_t x = 0; x < columns.size(); ++x) {
    if (std::any_of(columns[x].begin(), columns[x].end(),
                    [&](COLORREF c) { return c != background; })) {
      return static_cast<int>(x);
    }
  }
  return -1;
}

TEST(Win32Window, laysOutAndSizesTheBoxsFontAtTheNewDpi) {
  InProcess app;
  ASSERT_NE(app.window, nullptr);
  // The title bar has the program's icon (this program has lccalc.exe's
  // resources; another process's window class is not readable).
  EXPECT_NE(GetClassLongPtrW(app.window, GCLP_HICON), 0u);
  for (const int dpi : {96, 120, 144}) {
    SCOPED_TRACE(dpi);
    moveToDpi(app.window, dpi);
    expectLayout(app.window, dpi, /*client=*/false);
    // The box's font has the described size: a family that has it, the
    // described one where it does.
    const int pixels = MulDiv(lc::form::kFrequencyFont.pixels, dpi, 96);
    const auto handle =
        reinterpret_cast<HFONT>(SendMessageW(app.control(ControlId::F), WM_GETFONT, 0, 0));
    LOGFONTW font{};
    ASSERT_NE(GetObjectW(handle, sizeof font, &font), 0);
    EXPECT_EQ(font.lfHeight, -pixels);
    EXPECT_EQ(font.lfWeight, FW_NORMAL);
    EXPECT_EQ(font.lfCharSet, RUSSIAN_CHARSET);
    EXPECT_FALSE(font.lfItalic || font.lfUnderline || font.lfStrikeOut);
    const std::wstring family = font.lfFaceName;
    EXPECT_TRUE(family == toUtf16(lc::form::kFrequencyFont.family) ||
                family == L"Microsoft Sans Serif" || family == L"Tahoma")
        << toUtf8(family);
    HDC screen = GetDC(nullptr);
    const HGDIOBJ previous = SelectObject(screen, handle);
    TEXTMETRICW metrics{};
    GetTextMetricsW(screen, &metrics);
    SelectObject(screen, previous);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(metrics.tmHeight - metrics.tmInternalLeading, pixels) << toUtf8(family);
    // Every other control has the window's font, at the DPI's size.
    for (const auto& c : lc::form::kControls) {
      if (c.id == ControlId::F) continue;
      LOGFONTW other{};
      GetObjectW(reinterpret_cast<HFONT>(SendMessageW(app.control(c.id), WM_GETFONT, 0, 0)),
                 sizeof other, &other);
      EXPECT_EQ(other.lfHeight, -MulDiv(lc::form::kWindowFontPixels, dpi, 96)) << c.name;
    }
    // A result's text starts the indent, at the DPI's size, in from its
    // border (a digit's own side bearing is at most a pixel).
    SetWindowTextW(app.control(ControlId::LL), L"7");
    const int indent = MulDiv(lc::form::kResultIndent, dpi, 96);
    const int ink = firstInkColumn(app.control(ControlId::LL));
    EXPECT_TRUE(ink >= indent && ink <= indent + 1) << "ink from " << ink << ", not " << indent;
  }
}

TEST(Win32Window, offersCopyOnResultsAndTheSystemMenuElsewhere) {
  Lccalc app;
  ASSERT_NE(app.window, nullptr);
  SendMessageW(app.control(ControlId::F), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"7"));
  SendMessageW(app.control(ControlId::Ok), BM_CLICK, 0, 0);
  RECT frame{}, client{}, label{};
  GetWindowRect(app.window, &frame);
  GetClientRect(app.window, &client);
  MapWindowPoints(app.window, nullptr, reinterpret_cast<POINT*>(&client), 2);
  GetWindowRect(app.control(ControlId::LL), &label);
  struct Case {
    const char* what;
    HWND target;
    LPARAM at;
    POINT expectedCorner;  // of the menu; {-1, -1}: anywhere
  };
  const Case cases[] = {
      // A right click on the title bar: the system menu, as in every window.
      {"title bar",
       app.window,
       MAKELPARAM((frame.left + frame.right) / 2, (frame.top + client.top) / 2),
       {-1, -1}},
      // Shift+F10 or the menu key: Copy, under the result.
      {"keyboard on a result", app.control(ControlId::LL), -1, {label.left, label.bottom}},
  };
  for (const auto& c : cases) {
    PostMessageW(app.window, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(c.target), c.at);
    HWND menu = waitFor([&] { return app.popupMenu(); });
    EXPECT_NE(menu, nullptr) << c.what;
    if (menu == nullptr) continue;
    RECT r{};
    GetWindowRect(menu, &r);
    if (c.expectedCorner.x != -1) {
      EXPECT_EQ(r.left, c.expectedCorner.x) << c.what;
      EXPECT_EQ(r.top, c.expectedCorner.y) << c.what;
    }
    PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 1);
    PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 1);  // a submenu's parent too
    EXPECT_EQ(waitFor([&] { return app.popupMenu() == nullptr; }), true) << c.what;
  }
}

// What no handler catches stops at the window procedure: it is reported
// and the window goes on. Results that cannot be shown make a click fail,
// and then make the blanking of what it did not reach fail too.
TEST(Win32Window, stopsEveryExceptionAtTheWindowProcedure) {
  InProcess app;
  ASSERT_NE(app.window, nullptr);
  DestroyWindow(app.control(ControlId::LL));
  DestroyWindow(app.control(ControlId::C));
  SetWindowTextW(app.control(ControlId::F), L"7");
  std::vector<std::wstring> reports;
  std::atomic<bool> clicked = false;
  std::thread closer([&] {
    // Closes each report this process shows, noting what it said.
    while (!clicked) {
      struct Search {
        HWND owner;
        HWND box;
      } search{app.window, nullptr};
      EnumThreadWindows(
          GetWindowThreadProcessId(app.window, nullptr),
          [](HWND candidate, LPARAM data) {
            auto* s = reinterpret_cast<Search*>(data);
            if (classOf(candidate) == L"#32770" && GetWindow(candidate, GW_OWNER) == s->owner) {
              s->box = candidate;
            }
            return TRUE;
          },
          reinterpret_cast<LPARAM>(&search));
      HWND box = search.box;
      if (box == nullptr) {
        std::this_thread::sleep_for(20ms);
        continue;
      }
      // What it says, once it says it: it may be found half made, its
      // button named before its message.
      std::wstring said;
      for (int i = 0; i < 100 && std::count(said.begin(), said.end(), L'|') < 2; ++i) {
        if (i > 0) std::this_thread::sleep_for(20ms);
        said = boxText(box);
      }
      reports.push_back(said);
      SendMessageW(box, WM_COMMAND, IDOK, 0);
      std::this_thread::sleep_for(100ms);
    }
  });
  // The click as the button reports it to the window.
  SendMessageW(app.window, WM_COMMAND, MAKEWPARAM(Form1::controlId(ControlId::Ok), BN_CLICKED),
               reinterpret_cast<LPARAM>(app.control(ControlId::Ok)));
  clicked = true;
  closer.join();
  ASSERT_FALSE(reports.empty());
  EXPECT_NE(reports.back().find(toUtf16(lc::form::kInternalError)), std::wstring::npos)
      << toUtf8(reports.back());
  EXPECT_TRUE(IsWindow(app.window));
}

// The window's user data is cleared with its last message, so that nothing
// that comes after reaches the Form1 it belonged to.
HWND destroyedWindow;
LONG_PTR userDataAfterLastMessage = -1;

TEST(Win32Window, clearsItsUserDataWithItsLastMessage) {
  InProcess app;
  ASSERT_NE(app.window, nullptr);
  destroyedWindow = app.window;
  HHOOK hook = SetWindowsHookExW(
      WH_CALLWNDPROCRET,
      [](int code, WPARAM wParam, LPARAM lParam) -> LRESULT {
        const auto* call = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
        if (code == HC_ACTION && call->hwnd == destroyedWindow && call->message == WM_NCDESTROY) {
          userDataAfterLastMessage = GetWindowLongPtrW(call->hwnd, GWLP_USERDATA);
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
      },
      nullptr, GetCurrentThreadId());
  ASSERT_NE(hook, nullptr);
  DestroyWindow(app.window);
  UnhookWindowsHookEx(hook);
  EXPECT_EQ(userDataAfterLastMessage, 0);
}

// The table every front-end shares of where a long result is shortened,
// each row as "whole | three shortened forms | one fraction digit | none",
// at the edges shortening.txt names, measured in the result label's own
// font.
TEST(Win32Window, shortensALongResultAtTheEdgeOfItsLabel) {
  const auto table = lc::form::testing::shorteningTable();
  ASSERT_EQ(table.rows.size(), 5u);
  InProcess app;
  ASSERT_NE(app.window, nullptr);
  HWND label = app.control(ControlId::LL);
  // At the DPI the window is made for, and at another with its own font.
  for (const UINT dpi : {96u, 144u}) {
    SCOPED_TRACE(dpi);
    moveToDpi(app.window, static_cast<int>(dpi));
    HDC dc = GetDC(label);
    const HGDIOBJ oldFont =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0)));
    for (const auto& row : table.rows) {
      SCOPED_TRACE(row[0]);
      const lc::NumberFormat format{row[0].find(',') != std::string::npos ? "," : "."};
      // The narrowest label, inside its border, that shows `text` whole.
      const auto edge = [&](std::string_view text) {
        const std::wstring wide = toUtf16(text);
        SIZE size{};
        GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
        return static_cast<int>(size.cx) + 2 * MulDiv(table.padding, static_cast<int>(dpi), 96);
      };
      for (const auto& [width, shown] : lc::form::testing::shorteningEdges(row, edge)) {
        EXPECT_EQ(toUtf8(Form1::shownResult(dc, row[0], format, width, dpi)), shown)
            << "at " << width;
      }
    }
    SelectObject(dc, oldFont);
    ReleaseDC(label, dc);
  }
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  // Places and sizes as lccalc.exe sees them, in physical pixels: a program
  // unaware of DPI is shown those of other programs scaled to its own DPI
  // (Wine 10 does so). The function is Windows 10's: looked up.
  using SetAwareness = BOOL(WINAPI*)(HANDLE);
  if (const auto set = reinterpret_cast<SetAwareness>(reinterpret_cast<void (*)()>(
          GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetProcessDpiAwarenessContext")))) {
    set(reinterpret_cast<HANDLE>(-4));  // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2
  }
  if (argc < 2 && !GTEST_FLAG_GET(list_tests)) {
    std::fputs("usage: lc_win32_window_tests LCCALC_EXE\n", stderr);
    return 2;
  }
  if (argc >= 2) lccalcPath = windowsPath(argv[1]);
  return RUN_ALL_TESTS();
}
