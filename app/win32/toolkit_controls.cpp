// Buttons, text fields and the label as USER32 child windows, the control
// table, the font, the keyboard focus, and reading and writing controls by
// number.
#include "toolkit.h"
#include "toolkit_internal.h"

#include <commctrl.h>

#include <string>

namespace {

constexpr int kMaxControls = 16;
Control controls[kMaxControls];
std::string control_texts[kMaxControls];  // what GetControlText hands out
int control_count = 0;

HFONT control_font = nullptr;
HWND program_writes = nullptr;

constexpr UINT_PTR kDigitsFieldSubclass = 1;

// Unicode from the clipboard, as UTF-8; "" when there is no text.
std::string ClipboardText(HWND owner) {
  std::string text;
  if (!OpenClipboard(owner)) return text;
  HANDLE data = GetClipboardData(CF_UNICODETEXT);
  const wchar_t *wide = data != nullptr ? static_cast<const wchar_t *>(GlobalLock(data)) : nullptr;
  if (wide != nullptr) {
    int bytes = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    if (bytes > 1) {
      text.resize(bytes);
      WideCharToMultiByte(CP_UTF8, 0, wide, -1, &text[0], bytes, nullptr, nullptr);
      text.resize(bytes - 1);
    }
    GlobalUnlock(data);
  }
  CloseClipboard();
  return text;
}

// ES_NUMBER refuses typed non-digits but lets any paste in. Digits that fit
// go in as typed ones; any other text is offered to the shell instead.
bool TakesPaste(HWND field) {
  std::string text = ClipboardText(field);
  if (text.empty()) return true;
  bool digits = text.find_first_not_of("0123456789") == std::string::npos;
  DWORD from = 0, to = 0;
  SendMessageA(field, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
  size_t length = GetWindowTextLengthA(field) - (to - from) + text.size();
  size_t limit = static_cast<size_t>(SendMessageA(field, EM_GETLIMITTEXT, 0, 0));
  if (digits && length <= limit) return true;
  Control *control = FindControlOf(field);
  if (control != nullptr) PostEvent(ControlEvent, control->id, TextOffered, text.c_str());
  return false;
}

LRESULT CALLBACK DigitsFieldProc(HWND field, UINT message, WPARAM w, LPARAM l, UINT_PTR, DWORD_PTR) {
  if (message == WM_PASTE && !TakesPaste(field)) return 0;
  return DefSubclassProc(field, message, w, l);
}

// The stock font is made for the system DPI; its height comes back to 96
// dots per inch before it is scaled.
HFONT MakeControlFont() {
  LOGFONTA font = {};
  GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
  HDC screen = GetDC(nullptr);
  int screen_dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  if (screen_dpi > 0) font.lfHeight = MulDiv(font.lfHeight, 96 * drawing_scale, screen_dpi);
  return CreateFontIndirectA(&font);
}

bool TakesFocus(const Control &control) {
  return control.kind == ButtonControl || control.kind == TextFieldControl;
}

}  // namespace

HFONT ControlFont() {
  if (control_font == nullptr) control_font = MakeControlFont();
  return control_font;
}

void ForgetControlFont() {
  if (control_font != nullptr) DeleteObject(control_font);
  control_font = nullptr;
}

HWND AdoptControl(int32_t id, ControlKind kind, const char *window_class, DWORD style,
                  DWORD extended_style, int32_t x, int32_t y, int32_t w, int32_t h,
                  const char *text) {
  if (main_window == nullptr || control_count == kMaxControls) return nullptr;
  HWND window = CreateWindowExA(extended_style, window_class, text, WS_CHILD | WS_VISIBLE | style,
                                Scaled(x), Scaled(y), Scaled(w), Scaled(h), main_window,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                GetModuleHandleA(nullptr), nullptr);
  if (window == nullptr) return nullptr;
  SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(ControlFont()), FALSE);
  controls[control_count++] = {id, kind, window, {x, y, x + w, y + h}};
  return window;
}

Control *FindControl(int32_t id) {
  for (int i = 0; i < control_count; ++i) {
    if (controls[i].id == id) return &controls[i];
  }
  return nullptr;
}

