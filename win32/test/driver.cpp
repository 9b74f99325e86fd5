// SPDX-FileCopyrightText: 2026 The lccalc developers
// SPDX-License-Identifier: MIT
// The Windows window's driver for the scenario table
// (form/test/window_test.py), under Wine: for each row read on standard
// input, a JSON object a line ({"steps": [[verb, args...], ...]}), starts
// the real lccalc.exe (in the driver's locale, which Wine takes for the
// whole of its session), does the steps as a user would (keys and clicks
// through SendInput, the menu's keys, the title bar's close) and writes a
// line, {"observations": [...]}, one for each "look", read from outside
// as another program sees the window.
//
// Usage: lc_win32_driver LCCALC_EXE [DPI] [contrast]   (DPI: the system's,
// set for each start as Wine takes it, in the registry; contrast: the
// colours of a high-contrast scheme, as Windows' own themes set one, for as
// long as the driver runs)
#include <windows.h>
// After windows.h:
#include <commctrl.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "form1.h"
#include "other_window.h"
#include "utf16.h"

namespace {

using lc::form::ControlId;
using lc::win32::toUtf16;
using lc::win32::toUtf8;
using lc::win32::testing::classOf;
using lc::win32::testing::Program;
using lc::win32::testing::textOf;
using lc::win32::testing::windowsPath;
using namespace std::chrono_literals;

// A JSON value, as much of JSON as the rows use: strings (UTF-8, with
// escapes), integers, arrays and objects.
struct Json {
  std::string text;
  long long number = 0;
  std::vector<Json> items;
  std::map<std::string, Json> members;
};

Json parse(const char*& at) {
  Json value;
  while (*at == ' ') ++at;
  if (*at == '[' || *at == '{') {
    const char close = *at == '[' ? ']' : '}';
    for (++at; *at != close && *at != '\0';) {
      if (*at == ',' || *at == ' ') {
        ++at;
        continue;
      }
      Json item = parse(at);
      if (close == '}') {
        while (*at == ' ' || *at == ':') ++at;
        value.members[item.text] = parse(at);
      } else {
        value.items.push_back(std::move(item));
      }
    }
    ++at;
  } else if (*at == '"') {
    // (Python's json writes every other character than ASCII escaped.)
    std::wstring text;
    for (++at; *at != '"' && *at != '\0'; ++at) {
      if (*at != '\\') {
        text += static_cast<wchar_t>(*at);
      } else if (*++at == 'u') {
        text += static_cast<wchar_t>(std::strtoul(std::string(at + 1, 4).c_str(), nullptr, 16));
        at += 4;
      } else {
        text += *at == 'n'   ? L'\n'
                : *at == 't' ? L'\t'
                : *at == 'r' ? L'\r'
                             : static_cast<wchar_t>(*at);
      }
    }
    ++at;
    value.text = toUtf8(text);
  } else {
    char* end = nullptr;
    value.number = std::strtoll(at, &end, 10);
    for (at = end; std::isalpha(static_cast<unsigned char>(*at));) ++at;  // true, false, null
  }
  return value;
}

std::string asJson(std::string_view text) {
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    if (c == '\n' || c == '\r' || c == '\t') {
      out += c == '\n' ? "\\n" : c == '\r' ? "\\r" : "\\t";
      continue;
    }
    out += c;
  }
  return out + '"';
}
std::string asJson(const std::wstring& text) { return asJson(toUtf8(text)); }
std::string boolean(bool value) { return value ? "true" : "false"; }

// A JSON object written a member at a time.
struct Object {
  std::string text;
  Object& add(std::string_view name, const std::string& json) {
    text += (text.empty() ? "{" : ",") + asJson(name) + ":" + json;
    return *this;
  }
  std::string done() const { return text.empty() ? "{}" : text + "}"; }
};

std::string list(const std::vector<std::string>& items) {
  std::string out = "[";
  for (const auto& item : items) out += (out.size() > 1 ? "," : "") + item;
  return out + "]";
}

