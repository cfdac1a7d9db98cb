// The image control. It paints its picture with fl_draw_image in its own
// draw(): an Fl_RGB_Image in a box would make the X server answer every
// repaint with an event, and the wait would never sleep. At a drawing scale
// above 1 each picture pixel is painted as a square block, one screen line
// at a time from the picture itself, so no enlarged copy is kept.
#include "toolkit.h"
#include "toolkit_internal.h"

#include <FL/Fl.H>
#include <FL/Fl_Widget.H>
#include <FL/fl_draw.H>

namespace {

class ImageView : public Fl_Widget {
 public:
  ImageView(int x, int y, int w, int h) : Fl_Widget(x, y, w, h) {}

  void Show(const Picture *image) {
    picture_ = image;
    if (image != nullptr) size(Scaled(image->width), Scaled(image->height));
  }

  void draw() override {
    if (picture_ == nullptr || picture_->pixels == nullptr) return;
    if (drawing_scale == 1) {
      fl_draw_image(picture_->pixels, x(), y(), picture_->width,
                    picture_->height, 3, 0);
    } else {
      fl_draw_image(ScaledLine, this, x(), y(), Scaled(picture_->width),
                    Scaled(picture_->height), 3);
    }
  }

  int handle(int event) override {
    // A click is reported like any control's notification; the shell
    // ignores it.
    if (event == FL_PUSH) return 1;
    if (event == FL_RELEASE) {
      PostControlEvent(this, Activated);
      return 1;
    }
    return 0;
  }

 private:
  // FLTK asks for `w` screen pixels of screen line `y` from column `x` on,
  // both counted within the view.
  static void ScaledLine(void *view, int x, int y, int w, uchar *out) {
    const Picture *picture = static_cast<ImageView *>(view)->picture_;
    const uint8_t *row = picture->pixels + (y / drawing_scale) * picture->width * 3;
    for (int k = 0; k < w; ++k) {
      const uint8_t *pixel = row + ((x + k) / drawing_scale) * 3;
      out[3 * k] = pixel[0];
      out[3 * k + 1] = pixel[1];
      out[3 * k + 2] = pixel[2];
    }
  }

  const Picture *picture_ = nullptr;
};

}  // namespace

void AddImageControl(int32_t id, int32_t x, int32_t y, int32_t w, int32_t h,
                     const Picture *image) {
  ImageView *view = new ImageView(Scaled(x), Scaled(y), Scaled(w), Scaled(h));
  view->Show(image);
  AdoptControl(id, ImageControl, view);
}

void ShowPicture(Fl_Widget *view, const Picture *image) {
  static_cast<ImageView *>(view)->Show(image);
  view->redraw();
  // Paint now rather than at the next wait.
  Fl::flush();
}