Control *FindControlOf(HWND window) {
  for (int i = 0; i < control_count; ++i) {
    if (window != nullptr && controls[i].window == window) return &controls[i];
  }
  return nullptr;
}

void ForgetControls() { control_count = 0; }

void LayOutControls() {
  HFONT old_font = control_font;
  control_font = MakeControlFont();
  for (int i = 0; i < control_count; ++i) {
    const RECT &u = controls[i].units;
    MoveWindow(controls[i].window, Scaled(u.left), Scaled(u.top), Scaled(u.right - u.left),
               Scaled(u.bottom - u.top), TRUE);
    SendMessageA(controls[i].window, WM_SETFONT, reinterpret_cast<WPARAM>(control_font), TRUE);
  }
  if (old_font != nullptr) DeleteObject(old_font);
}

bool IsProgramWriting(HWND control) { return control == program_writes; }

bool MoveFocusByTab(const MSG &message) {
  if (message.message != WM_KEYDOWN || message.wParam != VK_TAB) return false;
  if (message.hwnd != main_window && !IsChild(main_window, message.hwnd)) return false;
  bool back = GetKeyState(VK_SHIFT) < 0;
  Control *stops[kMaxControls];
  int count = 0, at = -1;
  for (int i = 0; i < control_count; ++i) {
    if (!TakesFocus(controls[i])) continue;
    if (controls[i].window == GetFocus()) at = count;
    stops[count++] = &controls[i];
  }
  if (count == 0) return true;
  int next = at < 0 ? (back ? count - 1 : 0) : (at + (back ? count - 1 : 1)) % count;
  SetFocus(stops[next]->window);
  // As a dialog does: a field reached by Tab has its text selected.
  if (stops[next]->kind == TextFieldControl) SendMessageA(stops[next]->window, EM_SETSEL, 0, -1);
  return true;
}

void AddButton(int32_t id, int32_t x, int32_t y, int32_t w, int32_t h, const char *text) {
  AdoptControl(id, ButtonControl, "Button", WS_GROUP | WS_TABSTOP | BS_PUSHBUTTON, 0, x, y, w, h,
               text);
}

void AddTextField(int32_t id, int32_t x, int32_t y, int32_t w, int32_t h, const char *text,
                  bool digits_only) {
  DWORD style = WS_GROUP | WS_TABSTOP | ES_AUTOHSCROLL | (digits_only ? ES_NUMBER : 0);
  HWND field = AdoptControl(id, TextFieldControl, "Edit", style, WS_EX_CLIENTEDGE, x, y, w, h, text);
  if (field != nullptr && digits_only) SetWindowSubclass(field, DigitsFieldProc, kDigitsFieldSubclass, 0);
}

void AddLabel(int32_t id, int32_t x, int32_t y, int32_t w, int32_t h, const char *text) {
  AdoptControl(id, LabelControl, "Static", WS_GROUP | SS_LEFT, 0, x, y, w, h, text);
}

const char *GetControlText(int32_t id) {
  Control *control = FindControl(id);
  if (control == nullptr) return nullptr;
  std::string &text = control_texts[control - controls];
  text.assign(static_cast<size_t>(GetWindowTextLengthA(control->window)) + 1, '\0');
  text.resize(static_cast<size_t>(GetWindowTextA(control->window, &text[0], static_cast<int>(text.size()))));
  return text.c_str();
}

void SetControlText(int32_t id, const char *text) {
  Control *control = FindControl(id);
  if (control == nullptr) return;
  program_writes = control->window;
  SetWindowTextA(control->window, text);
  program_writes = nullptr;
  // Painted now, not after the input that waits behind this pass.
  UpdateWindow(control->window);
}

int32_t GetControlState(int32_t id) {
  Control *control = FindControl(id);
  if (control == nullptr || control->kind != ScrollBarControl) return 0;
  return ScrollBarPosition(control->window);
}

void SetControlState(int32_t id, intptr_t value) {
  Control *control = FindControl(id);
  if (control == nullptr) return;
  if (control->kind == ScrollBarControl) {
    SetScrollBarPosition(control->window, static_cast<int32_t>(value));
  } else if (control->kind == ImageControl) {
    ShowPicture(control->window, reinterpret_cast<const Picture *>(value));
  }
}