std::string hex(COLORREF c) {
  constexpr char digits[] = "0123456789abcdef";
  std::string text = "#";
  for (const unsigned part : {GetRValue(c), GetGValue(c), GetBValue(c)}) {
    text += digits[part >> 4];
    text += digits[part & 0xF];
  }
  return text;
}

// The screen as a user sees it at a look, copied once.
class Screenshot {
 public:
  Screenshot() {
    width_ = GetSystemMetrics(SM_CXSCREEN);
    height_ = GetSystemMetrics(SM_CYSCREEN);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width_, -height_, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ previous = SelectObject(dc, bitmap);
    BitBlt(dc, 0, 0, width_, height_, screen, 0, 0, SRCCOPY);
    GdiFlush();
    const auto* pixels = static_cast<const DWORD*>(bits);
    pixels_.assign(pixels,
                   pixels + static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_));
    SelectObject(dc, previous);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
  }
  COLORREF at(LONG x, LONG y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
    const DWORD p = pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
                            static_cast<std::size_t>(x)];
    return RGB(p >> 16 & 0xFF, p >> 8 & 0xFF, p & 0xFF);
  }

 private:
  int width_ = 0, height_ = 0;
  std::vector<DWORD> pixels_;
};

// What a user sees of a screen rectangle: the colour most of it has, and
// the one farthest from that (its text or frame).
std::string coloursOf(const Screenshot& shot, const RECT& r) {
  std::map<COLORREF, int> counts;
  for (LONG y = r.top; y < r.bottom; ++y) {
    for (LONG x = r.left; x < r.right; ++x) ++counts[shot.at(x, y)];
  }
  COLORREF back = 0, fore = 0;
  int most = -1;
  for (const auto& [colour, n] : counts) {
    if (n > most) back = colour, most = n;
  }
  const auto distance = [back](COLORREF c) {
    return std::abs(GetRValue(c) - GetRValue(back)) + std::abs(GetGValue(c) - GetGValue(back)) +
           std::abs(GetBValue(c) - GetBValue(back));
  };
  fore = back;
  for (const auto& [colour, n] : counts) {
    if (distance(colour) > distance(fore)) fore = colour;
  }
  return Object().add("background", asJson(hex(back))).add("text", asJson(hex(fore))).done();
}

// Which of the system's icons a screen rectangle shows: the one that,
// drawn there by the driver on the same background, matches most pixels.
std::string iconShown(const Screenshot& shot, const RECT& r) {
  const int width = r.right - r.left, height = r.bottom - r.top;
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  const HGDIOBJ previous = SelectObject(dc, bitmap);
  HBRUSH back = CreateSolidBrush(shot.at(r.left, r.top));  // an icon's corner is clear
  std::string best = "none";
  int most = 0;
  for (const auto& [id, name] : {std::pair{IDI_ERROR, "error"},
                                 {IDI_WARNING, "warning"},
                                 {IDI_INFORMATION, "information"},
                                 {IDI_QUESTION, "question"}}) {
    const RECT all{0, 0, width, height};
    FillRect(dc, &all, back);
    DrawIconEx(dc, 0, 0, LoadIconW(nullptr, id), width, height, 0, nullptr, DI_NORMAL);
    int same = 0;
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) same += GetPixel(dc, x, y) == shot.at(r.left + x, r.top + y);
    }
    if (same > most) best = name, most = same;
  }
  DeleteObject(back);
  SelectObject(dc, previous);
  DeleteObject(bitmap);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return best;
}

std::vector<std::wstring> heard;  // what the live region said since the last look
HWND announcer = nullptr;

void CALLBACK onLiveRegion(HWINEVENTHOOK, DWORD, HWND changed, LONG, LONG, DWORD, DWORD) {
  if (changed == announcer) heard.push_back(textOf(changed));
}

// Handles what has come to this thread: the events its hook asked for.
void pump() {
  MSG message{};
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
}

