// The drawing scale on Windows: the WUBBLE_SCALE setting, else the DPI of
// the monitor. The process declares itself per-monitor DPI aware, so the
// system neither stretches its pixels nor lies about the density; the calls
// that came with later Windows releases are looked up, not linked, and
// older ones fall back to the system DPI.
#include "toolkit.h"
#include "toolkit_internal.h"

#include <cstdlib>

#include "drawing_scale.h"

int32_t drawing_scale = 1;

namespace {

bool scale_fixed = false;

template <typename Call>
Call User32Call(const char *name) {
  return reinterpret_cast<Call>(
      reinterpret_cast<void *>(GetProcAddress(GetModuleHandleA("user32.dll"), name)));
}

void BecomeDpiAware() {
  using SetContext = BOOL(WINAPI *)(DPI_AWARENESS_CONTEXT);
  auto set_context = User32Call<SetContext>("SetProcessDpiAwarenessContext");
  if (set_context != nullptr && set_context(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2)) return;
  using SetAware = BOOL(WINAPI *)();
  auto set_aware = User32Call<SetAware>("SetProcessDPIAware");
  if (set_aware != nullptr) set_aware();
}

UINT ScreenDpi() {
  HDC screen = GetDC(nullptr);
  int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

}  // namespace

UINT WindowDpi(HWND window) {
  using ForWindow = UINT(WINAPI *)(HWND);
  using ForSystem = UINT(WINAPI *)();
  static auto for_window = User32Call<ForWindow>("GetDpiForWindow");
  static auto for_system = User32Call<ForSystem>("GetDpiForSystem");
  UINT dpi = 0;
  if (window != nullptr && for_window != nullptr) dpi = for_window(window);
  if (dpi == 0 && for_system != nullptr) dpi = for_system();
  return dpi != 0 ? dpi : ScreenDpi();
}

int32_t ScaleOfDpi(UINT dpi) { return ScaleForDpiValue(dpi); }

bool ScaleFollowsDpi() { return !scale_fixed; }

int32_t ChooseDrawingScale(const char *program) {
  BecomeDpiAware();
  const char *setting = std::getenv("WUBBLE_SCALE");
  scale_fixed = setting != nullptr && *setting != '\0';
  if (scale_fixed) {
    bool bad_setting = false;
    drawing_scale = ChooseScale(setting, nullptr, &bad_setting);
    if (bad_setting) NoteBadScaleSetting(program, setting);
  } else {
    drawing_scale = ScaleOfDpi(WindowDpi(nullptr));
  }
  return drawing_scale;
}
