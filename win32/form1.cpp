// SPDX-FileCopyrightText: 2026 The lccalc developers
// SPDX-License-Identifier: MIT
#include "form1.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <array>
#include <string>

#include "utf16.h"

namespace {

using lc::form::ControlId;
using lc::form::ControlKind;
using lc::win32::toUtf16;
using lc::win32::toUtf8;
using lc::win32::windowText;

constexpr wchar_t kClassName[] = L"lccalc.Form1";
// A fixed size: no sizing border and no maximise button.
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
// The dialog manager tabs between the controls (IsDialogMessage).
constexpr DWORD kExStyle = WS_EX_CONTROLPARENT;
constexpr int kCopyCommand = 1;

// UI Automation's LiveSetting property and its value Polite: the screen
// reader finishes what it is saying first.
constexpr GUID kLiveSetting = {
    0xc12bcd8e, 0x2a8e, 0x4950, {0x8a, 0xe7, 0x36, 0x25, 0x11, 0x1d, 0x58, 0xeb}};
constexpr LONG kPolite = 1;
// Windows 8's event for a changed live region, which earlier systems'
// screen readers ignore.
constexpr DWORD kLiveRegionChanged = 0x8019;  // EVENT_OBJECT_LIVEREGIONCHANGED
// The API takes the object id as a DWORD, though OBJID_CLIENT is negative.
constexpr DWORD kClient = static_cast<DWORD>(OBJID_CLIENT);

int scaled(int pixels, UINT dpi) {
  return MulDiv(pixels, static_cast<int>(dpi), USER_DEFAULT_SCREEN_DPI);
}

lc::NumberFormat userFormat() {
  wchar_t separator[8] = L".";
  GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, separator, 8);
  return lc::NumberFormat{toUtf8(separator)};
}

struct ControlClass {
  const wchar_t* name;
  DWORD style;
  DWORD exStyle;
};

ControlClass classOf(ControlKind kind) {
  switch (kind) {
    case ControlKind::TextBox:
      return {L"EDIT", WS_TABSTOP | ES_AUTOHSCROLL | ES_LEFT, WS_EX_CLIENTEDGE};
    case ControlKind::PushButton:
      return {L"BUTTON", WS_TABSTOP | BS_PUSHBUTTON, 0};
    case ControlKind::GroupFrame:
      return {L"BUTTON", BS_GROUPBOX, 0};
    case ControlKind::CaptionLabel:
      return {L"STATIC", SS_LEFT | SS_NOPREFIX, 0};
    case ControlKind::ResultLabel:
      // Drawn here, elided where it does not fit; its window text stays
      // whole, so a screen reader reads the whole result. SS_NOTIFY lets it
      // have a tooltip and a context menu.
      return {L"STATIC", SS_OWNERDRAW | SS_NOTIFY | WS_BORDER, 0};
  }
  return {L"STATIC", 0, 0};
}

// The frequency box's font, `pixels` high: the family the description
// names where it has that size, else a scalable font of the same look. The
// bitmap MS Sans Serif has a few sizes only, and a font mapper that lacks it
// picks another family: either way the box would not get the size it needs.
HFONT createFrequencyFont(int pixels) {
  const lc::form::FontSpec& box = lc::form::kFrequencyFont;
  const std::array<std::wstring, 3> families{toUtf16(box.family), L"Microsoft Sans Serif",
                                             L"Tahoma"};
  HDC screen = GetDC(nullptr);
  for (const std::wstring& family : families) {
    HFONT font =
        CreateFontW(-pixels, 0, 0, 0, box.weight, FALSE, FALSE, FALSE,
                    static_cast<BYTE>(box.charset), OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                    DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, family.c_str());
    const HGDIOBJ previous = SelectObject(screen, font);
    TEXTMETRICW metrics{};
    GetTextMetricsW(screen, &metrics);
    wchar_t face[LF_FACESIZE] = {};
    GetTextFaceW(screen, LF_FACESIZE, face);
    SelectObject(screen, previous);
    const bool fits = metrics.tmHeight - metrics.tmInternalLeading == pixels &&
                      CompareStringOrdinal(face, -1, family.c_str(), -1, TRUE) == CSTR_EQUAL;
    if (fits || &family == &families.back()) {
      ReleaseDC(nullptr, screen);
      return font;
    }
    DeleteObject(font);
  }
  return nullptr;  // not reached: the last family is always taken
}