void sendKeys(std::vector<INPUT> inputs) {
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

// A key going down or up: a virtual key (`flags` may make it the keypad's),
// or with KEYEVENTF_UNICODE a character.
INPUT key(WORD vk, bool up, DWORD flags = 0, wchar_t character = 0) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = vk;
  input.ki.wScan = character;
  input.ki.dwFlags = flags | (up ? KEYEVENTF_KEYUP : 0);
  return input;
}

// The system DPI Wine gives a process as it starts; 0: its own.
void setSystemDpi(DWORD dpi) {
  HKEY desktop = nullptr;
  RegOpenKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, KEY_SET_VALUE, &desktop);
  if (dpi != 0) {
    RegSetValueExW(desktop, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi),
                   sizeof dpi);
  } else {
    RegDeleteValueW(desktop, L"LogPixels");
  }
  RegCloseKey(desktop);
}

class Lccalc : public Program {
 public:
  explicit Lccalc(const std::wstring& path) : Program(path) {
    announcer = GetDlgItem(window, Form1::kAnnouncerControlId);
    hook_ = SetWinEventHook(0x8019, 0x8019, nullptr, onLiveRegion, process_.dwProcessId, 0,
                            WINEVENT_OUTOFCONTEXT);  // EVENT_OBJECT_LIVEREGIONCHANGED
  }
  ~Lccalc() { UnhookWinEvent(hook_); }

  DWORD status() const {
    DWORD status = 259;
    WaitForSingleObject(process_.hProcess, 10000);
    GetExitCodeProcess(process_.hProcess, &status);
    return status;
  }
  HWND control(const std::string& name) const {
    for (const auto& c : lc::form::kControls) {
      if (c.name == name) return GetDlgItem(window, Form1::controlId(c.id));
    }
    return nullptr;
  }
  HWND focus() const {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(process_.dwThreadId, &info);
    return info.hwndFocus;
  }
  HWND report() const {
    HWND box = topLevel(L"#32770");
    return box != nullptr && GetWindow(box, GW_OWNER) == window ? box : nullptr;
  }
  HWND menu() const { return topLevel(L"#32768"); }
  // Waits until lccalc has handled what was sent to it, and the events it
  // raised meanwhile have come.
  void settle() const {
    DWORD_PTR ignored = 0;
    for (int i = 0; i < 2; ++i) {
      std::this_thread::sleep_for(20ms);
      SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &ignored);
      pump();
    }
  }
  // The top-level window the keyboard goes to: the report or menu, if up.
  void toFront() const {
    HWND front = report();
    SetForegroundWindow(front ? front : window);
    settle();
  }
  // A tooltip's text, asked of it in lccalc's own memory.
  std::wstring tipOf(HWND control) const {
    HWND tooltip = topLevel(TOOLTIPS_CLASSW, false);
    if (tooltip == nullptr) return L"(no tooltip)";
    struct Remote {
      TTTOOLINFOW tool;
      wchar_t text[80];
    };
    void* remote =
        VirtualAllocEx(process_.hProcess, nullptr, sizeof(Remote), MEM_COMMIT, PAGE_READWRITE);
    Remote local{};
    local.tool.cbSize = sizeof local.tool;
    local.tool.hwnd = window;
    local.tool.uId = reinterpret_cast<UINT_PTR>(control);
    local.tool.lpszText = static_cast<Remote*>(remote)->text;
    WriteProcessMemory(process_.hProcess, remote, &local, sizeof local, nullptr);
    SendMessageW(tooltip, TTM_GETTEXTW, 80, reinterpret_cast<LPARAM>(remote));
    ReadProcessMemory(process_.hProcess, remote, &local, sizeof local, nullptr);
    VirtualFreeEx(process_.hProcess, remote, 0, MEM_RELEASE);
    return local.text;
  }

 private:
  HWINEVENTHOOK hook_ = nullptr;
};

// A click of a mouse button on the middle of a control, as the system
// hands it to the control; none where its window is disabled (a modal
// report up), as Windows does. (Posted to the control, not sent through
// Wine's X11 input, whose pointer may not yet be where it was moved.)
void mouse(HWND window, HWND control, UINT down, UINT up, WPARAM held) {
  if (!IsWindowEnabled(window)) return;
  RECT r{};
  GetClientRect(control, &r);
  const LPARAM at = MAKELPARAM(r.right / 2, r.bottom / 2);
  PostMessageW(control, down, held, at);
  PostMessageW(control, up, 0, at);
}

