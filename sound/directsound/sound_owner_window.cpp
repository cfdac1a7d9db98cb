// The device's owner window: hidden, 1 x 1 pixels, never shown, drawing
// nothing and taking no part in activation, closing, clicks or keys.
#include "sound_state.h"

namespace wubble {

namespace {

constexpr const char *kClassName = "MultimediaBase Class";

LRESULT CALLBACK OwnerWindowProc(HWND window, UINT message, WPARAM w, LPARAM l) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      BeginPaint(window, &paint);
      EndPaint(window, &paint);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_ACTIVATE:
    case WM_ACTIVATEAPP:
    case WM_CLOSE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_KEYUP:
      return 0;
    default:
      return DefWindowProcA(window, message, w, l);
  }
}

// The module this code is in: the program, or the DLL inside a program.
HINSTANCE OwnModule() {
  HMODULE module = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCSTR>(&OwnerWindowProc), &module);
  return module;
}

}  // namespace

HWND SoundOwnerWindow() {
  static HWND owner = nullptr;
  if (owner != nullptr) return owner;
  WNDCLASSEXA window_class = {};
  window_class.cbSize = sizeof window_class;
  window_class.lpfnWndProc = OwnerWindowProc;
  window_class.hInstance = OwnModule();
  window_class.lpszClassName = kClassName;
  if (!RegisterClassExA(&window_class) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return nullptr;
  owner = CreateWindowExA(0, kClassName, "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                          window_class.hInstance, nullptr);
  return owner;
}

}  // namespace wubble
