// The image control. It paints its picture with fl_draw_image in its own
// draw(): an Fl_RGB_Image in a box would make the X server answer every
// repaint with an event, and the wait would never sleep.
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
    if (image != nullptr) size(image->width, image->height);
  }

  void draw() override {
    if (picture_ == nullptr || picture_->pixels == nullptr) return;
    fl_draw_image(picture_->pixels, x(), y(), picture_->width,
                  picture_->height, 3, 0);
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
  const Picture *picture_ = nullptr;
};

}  // namespace

void AddImageControl(int32_t id, int32_t x, int32_t y, int32_t w, int32_t h,
                     const Picture *image) {
  ImageView *view = new ImageView(x, y, w, h);
  view->Show(image);
  AdoptControl(id, ImageControl, view);
}

void ShowPicture(Fl_Widget *view, const Picture *image) {
  static_cast<ImageView *>(view)->Show(image);
  view->redraw();
  // Paint now rather than at the next wait.
  Fl::flush();
}