void copyToClipboard(HWND owner, const std::wstring& text) {
  if (!OpenClipboard(owner)) return;
  EmptyClipboard();
  const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes)) {
    CopyMemory(GlobalLock(memory), text.c_str(), bytes);
    GlobalUnlock(memory);
    if (SetClipboardData(CF_UNICODETEXT, memory) == nullptr) GlobalFree(memory);
  }
  CloseClipboard();
}

}  // namespace

Form1::Form1(HINSTANCE instance, lc::win32::DpiFunctions dpi)
    : instance_(instance), dpiFunctions_(dpi), form_(*this, userFormat()) {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  INITCOMMONCONTROLSEX controls{};
  controls.dwSize = sizeof controls;
  controls.dwICC = ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES;
  InitCommonControlsEx(&controls);

  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = windowProc;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconW(instance, L"IDI_APPICON");
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  windowClass.lpszClassName = kClassName;
  RegisterClassExW(&windowClass);

  CreateWindowExW(kExStyle, kClassName, toUtf16(lc::form::kTitle).c_str(), kStyle, CW_USEDEFAULT,
                  CW_USEDEFAULT, lc::form::kClientWidth, lc::form::kClientHeight, nullptr, nullptr,
                  instance, this);
}

Form1::~Form1() {
  if (window_ != nullptr) DestroyWindow(window_);
  DeleteObject(frequencyFont_);
  DeleteObject(windowFont_);
  CoUninitialize();
}

