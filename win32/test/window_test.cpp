// SPDX-FileCopyrightText: 2026 The lccalc developers
// SPDX-License-Identifier: MIT
// The real lccalc.exe, started and driven from outside with Win32 messages,
// as a user's keys and clicks would drive it, under Wine: its controls'
// classes, texts and places at 96 and 144 DPI, the frequency box's font,
// the focus at start, Tab order, that Enter in the box does nothing, the
// worked values, an error report (and OK pressed while it is open), the
// box's tooltip, the live-region event after each click, Copy's clipboard
// block and menus, commas in a Russian locale, and exit status 0 after Exit
// and after closing. In a window made in this program (which has lccalc's
// resources): the layout, fonts and a result's indent after WM_DPICHANGED
// at 96, 120 and 144 DPI, the window's icon, a build with the Windows 10
// DPI functions hidden (as Windows 7 runs it), the colours of a
// high-contrast scheme, and every exception stopped at the window
// procedure. A report no test expected ends its test at once, with its
// text.
//
// Usage: lc_win32_window_tests LCCALC_EXE LCCALC_HIDDEN_DPI_EXE [GoogleTest flags]
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h:
#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "form1.h"
#include "lc/form/form.h"
#include "lc/form/layout.h"
#include "lc/form/testing/recording_view.h"
#include "lc/form/testing/shortening.h"
#include "utf16.h"

namespace {

using lc::form::ControlId;
using lc::win32::toUtf16;
using lc::win32::toUtf8;
using namespace std::chrono_literals;

std::wstring lccalcPath;
std::wstring hiddenDpiPath;     // lccalc.exe without the per-monitor DPI functions
std::wstring separator = L".";  // the decimal separator of the locale the test runs in

// A path of the build machine, as Wine sees it.
std::wstring windowsPath(std::string path) {
  if (path.starts_with('/')) path = "Z:" + path;
  for (char& c : path) c = c == '/' ? '\\' : c;
  return toUtf16(path);
}

// The text of a window of another process, asked of the window itself.
std::wstring textOf(HWND window) {
  const auto length = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  text.resize(static_cast<std::size_t>(
      SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()))));
  return text;
}

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

// Puts `text` on the clipboard, as a copy in another program would.
void putOnClipboard(const std::wstring& text) {
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
  ASSERT_NE(data, nullptr);
  std::copy_n(text.c_str(), text.size() + 1, static_cast<wchar_t*>(GlobalLock(data)));
  GlobalUnlock(data);
  SetClipboardData(CF_UNICODETEXT, data);
  CloseClipboard();
}

std::wstring classOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

template <typename Probe>
auto waitFor(Probe probe) {
  for (int i = 0; i < 200; ++i) {
    if (auto value = probe()) return value;
    std::this_thread::sleep_for(50ms);
  }
  return decltype(probe()){};
}

