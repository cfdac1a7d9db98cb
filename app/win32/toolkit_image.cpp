// The image control: a USER32 "STATIC" control that shows a bitmap in the
// display's own format at its top-left corner and takes the bitmap's size.
// Each picture reaches the bitmap through GDI's SetDIBits from a pixel
// buffer of blue-green-red rows padded to four bytes, described by a
// bitmap information header of negative height (first row on top), through
// a drawing context on the whole display; the control then paints it at
// once. At a drawing scale above 1 every picture pixel becomes a square
// block in the buffer. Buffer, header and bitmap are made once per scale.
#include "toolkit.h"
#include "toolkit_internal.h"

#include <vector>

namespace {

struct ImageView {
  HWND window;
  HBITMAP bitmap;
  int32_t units_w;  // of the picture
  int32_t units_h;
  int32_t width;    // of the bitmap, in screen pixels
  int32_t height;
  BITMAPINFOHEADER header;
  std::vector<uint8_t> pixels;
  const Picture *shown;
};

constexpr int kMaxImages = 4;
ImageView images[kMaxImages];
int image_count = 0;
HDC display = nullptr;

ImageView *Find(HWND window) {
  for (int i = 0; i < image_count; ++i) {
    if (images[i].window == window) return &images[i];
  }
  return nullptr;
}

// A black bitmap of the size, compatible with the display, in the control.
void MakeBitmap(ImageView &view, int32_t units_w, int32_t units_h) {
  if (display == nullptr) display = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
  view.units_w = units_w;
  view.units_h = units_h;
  view.width = Scaled(units_w);
  view.height = Scaled(units_h);
  HBITMAP bitmap = CreateCompatibleBitmap(display, view.width, view.height);
  HDC memory = CreateCompatibleDC(display);
  HGDIOBJ before = SelectObject(memory, bitmap);
  RECT all = {0, 0, view.width, view.height};
  FillRect(memory, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  SelectObject(memory, before);
  DeleteDC(memory);

  view.header = {};
  view.header.biSize = sizeof view.header;  // 40
  view.header.biWidth = view.width;
  view.header.biHeight = -view.height;
  view.header.biPlanes = 1;
  view.header.biBitCount = 24;
  view.header.biCompression = BI_RGB;
  const int stride = (view.width * 3 + 3) & ~3;
  view.pixels.assign(static_cast<size_t>(stride) * view.height, 0);

  SendMessageA(view.window, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap));
  if (view.bitmap != nullptr) DeleteObject(view.bitmap);
  view.bitmap = bitmap;
}

void FillPixels(ImageView &view, const Picture &picture) {
  const int stride = (view.width * 3 + 3) & ~3;
  for (int y = 0; y < view.height; ++y) {
    const uint8_t *row = picture.pixels + (y / drawing_scale) * picture.width * 3;
    uint8_t *out = view.pixels.data() + static_cast<size_t>(y) * stride;
    for (int x = 0; x < view.width; ++x) {
      const uint8_t *pixel = row + (x / drawing_scale) * 3;
      out[3 * x] = pixel[2];
      out[3 * x + 1] = pixel[1];
      out[3 * x + 2] = pixel[0];
    }
  }
}

}  // namespace

void AddImageControl(int32_t id, int32_t x, int32_t y, int32_t w, int32_t h, const Picture *image) {
  if (image_count == kMaxImages) return;
  HWND window = AdoptControl(id, ImageControl, "STATIC", SS_NOTIFY | SS_BITMAP, 0, x, y, w, h, "");
  if (window == nullptr) return;
  ImageView &view = images[image_count++];
  view = ImageView{window, nullptr, 0, 0, 0, 0, {}, {}, nullptr};
  MakeBitmap(view, image != nullptr ? image->width : w, image != nullptr ? image->height : h);
}

void ShowPicture(HWND window, const Picture *picture) {
  ImageView *view = Find(window);
  if (view == nullptr || picture == nullptr || picture->pixels == nullptr) return;
  if (view->width != Scaled(picture->width) || view->height != Scaled(picture->height)) {
    MakeBitmap(*view, picture->width, picture->height);
  }
  view->shown = picture;
  FillPixels(*view, *picture);
  SetDIBits(display, view->bitmap, 0, static_cast<UINT>(view->height), view->pixels.data(),
            reinterpret_cast<BITMAPINFO *>(&view->header), DIB_RGB_COLORS);
  SendMessageA(window, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(view->bitmap));
  InvalidateRect(window, nullptr, FALSE);
  UpdateWindow(window);
}

void ScaleImageControls() {
  for (int i = 0; i < image_count; ++i) {
    ImageView &view = images[i];
    MakeBitmap(view, view.units_w, view.units_h);
    if (view.shown != nullptr) ShowPicture(view.window, view.shown);
  }
}

void FreeImageControls() {
  for (int i = 0; i < image_count; ++i) {
    if (images[i].bitmap != nullptr) DeleteObject(images[i].bitmap);
    images[i] = ImageView{};
  }
  image_count = 0;
  if (display != nullptr) DeleteDC(display);
  display = nullptr;
}
