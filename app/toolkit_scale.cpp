// The drawing scale: the WUBBLE_SCALE setting, else the Xft.dpi resource
// that desktops set on the X server for high-density screens.
#include "toolkit.h"
#include "toolkit_internal.h"

#include <FL/Fl.H>
#include <FL/x.H>
#include <X11/Xresource.h>

#include <cstdlib>
#include <string>

#include "drawing_scale.h"

int32_t drawing_scale = 1;

namespace {

// The resource as the server holds it when the program starts; empty when
// there is none.
std::string DpiResource() {
  fl_open_display();
  const char *resources = XResourceManagerString(fl_display);
  if (resources == nullptr) return "";
  XrmInitialize();
  XrmDatabase database = XrmGetStringDatabase(resources);
  if (database == nullptr) return "";
  std::string dpi;
  char *type = nullptr;
  XrmValue value;
  if (XrmGetResource(database, "Xft.dpi", "Xft.Dpi", &type, &value) && value.addr != nullptr) {
    dpi = value.addr;
  }
  XrmDestroyDatabase(database);
  return dpi;
}

}  // namespace

int32_t ChooseDrawingScale(const char *program) {
  const char *setting = std::getenv("WUBBLE_SCALE");
  bool bad_setting = false;
  if (setting != nullptr && *setting != '\0') {
    drawing_scale = ChooseScale(setting, nullptr, &bad_setting);
  } else {
    std::string dpi = DpiResource();
    drawing_scale = ChooseScale(nullptr, dpi.empty() ? nullptr : dpi.c_str(), &bad_setting);
  }
  if (bad_setting) NoteBadScaleSetting(program, setting);
  return drawing_scale;
}