// lccalc.exe, started for one test and ended with it.
class Lccalc {
 public:
  explicit Lccalc(const std::wstring& path = lccalcPath) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    std::wstring command = L"\"" + path + L"\"";
    if (!CreateProcessW(path.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process_)) {
      ADD_FAILURE() << "cannot start lccalc.exe: error " << GetLastError();
      return;
    }
    WaitForInputIdle(process_.hProcess, 10000);
    window = waitFor([this] { return topLevel(process_.dwThreadId, L"lccalc.Form1"); });
    EXPECT_NE(window, nullptr) << "no window";
  }
  ~Lccalc() {
    if (process_.hProcess == nullptr) return;
    if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT)
      TerminateProcess(process_.hProcess, 99);
    WaitForSingleObject(process_.hProcess, 10000);
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
  }

  HWND control(ControlId id) const { return GetDlgItem(window, Form1::controlId(id)); }

  // The control that has the keyboard focus in lccalc's thread.
  HWND focus() const {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(process_.dwThreadId, &info);
    return info.hwndFocus;
  }

  // A key as the message loop gets it from the keyboard. Posted messages
  // are handled after sent ones, so this gives it time instead.
  void key(HWND target, WPARAM key) const {
    PostMessageW(target, WM_KEYDOWN, key, 1);
    PostMessageW(target, WM_KEYUP, key, 1 | 0xC0000000);
    std::this_thread::sleep_for(100ms);
    settle();
  }

  void type(const std::wstring& text) const {
    SendMessageW(control(ControlId::F), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
  }

  // A click that reports nothing returns with the results shown. One that
  // shows a report the test did not ask for ends the test at once, failed
  // with what the report said, and the report is closed.
  void click(ControlId id) const {
    DWORD_PTR ignored = 0;
    if (SendMessageTimeoutW(control(id), BM_CLICK, 0, 0, SMTO_NORMAL, 10000, &ignored)) return;
    HWND box = messageBox();
    const std::string said = box != nullptr ? toUtf8(boxText(box)) : "(none)";
    if (box != nullptr) PostMessageW(box, WM_COMMAND, IDOK, 0);
    throw std::runtime_error("a click still running after 10 s; a report no test expected: " +
                             said);
  }

  std::vector<std::wstring> results() const {
    return {textOf(control(ControlId::LL)), textOf(control(ControlId::C)),
            textOf(control(ControlId::L))};
  }

  // The message box lccalc shows over its window, if any.
  HWND messageBox() const {
    HWND box = topLevel(process_.dwThreadId, L"#32770");
    return box != nullptr && GetWindow(box, GW_OWNER) == window ? box : nullptr;
  }

  DWORD processId() const { return process_.dwProcessId; }

  // The popup menu lccalc shows, if any.
  HWND popupMenu() const { return topLevel(process_.dwThreadId, L"#32768"); }

  // Waits until lccalc has handled the messages sent to it so far.
  void settle() const { SendMessageW(window, WM_NULL, 0, 0); }

  DWORD waitForExit() const {
    DWORD status = 259;
    if (WaitForSingleObject(process_.hProcess, 10000) == WAIT_OBJECT_0) {
      GetExitCodeProcess(process_.hProcess, &status);
    }
    return status;
  }

  HWND window = nullptr;

 private:
  static HWND topLevel(DWORD thread, const wchar_t* className) {
    struct Search {
      const wchar_t* className;
      HWND found;
    } search{className, nullptr};
    EnumThreadWindows(
        thread,
        [](HWND candidate, LPARAM data) {
          auto* s = reinterpret_cast<Search*>(data);
          if (classOf(candidate) != s->className || !IsWindowVisible(candidate)) return TRUE;
          s->found = candidate;
          return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
  }

  PROCESS_INFORMATION process_{};
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

TEST(Win32Window, showsTheControlsTitleAndFontsAsDescribed) {
  Lccalc app;
  ASSERT_NE(app.window, nullptr);
  EXPECT_EQ(textOf(app.window), toUtf16(lc::form::kTitle));
  expectLayout(app.window, 96);
  for (const auto& c : lc::form::kControls) {
    EXPECT_EQ(textOf(app.control(c.id)), toUtf16(c.text)) << c.name;
  }
  const LONG_PTR style = GetWindowLongPtrW(app.window, GWL_STYLE);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  EXPECT_FALSE(style & WS_THICKFRAME);
  EXPECT_EQ(app.focus(), app.control(ControlId::F));
  for (const ControlId button : {ControlId::Ok, ControlId::Command1}) {
    EXPECT_FALSE(GetWindowLongPtrW(app.control(button), GWL_STYLE) & BS_DEFPUSHBUTTON);
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

// How many of a control's pixels have `colour`, as it draws itself.
std::ptrdiff_t pixelsOf(HWND control, COLORREF colour) {
  std::ptrdiff_t count = 0;
  for (const auto& column : drawn(control))
    count += std::count(column.begin(), column.end(), colour);
  return count;
}

// A high-contrast scheme, as Windows' own themes set one: the button face
// dark and its text light, the window light and its text dark. A text
// drawn in the other pair's colour is lost on its background.
TEST(Win32Window, drawsEachTextInTheColourTheSystemPairsWithItsBackground) {
  const int elements[] = {COLOR_BTNFACE, COLOR_BTNTEXT, COLOR_WINDOW, COLOR_WINDOWTEXT};
  const COLORREF scheme[] = {RGB(0, 0, 0), RGB(255, 255, 0), RGB(255, 255, 255), RGB(0, 0, 128)};
  struct Scheme {
    COLORREF saved[4];
    explicit Scheme(const int* which, const COLORREF* colours) : which_(which) {
      for (int i = 0; i < 4; ++i) saved[i] = GetSysColor(which[i]);
      SetSysColors(4, which, colours);
    }
    ~Scheme() { SetSysColors(4, which_, saved); }
    const int* which_;
  } highContrast(elements, scheme);
  InProcess app;
  ASSERT_NE(app.window, nullptr);
  SetWindowTextW(app.control(ControlId::F), L"7");
  SendMessageW(app.window, WM_COMMAND, MAKEWPARAM(Form1::controlId(ControlId::Ok), BN_CLICKED),
               reinterpret_cast<LPARAM>(app.control(ControlId::Ok)));
  const COLORREF buttonText = scheme[1];
  const COLORREF windowText = scheme[3];
  // (The frame's title is drawn in the theme's colour where visual styles
  // are on, as under Wine; Windows turns them off in a high-contrast scheme.)
  for (const ControlId id : {ControlId::Label1, ControlId::LL}) {
    SCOPED_TRACE(std::string(lc::form::control(id).name));
    EXPECT_GT(pixelsOf(app.control(id), buttonText), 0);
    EXPECT_EQ(pixelsOf(app.control(id), windowText), 0);
  }
  EXPECT_GT(pixelsOf(app.control(ControlId::F), windowText), 0);
  EXPECT_EQ(pixelsOf(app.control(ControlId::F), buttonText), 0);
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

TEST(Win32Window, tellsWhatWasReadInTheBoxsTooltip) {
  InProcess app;
  ASSERT_NE(app.window, nullptr);
  SetWindowTextW(app.control(ControlId::F), L"7,5 MHz");
  SendMessageW(app.control(ControlId::Ok), BM_CLICK, 0, 0);
  HWND tooltip = nullptr;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND candidate, LPARAM found) {
        if (classOf(candidate) == TOOLTIPS_CLASSW) *reinterpret_cast<HWND*>(found) = candidate;
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&tooltip));
  ASSERT_NE(tooltip, nullptr);
  struct Case {
    ControlId tool;
    std::wstring tip;
  };
  const Case cases[] = {{ControlId::F, toUtf16(lc::form::readHint("7", lc::NumberFormat{}))},
                        {ControlId::LL, L"42.8571428571429"}};
  for (const auto& c : cases) {
    wchar_t text[80] = {};  // the most TTM_GETTEXT writes
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = app.window;
    tool.uId = reinterpret_cast<UINT_PTR>(app.control(c.tool));
    tool.lpszText = text;
    SendMessageW(tooltip, TTM_GETTEXTW, std::size(text), reinterpret_cast<LPARAM>(&tool));
    EXPECT_EQ(std::wstring(text), c.tip) << lc::form::control(c.tool).name;
  }
}

TEST(Win32Window, followsTheScreensDpiWithOrWithoutThePerMonitorFunctions) {
  struct Case {
    const std::wstring* program;
    DWORD dpi;
  };
  const Case cases[] = {{&lccalcPath, 144}, {&hiddenDpiPath, 96}, {&hiddenDpiPath, 144}};
  for (const auto& c : cases) {
    SCOPED_TRACE(toUtf8(*c.program) + " at " + std::to_string(c.dpi));
    // The system DPI that Wine gives a process as it starts.
    HKEY desktop = nullptr;
    ASSERT_EQ(
        RegOpenKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, KEY_SET_VALUE, &desktop),
        ERROR_SUCCESS);
    RegSetValueExW(desktop, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&c.dpi),
                   sizeof c.dpi);
    Lccalc app(*c.program);
    RegDeleteValueW(desktop, L"LogPixels");
    RegCloseKey(desktop);
    ASSERT_NE(app.window, nullptr);
    expectLayout(app.window, static_cast<int>(c.dpi));
  }
}

TEST(Win32Window, offersCopyOnResultsAndTheSystemMenuElsewhere) {
  Lccalc app;
  ASSERT_NE(app.window, nullptr);
  app.type(L"7");
  app.click(ControlId::Ok);
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

TEST(Win32Window, tabsBetweenBoxOkAndExitAndEnterPressesOnlyAFocusedButton) {
  Lccalc app;
  ASSERT_NE(app.window, nullptr);
  app.type(L"7");
  // Enter and Escape in the box do nothing: no button is the default.
  app.key(app.control(ControlId::F), VK_RETURN);
  app.key(app.control(ControlId::F), VK_ESCAPE);
  EXPECT_EQ(app.results(), (std::vector<std::wstring>{L"", L"", L""}));
  EXPECT_TRUE(IsWindowVisible(app.window));

  const ControlId order[] = {ControlId::Ok, ControlId::Command1, ControlId::F, ControlId::Ok};
  for (const ControlId next : order) {
    app.key(app.focus(), VK_TAB);
    EXPECT_EQ(waitFor([&] { return app.focus() == app.control(next); }), true)
        << lc::form::control(next).name;
  }
  app.key(app.focus(), VK_RETURN);  // on OK
  EXPECT_EQ(waitFor([&] { return app.results()[0] == L"42.8571428571429"; }), true);
}

TEST(Win32Window, showsTheWorkedValuesAndReportsAFailureOnce) {
  Lccalc app;
  ASSERT_NE(app.window, nullptr);
  struct Case {
    std::wstring frequency;
    std::vector<std::wstring> expected;  // LL, C, L
    bool pasted = false;                 // from the clipboard, as Ctrl+V puts it in, not set
  };
  const Case cases[] = {
      // A paste longer than the box takes is cut at its limit.
      {L"7" + std::wstring(29'999, L' '),
       {L"42.8571428571429", L"85.7142857142858", L"6.03714243212803"},
       true},
      {L"1", {L"300", L"600", L"42.2599970248962"}},
      {L"7", {L"42.8571428571429", L"85.7142857142858", L"6.03714243212803"}},
      {L"144", {L"2.08333333333333", L"4.16666666666666", L"0.29347220156178"}},
      {L"", {L"0", L"0", L"0"}},
      // Shown elided, but its text, which screen readers read, is whole.
      {L"7E+20", {L"4.28571428571429E-19", L"8.57142857142858E-19", L"6.03714243212802E-20"}},
  };
  for (const auto& c : cases) {
    if (c.pasted) {
      app.type(L"");
      putOnClipboard(c.frequency);
      SendMessageW(app.control(ControlId::F), WM_PASTE, 0, 0);
      EXPECT_EQ(textOf(app.control(ControlId::F)).size(),
                std::min<std::size_t>(c.frequency.size(), lc::form::kMaxFrequencyLength));
    } else {
      app.type(c.frequency);
    }
    app.click(ControlId::Ok);
    EXPECT_EQ(app.results(), c.expected) << toUtf8(c.frequency.substr(0, 20));
  }
  // The live region a screen reader reads after the click, as form/ words it.
  lc::form::testing::RecordingView said;
  lc::form::Form(said, lc::NumberFormat{}).clickOk("7E+20");
  EXPECT_EQ(textOf(GetDlgItem(app.window, Form1::kAnnouncerControlId)),
            toUtf16(said.announced.back()));

  // An overflow after the wavelength: a box titled as the window names it,
  // the results the click did not reach are blank, and OK pressed while the
  // box is open does nothing.
  app.type(L"1E+150");
  PostMessageW(app.control(ControlId::Ok), BM_CLICK, 0, 0);
  HWND box = waitFor([&] { return app.messageBox(); });
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(textOf(box), textOf(app.window));
  const std::wstring reported = boxText(box);
  EXPECT_NE(reported.find(toUtf16(lc::form::errorName(lc::ErrorKind::Overflow))),
            std::wstring::npos)
      << toUtf8(reported);
  EXPECT_NE(reported.find(toUtf16(lc::form::kErrorHint)), std::wstring::npos);
  for (int i = 0; i < 3; ++i) PostMessageW(app.control(ControlId::Ok), BM_CLICK, 0, 0);
  std::this_thread::sleep_for(300ms);
  SendMessageW(box, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(waitFor([&] { return app.messageBox() == nullptr ? box : nullptr; }), box);
  app.settle();
  EXPECT_EQ(app.messageBox(), nullptr) << "a second report";
  EXPECT_EQ(app.results(), (std::vector<std::wstring>{L"3E-148", L"6E-148", L""}));
  // The keyboard is back on OK, which was clicked, as in a dialog.
  EXPECT_EQ(waitFor([&] { return app.focus() == app.control(ControlId::Ok); }), true);

  // The window goes on, and Exit ends it with status 0.
  app.type(L"144");
  app.click(ControlId::Ok);
  EXPECT_EQ(app.results()[1], L"4.16666666666666");
  PostMessageW(app.control(ControlId::Command1), BM_CLICK, 0, 0);
  EXPECT_EQ(app.waitForExit(), 0u);
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

// Handles what has come to this thread: the events a hook has asked for.
void pumpMessages() {
  MSG message{};
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
}

std::vector<HWND> liveRegionsChanged;

TEST(Win32Window, tellsScreenReadersOfEachClickThroughItsLiveRegion) {
  Lccalc app;
  ASSERT_NE(app.window, nullptr);
  constexpr DWORD kLiveRegionChanged = 0x8019;  // EVENT_OBJECT_LIVEREGIONCHANGED
  HWINEVENTHOOK hook = SetWinEventHook(
      kLiveRegionChanged, kLiveRegionChanged, nullptr,
      [](HWINEVENTHOOK, DWORD, HWND changed, LONG, LONG, DWORD, DWORD) {
        liveRegionsChanged.push_back(changed);
      },
      app.processId(), 0, WINEVENT_OUTOFCONTEXT);
  ASSERT_NE(hook, nullptr);
  liveRegionsChanged.clear();
  const wchar_t* clicks[] = {L"7", L"144"};
  for (std::size_t i = 0; i < std::size(clicks); ++i) {
    app.type(clicks[i]);
    app.click(ControlId::Ok);
    EXPECT_EQ(waitFor([&] {
                pumpMessages();
                return liveRegionsChanged.size() > i;
              }),
              true)
        << toUtf8(clicks[i]);
  }
  UnhookWinEvent(hook);
  EXPECT_EQ(
      liveRegionsChanged,
      std::vector<HWND>(std::size(clicks), GetDlgItem(app.window, Form1::kAnnouncerControlId)));
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

TEST(Win32Window, copiesAWholeResultAsTextWithItsClosingNul) {
  Lccalc app;
  ASSERT_NE(app.window, nullptr);
  app.type(L"7E+20");
  app.click(ControlId::Ok);
  struct Case {
    ControlId result;
    std::wstring text;  // whole, though the label shows it elided
  };
  const Case cases[] = {{ControlId::LL, L"4.28571428571429E-19"},
                        {ControlId::L, L"6.03714243212802E-20"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(lc::form::control(c.result).name);
    // Copy, chosen from the menu the keyboard opens.
    PostMessageW(app.window, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(app.control(c.result)), -1);
    HWND menu = waitFor([&] { return app.popupMenu(); });
    ASSERT_NE(menu, nullptr);
    PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 1);
    PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 1);
    EXPECT_EQ(waitFor([&] { return app.popupMenu() == nullptr; }), true);
    app.settle();
    ASSERT_TRUE(OpenClipboard(nullptr));
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    ASSERT_NE(data, nullptr);
    const std::size_t size = GlobalSize(data);
    const auto* text = static_cast<const wchar_t*>(GlobalLock(data));
    EXPECT_GE(size, (c.text.size() + 1) * sizeof(wchar_t));
    if (text != nullptr && size >= (c.text.size() + 1) * sizeof(wchar_t)) {
      EXPECT_EQ(std::wstring(text, c.text.size()), c.text);
      EXPECT_EQ(text[c.text.size()], L'\0');
    }
    GlobalUnlock(data);
    CloseClipboard();
  }
}

// Run once in the C locale and once with LC_ALL=ru_RU.UTF-8, which gives
// Windows the ru-RU locale and the test "," as its separator.
TEST(Win32Window, writesTheUsersDecimalSeparatorAndEndsWhenClosed) {
  const std::wstring& point = separator;
  Lccalc app;
  ASSERT_NE(app.window, nullptr);
  app.type(L"144");
  app.click(ControlId::Ok);
  EXPECT_EQ(app.results(), (std::vector<std::wstring>{L"2" + point + L"08333333333333",
                                                      L"4" + point + L"16666666666666",
                                                      L"0" + point + L"29347220156178"}));
  PostMessageW(app.window, WM_CLOSE, 0, 0);
  EXPECT_EQ(app.waitForExit(), 0u);
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
  if (argc < 3 && !GTEST_FLAG_GET(list_tests)) {
    std::fputs("usage: lc_win32_window_tests LCCALC_EXE LCCALC_HIDDEN_DPI_EXE [SEPARATOR]\n",
               stderr);
    return 2;
  }
  if (argc >= 3) {
    lccalcPath = windowsPath(argv[1]);
    hiddenDpiPath = windowsPath(argv[2]);
  }
  if (argc >= 4) separator = toUtf16(argv[3]);
  return RUN_ALL_TESTS();
}
