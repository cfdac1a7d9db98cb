// The icon every main window carries (_NET_WM_ICON): the picture of the
// icon theme's wubble.svg, drawn at a few sizes at build time.
#include "toolkit_internal.h"

#include <FL/Fl_RGB_Image.H>
#include <FL/Fl_Window.H>

#include "wubble_icon.h"

void GiveWindowIcon(Fl_Window *window) {
  constexpr int kCount = sizeof icon_pictures / sizeof icon_pictures[0];
  const Fl_RGB_Image *images[kCount] = {};
  for (int k = 0; k < kCount; ++k) {
    images[k] = new Fl_RGB_Image(icon_pictures[k].rgba, icon_pictures[k].size,
                                 icon_pictures[k].size, 4);
  }
  // The window keeps copies.
  window->icons(images, kCount);
  for (const Fl_RGB_Image *image : images) delete image;
}