void perform(Lccalc& app, const std::vector<Json>& step) {
  const std::string& verb = step[0].text;
  const std::string arg = step.size() > 1 ? step[1].text : "";
  if (verb == "type" || verb == "paste") {
    app.toFront();
    std::vector<INPUT> keys;
    if (verb == "paste") {
      const std::wstring text = toUtf16(arg);
      OpenClipboard(nullptr);
      EmptyClipboard();
      HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
      std::copy_n(text.c_str(), text.size() + 1, static_cast<wchar_t*>(GlobalLock(data)));
      GlobalUnlock(data);
      SetClipboardData(CF_UNICODETEXT, data);
      CloseClipboard();
      keys = {key(VK_CONTROL, false), key('V', false), key('V', true), key(VK_CONTROL, true)};
    } else {
      for (const wchar_t c : toUtf16(arg)) {
        keys.insert(keys.end(),
                    {key(0, false, KEYEVENTF_UNICODE, c), key(0, true, KEYEVENTF_UNICODE, c)});
      }
    }
    sendKeys(keys);
  } else if (verb == "press") {
    app.toFront();
    const std::map<std::string, std::vector<WORD>> names{{"Tab", {VK_TAB}},
                                                         {"Shift+Tab", {VK_SHIFT, VK_TAB}},
                                                         {"Return", {VK_RETURN}},
                                                         {"Enter", {VK_RETURN}},
                                                         {"Space", {VK_SPACE}},
                                                         {"Escape", {VK_ESCAPE}},
                                                         {"Ctrl+C", {VK_CONTROL, 'C'}}};
    const auto& vks = names.at(arg);
    // (The keypad's Enter is Enter with the extended flag.)
    const DWORD flags = arg == "Enter" ? KEYEVENTF_EXTENDEDKEY : 0;
    std::vector<INPUT> keys;
    for (const WORD vk : vks) keys.push_back(key(vk, false, flags));
    for (auto vk = vks.rbegin(); vk != vks.rend(); ++vk) keys.push_back(key(*vk, true, flags));
    sendKeys(keys);
  } else if (verb == "click") {
    mouse(app.window, app.control(arg), WM_LBUTTONDOWN, WM_LBUTTONUP, MK_LBUTTON);
  } else if (verb == "menu") {
    mouse(app.window, app.control(arg), WM_RBUTTONDOWN, WM_RBUTTONUP, MK_RBUTTON);
  } else if (verb == "select") {
    // A drag over the box's text, from character A to B (-1: its end).
    HWND target = app.control(arg);
    mouse(app.window, target, WM_LBUTTONDOWN, WM_LBUTTONUP, MK_LBUTTON);
    app.settle();
    SendMessageW(target, EM_SETSEL, static_cast<WPARAM>(step[2].number), step[3].number);
  } else if (verb == "choose") {
    // Down to the entry, and Enter. (Wine keeps a menu's entries in the
    // program that made it: where they cannot be read, the first.)
    HWND window = app.menu();
    HMENU menu = reinterpret_cast<HMENU>(SendMessageW(window, MN_GETHMENU, 0, 0));
    PostMessageW(window, WM_KEYDOWN, VK_DOWN, 1);
    for (int i = 0; i + 1 < GetMenuItemCount(menu); ++i) {
      wchar_t text[128] = {};
      GetMenuStringW(menu, static_cast<UINT>(i), text, 128, MF_BYPOSITION);
      if (toUtf8(text) == arg) break;
      PostMessageW(window, WM_KEYDOWN, VK_DOWN, 1);
    }
    PostMessageW(window, WM_KEYDOWN, VK_RETURN, 1);
  } else if (verb == "close") {
    PostMessageW(app.window, WM_SYSCOMMAND, SC_CLOSE, 0);
  }
  app.settle();
}

