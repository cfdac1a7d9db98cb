// The main window: fixed size, centred, a title bar with the window menu and
// the close box only. Its procedure turns the children's notifications into
// ControlEvents; a close request only queues CloseEvent, and the shell
// decides when the window goes.
#include "toolkit.h"
#include "toolkit_internal.h"

#include <string>

HWND main_window = nullptr;

namespace {

constexpr DWORD kMainStyle = WS_CAPTION | WS_SYSMENU;

std::string class_name = "wubble";
SIZE client_units = {0, 0};
SIZE outer_size = {0, 0};  // the window's whole size, which nothing changes
HWND focused_control = nullptr;

int32_t KindOf(const Control &control, int32_t code) {
  if (control.kind != TextFieldControl) return code;
  if (code == EN_SETFOCUS) return FocusGained;
  if (code == EN_KILLFOCUS) return FocusLost;
  return code;  // EN_CHANGE is TextChanged (768) already
}

void OnCommand(WPARAM w, LPARAM l) {
  HWND child = reinterpret_cast<HWND>(l);
  Control *control = FindControlOf(child);
  if (control == nullptr || IsProgramWriting(child)) return;
  PostEvent(ControlEvent, control->id, KindOf(*control, HIWORD(w)));
}

// A monitor of another density: the same layout at its scale (unless
// WUBBLE_SCALE fixed the scale), and the frame of that DPI around it.
void OnDpiChanged(UINT dpi, const RECT &suggested) {
  int32_t scale = ScaleFollowsDpi() ? ScaleOfDpi(dpi) : drawing_scale;
  if (scale != drawing_scale) {
    drawing_scale = scale;
    LayOutControls();
    ScaleImageControls();
  }
  // The frame is that of the window's own DPI, which the system has set to
  // `dpi` before it sends the message.
  outer_size = OuterSize(Scaled(client_units.cx), Scaled(client_units.cy), WindowDpi(main_window));
  SetWindowPos(main_window, nullptr, suggested.left, suggested.top, outer_size.cx, outer_size.cy,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

// The system would hold a window at a high DPI to a least size wider than
// 194 units at scale 1; this window keeps the size it was made with.
void HoldSize(MINMAXINFO &limits) {
  if (outer_size.cx == 0) return;
  limits.ptMinTrackSize = {outer_size.cx, outer_size.cy};
  limits.ptMaxTrackSize = {outer_size.cx, outer_size.cy};
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM w, LPARAM l) {
  switch (message) {
    case WM_GETMINMAXINFO:
      HoldSize(*reinterpret_cast<MINMAXINFO *>(l));
      return 0;
    case WM_COMMAND:
      OnCommand(w, l);
      return 0;
    case WM_CLOSE:
      PostEvent(CloseEvent, 0, NoKind);
      return 0;
    case WM_ACTIVATE:
      // As a dialog does: the focus goes back to the control that had it.
      if (LOWORD(w) == WA_INACTIVE) {
        NoteFocus(GetFocus());
      } else {
        RestoreFocus();
      }
      return 0;
    case WM_DPICHANGED:
      OnDpiChanged(HIWORD(w), *reinterpret_cast<const RECT *>(l));
      return 0;
    default:
      return DefWindowProcA(window, message, w, l);
  }
}

HINSTANCE Instance() { return GetModuleHandleA(nullptr); }

bool RegisterMainClass() {
  WNDCLASSEXA window_class = {};
  window_class.cbSize = sizeof window_class;
  window_class.lpfnWndProc = MainWindowProc;
  window_class.hInstance = Instance();
  window_class.hCursor = LoadCursor(nullptr, IDC_ARROW);
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  window_class.lpszClassName = class_name.c_str();
  return RegisterClassExA(&window_class) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace

void NoteFocus(HWND control) {
  if (control != nullptr && IsChild(main_window, control)) focused_control = control;
}

void RestoreFocus() {
  SetFocus(focused_control != nullptr && IsWindow(focused_control) ? focused_control : main_window);
}

SIZE OuterSize(int client_w, int client_h, UINT dpi) {
  using AdjustForDpi = BOOL(WINAPI *)(RECT *, DWORD, BOOL, DWORD, UINT);
  static auto adjust_for_dpi = reinterpret_cast<AdjustForDpi>(reinterpret_cast<void *>(
      GetProcAddress(GetModuleHandleA("user32.dll"), "AdjustWindowRectExForDpi")));
  RECT rect = {0, 0, client_w, client_h};
  if (adjust_for_dpi == nullptr || !adjust_for_dpi(&rect, kMainStyle, FALSE, 0, dpi)) {
    AdjustWindowRectEx(&rect, kMainStyle, FALSE, 0);
  }
  return {rect.right - rect.left, rect.bottom - rect.top};
}

void SetProgramName(const char *name) { class_name = name; }

void OpenMainWindow(int32_t width, int32_t height, const char *title) {
  if (!RegisterMainClass()) return;
  client_units = {width, height};
  SIZE outer = OuterSize(Scaled(width), Scaled(height), WindowDpi(nullptr));
  int screen_w = GetSystemMetrics(SM_CXSCREEN), screen_h = GetSystemMetrics(SM_CYSCREEN);
  if (outer.cx > screen_w) outer.cx = screen_w;
  if (outer.cy > screen_h) outer.cy = screen_h;
  outer_size = outer;
  main_window = CreateWindowExA(0, class_name.c_str(), title, kMainStyle,
                                (screen_w - outer.cx) / 2, (screen_h - outer.cy) / 2,
                                outer.cx, outer.cy, nullptr, nullptr, Instance(), nullptr);
  ShowWindow(main_window, SW_SHOWNORMAL);
  UpdateWindow(main_window);
}

void CloseMainWindow() {
  if (main_window == nullptr) return;
  DestroyWindow(main_window);
  main_window = nullptr;
  outer_size = {0, 0};
  focused_control = nullptr;
  FreeImageControls();
  ForgetControls();
  ForgetControlFont();
  DropQueuedEvents();
}