int Form1::run(int show) {
  if (window_ == nullptr) return EXIT_FAILURE;
  ShowWindow(window_, show);
  UpdateWindow(window_);
  focused_ = control(ControlId::F);
  SetFocus(focused_);
  MSG message{};
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (IsDialogMessageW(window_, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}

LRESULT CALLBACK Form1::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<Form1*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->window_ = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<Form1*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  // No exception may unwind through the system's code that called this.
  try {
    return self->handle(window, message, wParam, lParam);
  } catch (...) {
    lc::form::reportCurrentFault(*self);
  }
  return 0;
}

LRESULT Form1::handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      createControls();
      layOut(dpiFunctions_.dpiOf(window));
      return 0;
    case WM_ACTIVATE:
      // The focus goes back to the control that had it, as in a dialog:
      // after a message box and when the user comes back to the window.
      if (LOWORD(wParam) == WA_INACTIVE) {
        if (HWND focus = GetFocus(); focus != nullptr && IsChild(window, focus)) focused_ = focus;
      } else if (HIWORD(wParam) == 0) {  // not while minimised
        SetFocus(focused_ != nullptr && IsWindow(focused_) ? focused_ : control(ControlId::F));
      }
      return 0;
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == controlId(ControlId::Ok)) Ok_Click();
      if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == controlId(ControlId::Command1))
        Command1_Click();
      return 0;
    case WM_DRAWITEM:
      drawResult(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      return TRUE;
    case WM_CTLCOLORSTATIC: {
      // The captions and the frame's title stand on the button face, as in
      // a dialog: in the text colour the system pairs with it, which a
      // high-contrast scheme may make other than the window's text colour.
      const HDC dc = reinterpret_cast<HDC>(wParam);
      SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
      SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_CONTEXTMENU:
      if (offerCopy(reinterpret_cast<HWND>(wParam), lParam)) return 0;
      break;
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lParam);
      if (header->code == TTN_GETDISPINFOW) {
        auto* info = reinterpret_cast<NMTTDISPINFOW*>(lParam);
        info->lpszText = const_cast<wchar_t*>(tipFor(reinterpret_cast<HWND>(header->idFrom)));
      }
      return 0;
    }
    case WM_DPICHANGED: {
      const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
      SetWindowPos(window, nullptr, suggested->left, suggested->top,
                   suggested->right - suggested->left, suggested->bottom - suggested->top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      layOut(HIWORD(wParam));
      return 0;
    }
    case WM_DESTROY:
      if (accessibility_ != nullptr) {
        accessibility_->ClearHwndProps(announcer_, kClient, CHILDID_SELF, &kLiveSetting, 1);
        accessibility_->Release();
        accessibility_ = nullptr;
      }
      PostQuitMessage(0);
      return 0;
    case WM_NCDESTROY:
      // The last message: the window no longer leads here.
      SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      window_ = nullptr;
      break;
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

void Form1::createControls() {
  for (const auto& description : lc::form::kControls) {
    const ControlClass kind = classOf(description.kind);
    controls_[static_cast<std::size_t>(description.id)] =
        CreateWindowExW(kind.exStyle, kind.name, toUtf16(description.text).c_str(),
                        WS_CHILD | WS_VISIBLE | kind.style, 0, 0, 0, 0, window_,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId(description.id))),
                        instance_, nullptr);
  }
  SendMessageW(control(ControlId::F), EM_SETLIMITTEXT, lc::form::kMaxFrequencyLength, 0);

  // The dialog manager tabs in the order of the siblings, and a sibling
  // earlier in that order is drawn above a later one: in tab-index order the
  // box comes before, and so above, the frame drawn round it.
  HWND previous = HWND_TOP;
  for (const auto* description : lc::form::inTabOrder()) {
    HWND child = control(description->id);
    SetWindowLongPtrW(child, GWL_STYLE, GetWindowLongPtrW(child, GWL_STYLE) | WS_CLIPSIBLINGS);
    SetWindowPos(child, previous, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    previous = child;
  }

  // No size: nothing to see or click. Marked as a polite live region where
  // the system's accessibility services can say so.
  announcer_ = CreateWindowExW(
      0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_NOPREFIX, 0, 0, 0, 0, window_,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(kAnnouncerControlId)), instance_, nullptr);
  if (SUCCEEDED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                                 IID_IAccPropServices,
                                 reinterpret_cast<void**>(&accessibility_)))) {
    VARIANT polite;
    VariantInit(&polite);
    polite.vt = VT_I4;
    polite.lVal = kPolite;
    accessibility_->SetHwndProp(announcer_, kClient, CHILDID_SELF, kLiveSetting, polite);
  }

  tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                             WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, window_, nullptr, instance_, nullptr);
  // Every field's control: the box tells what was read, a result label its
  // whole result.
  for (const auto& description : lc::form::kControls) {
    if (!description.field) continue;
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = window_;
    tool.uId = reinterpret_cast<UINT_PTR>(control(description.id));
    tool.lpszText = LPSTR_TEXTCALLBACKW;
    SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

void Form1::layOut(UINT dpi) {
  dpi_ = dpi;
  RECT frame{0, 0, scaled(lc::form::kClientWidth, dpi), scaled(lc::form::kClientHeight, dpi)};
  dpiFunctions_.adjust(frame, kStyle, kExStyle, dpi);
  SetWindowPos(window_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

  HFONT frequencyFont = createFrequencyFont(scaled(lc::form::kFrequencyFont.pixels, dpi));
  // The system's message font, at the size the captions and a 15-digit
  // result were laid out for.
  NONCLIENTMETRICSW metrics = dpiFunctions_.nonClientMetrics(dpi);
  metrics.lfMessageFont.lfHeight = -scaled(lc::form::kWindowFontPixels, dpi);
  HFONT windowFont = CreateFontIndirectW(&metrics.lfMessageFont);

  for (const auto& description : lc::form::kControls) {
    const lc::form::Rect& r = description.rect;
    // Edges are scaled, not sizes, so that neighbours stay flush.
    const int left = scaled(r.left, dpi);
    const int top = scaled(r.top, dpi);
    HWND child = control(description.id);
    SetWindowPos(child, nullptr, left, top, scaled(r.left + r.width, dpi) - left,
                 scaled(r.top + r.height, dpi) - top, SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(
        child, WM_SETFONT,
        reinterpret_cast<WPARAM>(description.id == ControlId::F ? frequencyFont : windowFont),
        TRUE);
  }
  DeleteObject(frequencyFont_);
  DeleteObject(windowFont_);
  frequencyFont_ = frequencyFont;
  windowFont_ = windowFont;
}

std::wstring Form1::shownResult(HDC dc, std::string_view result, const lc::NumberFormat& format,
                                int width, UINT dpi) {
  return toUtf16(lc::form::fitResult(result, format, width, scaled(lc::form::kResultIndent, dpi),
                                     [dc](std::string_view candidate) {
                                       const std::wstring wide = toUtf16(candidate);
                                       SIZE size{};
                                       GetTextExtentPoint32W(dc, wide.c_str(),
                                                             static_cast<int>(wide.size()), &size);
                                       return size.cx;
                                     }));
}

void Form1::drawResult(const DRAWITEMSTRUCT& item) {
  RECT area = item.rcItem;
  FillRect(item.hDC, &area, GetSysColorBrush(COLOR_BTNFACE));
  const HGDIOBJ oldFont = SelectObject(item.hDC, windowFont_);
  SetBkMode(item.hDC, TRANSPARENT);
  SetTextColor(item.hDC, GetSysColor(COLOR_BTNTEXT));
  const std::wstring shown = shownResult(item.hDC, toUtf8(windowText(item.hwndItem)),
                                         form_.format(), area.right - area.left, dpi_);
  area.left += scaled(lc::form::kResultIndent, dpi_);
  DrawTextW(item.hDC, shown.c_str(), static_cast<int>(shown.size()), &area,
            DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  SelectObject(item.hDC, oldFont);
}

bool Form1::offerCopy(HWND label, LPARAM where) {
  const bool isResult = std::any_of(lc::form::kResultFields.begin(), lc::form::kResultFields.end(),
                                    [&](lc::Field field) { return label == resultControl(field); });
  if (!isResult) return false;
  if (GetWindowTextLengthW(label) == 0) return true;  // nothing to copy
  POINT at{GET_X_LPARAM(where), GET_Y_LPARAM(where)};
  if (where == -1) {  // from the keyboard (Shift+F10, the menu key): under the label
    RECT r{};
    GetWindowRect(label, &r);
    at = {r.left, r.bottom};
  }
  HMENU menu = CreatePopupMenu();
  AppendMenuW(menu, MF_STRING, kCopyCommand, toUtf16(lc::form::kCopyEntry).c_str());
  const int chosen = static_cast<int>(
      TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0, window_, nullptr));
  DestroyMenu(menu);
  // The whole result, not the elided text the label shows.
  if (chosen == kCopyCommand) copyToClipboard(window_, windowText(label));
  return true;
}

const wchar_t* Form1::tipFor(HWND child) {
  tip_ = child == control(ControlId::F) ? readHint_ : windowText(child);
  return tip_.c_str();
}

void Form1::Ok_Click() { form_.clickOk(toUtf8(windowText(control(ControlId::F)))); }

void Form1::Command1_Click() { DestroyWindow(window_); }

HWND Form1::resultControl(lc::Field field) const {
  const lc::form::Control& shown = lc::form::fieldControl(field);
  if (shown.kind != ControlKind::ResultLabel) throw lc::RuntimeError(lc::ErrorKind::FieldAccess);
  return control(shown.id);
}

void Form1::showResult(lc::Field field, std::string_view text) {
  HWND label = resultControl(field);
  if (!SetWindowTextW(label, toUtf16(text).c_str()))
    throw lc::RuntimeError(lc::ErrorKind::FieldAccess);
  // On the screen before the click returns.
  InvalidateRect(label, nullptr, TRUE);
  UpdateWindow(label);
}

void Form1::showReadHint(std::string_view hint) { readHint_ = toUtf16(hint); }

void Form1::reportError(std::string_view name, std::string_view detail) {
  const std::wstring text = toUtf16(name) + L"\n\n" + toUtf16(detail);
  MessageBoxW(window_, text.c_str(), windowText(window_).c_str(), MB_OK | MB_ICONWARNING);
}

void Form1::announce(std::string_view text) {
  SetWindowTextW(announcer_, toUtf16(text).c_str());
  NotifyWinEvent(kLiveRegionChanged, announcer_, OBJID_CLIENT, CHILDID_SELF);
}