std::string observe(Lccalc& app) {
  Object seen;
  std::vector<std::string> said;
  for (const auto& text : heard) said.push_back(asJson(text));
  heard.clear();
  seen.add("announced", list(said));
  if (!app.running()) {
    return seen.add("running", "false").add("status", std::to_string(app.status())).done();
  }
  seen.add("running", "true");
  HWND focus = app.focus();
  HWND report = app.report();
  const Screenshot shot;
  Object controls;
  for (const auto& c : lc::form::kControls) {
    HWND control = GetDlgItem(app.window, Form1::controlId(c.id));
    RECT r{};
    GetWindowRect(control, &r);
    RECT screen = r;
    MapWindowPoints(nullptr, app.window, reinterpret_cast<POINT*>(&r), 2);
    const LONG_PTR style = GetWindowLongPtrW(control, GWL_STYLE);
    const bool button = classOf(control) == L"Button";
    Object o;
    o.add("text", asJson(textOf(control)))
        .add("rect", list({std::to_string(r.left), std::to_string(r.top),
                           std::to_string(r.right - r.left), std::to_string(r.bottom - r.top)}))
        .add("focused", boolean(focus == control && report == nullptr))
        .add("focusable", boolean(style & WS_TABSTOP))
        .add("enabled", boolean(IsWindowEnabled(control)))
        .add("tooltip", asJson(app.tipOf(control)))
        .add("class", asJson(classOf(control)))
        .add("colours", coloursOf(shot, screen));
    if (button) o.add("default", boolean((style & 0xF) == BS_DEFPUSHBUTTON));
    controls.add(c.name, o.done());
  }
  seen.add("controls", controls.done());
  const LONG_PTR style = GetWindowLongPtrW(app.window, GWL_STYLE);
  RECT client{};
  GetClientRect(app.window, &client);
  seen.add(
      "window",
      Object()
          .add("title", asJson(textOf(app.window)))
          .add("size", list({std::to_string(client.right), std::to_string(client.bottom)}))
          .add("maximizable", boolean(style & WS_MAXIMIZEBOX))
          .add("minimizable", boolean(style & WS_MINIMIZEBOX))
          .add("resizable", boolean(style & WS_THICKFRAME))
          .add("class", asJson(classOf(app.window)))
          .add("enabled", boolean(IsWindowEnabled(app.window)))
          .add("icons", list({boolean(SendMessageW(app.window, WM_GETICON, ICON_SMALL, 0) != 0 ||
                                      GetClassLongPtrW(app.window, GCLP_HICONSM) != 0)}))
          .done());
  if (report != nullptr) {
    // Its lines, its buttons' texts, and which icon it shows.
    struct Parts {
      std::vector<std::string> lines, buttons;
      RECT icon{};
    } parts;
    EnumChildWindows(
        report,
        [](HWND child, LPARAM data) {
          auto* found = reinterpret_cast<Parts*>(data);
          const std::wstring text = textOf(child);
          if (classOf(child) == L"Button") {
            found->buttons.push_back(asJson(text));
          } else if ((GetWindowLongPtrW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
            GetWindowRect(child, &found->icon);
          } else {
            for (std::size_t at = 0, end; at < text.size(); at = end + 1) {
              end = std::min(text.find(L'\n', at), text.size());
              std::wstring line = text.substr(at, end - at);
              if (!line.empty() && line.back() == L'\r') line.pop_back();
              if (!line.empty()) found->lines.push_back(asJson(line));
            }
          }
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&parts));
    const auto& [lines, buttons, icon] = parts;
    seen.add("report",
             Object()
                 .add("title", asJson(textOf(report)))
                 .add("lines", list(lines))
                 .add("focused", boolean(IsChild(report, focus)))
                 .add("buttons", list(buttons))
                 .add("icon", asJson(icon.right > icon.left ? iconShown(shot, icon) : "none"))
                 .add("modal", boolean(!IsWindowEnabled(app.window)))
                 .done());
  } else {
    seen.add("report", "null");
  }
  if (HWND window = app.menu()) {
    HMENU menu = reinterpret_cast<HMENU>(SendMessageW(window, MN_GETHMENU, 0, 0));
    std::vector<std::string> entries;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
      wchar_t text[128] = {};
      if (GetMenuStringW(menu, static_cast<UINT>(i), text, 128, MF_BYPOSITION) > 0)
        entries.push_back(asJson(text));
    }
    seen.add("menu", list(entries));
  } else {
    seen.add("menu", "null");
  }
  std::string clipboard = "null";
  if (OpenClipboard(nullptr)) {
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
      const auto* text = static_cast<const wchar_t*>(GlobalLock(data));
      const std::size_t room = GlobalSize(data) / sizeof(wchar_t);
      // A text with no closing NUL within its block is no text.
      clipboard =
          text != nullptr && std::wstring_view(text, room).find(L'\0') != std::wstring_view::npos
              ? asJson(std::wstring(text))
              : "\"(no closing NUL)\"";
      GlobalUnlock(data);
    }
    CloseClipboard();
  }
  return seen.add("clipboard", clipboard).done();
}

}  // namespace

int main(int argc, char** argv) {
  // Places as lccalc.exe sees them, in physical pixels (a program unaware
  // of DPI is shown others' scaled to its own). Windows 10's: looked up.
  using SetAwareness = BOOL(WINAPI*)(HANDLE);
  if (const auto set = reinterpret_cast<SetAwareness>(reinterpret_cast<void (*)()>(
          GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetProcessDpiAwarenessContext")))) {
    set(reinterpret_cast<HANDLE>(-4));  // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2
  }
  if (argc < 2) {
    std::fputs("usage: lc_win32_driver LCCALC_EXE [DPI]\n", stderr);
    return 2;
  }
  const std::wstring exe = windowsPath(argv[1]);
  DWORD dpi = 0;
  bool contrast = false;
  for (int i = 2; i < argc; ++i) {
    if (std::string_view(argv[i]) == "contrast") {
      contrast = true;
    } else {
      dpi = static_cast<DWORD>(std::atoi(argv[i]));
    }
  }
  // The button face dark and its text light, the window light and its text
  // dark: a text drawn in the other pair's colour is lost on its background.
  const int elements[] = {COLOR_BTNFACE, COLOR_BTNTEXT, COLOR_WINDOW, COLOR_WINDOWTEXT};
  const COLORREF scheme[] = {RGB(0, 0, 0), RGB(255, 255, 0), RGB(255, 255, 255), RGB(0, 0, 128)};
  COLORREF saved[4];
  for (int i = 0; i < 4; ++i) saved[i] = GetSysColor(elements[i]);
  if (contrast) SetSysColors(4, elements, scheme);
  // Wine's version, major and minor: another draws otherwise, and has a
  // snapshot of its own.
  std::string toolkit = "windows";
  using Version = const char*(CDECL*)();
  if (const auto version = reinterpret_cast<Version>(reinterpret_cast<void (*)()>(
          GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version")))) {
    const std::string_view text = version();
    toolkit = "wine" + std::string(text.substr(0, text.find('.', text.find('.') + 1)));
  }
  std::string line;
  for (int c; (c = std::getchar()) != EOF;) {
    if (c != '\n') {
      line += static_cast<char>(c);
      continue;
    }
    const char* at = line.c_str();
    const Json row = parse(at);
    line.clear();
    std::vector<std::string> observations;
    heard.clear();
    {
      setSystemDpi(dpi);
      Lccalc app(exe);
      setSystemDpi(0);
      for (const auto& step : row.members.at("steps").items) {
        if (step.items[0].text == "look") {
          app.settle();
          observations.push_back(observe(app));
        } else {
          perform(app, step.items);
        }
      }
    }
    const std::string out =
        Object().add("toolkit", asJson(toolkit)).add("observations", list(observations)).done() +
        "\n";
    std::fwrite(out.data(), 1, out.size(), stdout);
    std::fflush(stdout);
  }
  if (contrast) SetSysColors(4, elements, saved);
  return 0;
}
