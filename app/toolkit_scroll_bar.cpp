// The horizontal scroll bar. FLTK's Fl_Scrollbar steps by 16, pages by the
// thumb's share of the range and calls back only when the value changes;
// here every notification (step, page, thumb moved, thumb released, end of
// scroll) moves the position first and then posts one event, even when the
// position is already at its limit. FLTK's drawing is kept.
//
// A press ends with its release wherever that happens, and also when the
// window loses the pointer to another client's grab or is unmapped (no
// release comes then): the repeat stops and the end of the scroll action
// is posted. A repeat step also checks that the button is still down. A
// drag ends at the pointer position of the release: FLTK hands on only the
// latest of the motions that came in one batch, and may do so after the
// release.
#include "toolkit.h"
#include "toolkit_internal.h"

#include <FL/Fl.H>
#include <FL/Fl_Scrollbar.H>
#include <FL/Fl_Window.H>
#include <FL/x.H>

namespace {

constexpr double kFirstRepeat = 0.4;  // seconds a press is held before repeating
constexpr double kRepeat = 0.05;

enum Part { NoPart, LeftArrow, RightArrow, PageLeft, PageRight, Thumb };

class ScrollBar;

// The bar whose press is in progress, if any.
ScrollBar *pressed_bar = nullptr;

class ScrollBar : public Fl_Scrollbar {
 public:
  ScrollBar(int x, int y, int w, int h, int32_t minimum, int32_t maximum,
            int32_t page)
      : Fl_Scrollbar(x, y, w, h), lowest_(minimum),
        highest_(maximum - page + 1), page_(page) {
    type(FL_HORIZONTAL);
    clear_visible_focus();
    MoveTo(minimum);
  }

  ~ScrollBar() override {
    Fl::remove_timeout(Repeat, this);
    if (pressed_bar == this) pressed_bar = nullptr;
  }

  int32_t position() const { return position_; }

  // The press ends without a release: as a release at the last position.
  void LosePress() {
    if (pressed_ == NoPart) return;
    Fl::remove_timeout(Repeat, this);
    if (pressed_ == Thumb) Notify(position_);
    Notify(position_);
    EndPress();
  }

  void MoveTo(int32_t position) {
    if (position > highest_) position = highest_;
    if (position < lowest_) position = lowest_;
    position_ = position;
    scrollvalue(position_, page_, lowest_, highest_ - lowest_ + page_);
    redraw();
  }

  int handle(int event) override {
    switch (event) {
      case FL_PUSH: return Press();
      case FL_DRAG: return Drag();
      case FL_RELEASE: return Release();
      default: return 0;  // no keys, no wheel, no focus
    }
  }

 private:
  void Notify(int32_t position) {
    MoveTo(position);
    PostControlEvent(this, Activated);
  }

  // The geometry FLTK draws: square arrow buttons at both ends (none when
  // the bar is too short) and a thumb at least half the height plus one.
  int ArrowWidth() const {
    int inner_w = w() - Fl::box_dw(box());
    int inner_h = h() - Fl::box_dh(box());
    return inner_w < 3 * inner_h ? 0 : inner_h;
  }
  int TrackLeft() const { return x() + Fl::box_dx(box()) + ArrowWidth(); }
  int TrackWidth() const { return w() - Fl::box_dw(box()) - 2 * ArrowWidth(); }
  int ThumbWidth() const {
    int size = static_cast<int>(slider_size() * TrackWidth() + 0.5);
    int least = (h() - Fl::box_dh(box())) / 2 + 1;
    return size < least ? least : size;
  }
  int ThumbLeft() const {
    double share = highest_ == lowest_ ? 0.5
        : double(position_ - lowest_) / double(highest_ - lowest_);
    return TrackLeft() + static_cast<int>(share * (TrackWidth() - ThumbWidth()) + 0.5);
  }

  Part PartAt(int px) const {
    int arrow = ArrowWidth();
    if (px < x() + arrow) return LeftArrow;
    if (px >= x() + w() - arrow) return RightArrow;
    if (px < ThumbLeft()) return PageLeft;
    if (px >= ThumbLeft() + ThumbWidth()) return PageRight;
    return Thumb;
  }

  int32_t PositionAtThumbLeft(int px) const {
    int travel = TrackWidth() - ThumbWidth();
    if (travel <= 0) return lowest_;
    double share = double(px - TrackLeft()) / travel;
    return lowest_ + static_cast<int32_t>(share * (highest_ - lowest_) + 0.5);
  }

  // One step or page in the direction of the pressed part; paging stops
  // once the thumb has reached the pointer.
  void Advance() {
    switch (pressed_) {
      case LeftArrow: Notify(position_ - 1); break;
      case RightArrow: Notify(position_ + 1); break;
      case PageLeft:
        if (PartAt(Fl::event_x()) == PageLeft) Notify(position_ - page_);
        break;
      case PageRight:
        if (PartAt(Fl::event_x()) == PageRight) Notify(position_ + page_);
        break;
      default: break;
    }
  }

  // The release may have gone elsewhere, or be waiting behind a backlog.
  bool ButtonStillDown() const {
    Window root, child;
    int root_x, root_y, x, y;
    unsigned int mask = 0;
    if (window() == nullptr || !XQueryPointer(fl_display, fl_xid(window()), &root, &child,
                                              &root_x, &root_y, &x, &y, &mask)) {
      return false;
    }
    return (mask & Button1Mask) != 0;
  }

  static void Repeat(void *bar) {
    ScrollBar *self = static_cast<ScrollBar *>(bar);
    if (!self->ButtonStillDown()) {
      self->LosePress();
      return;
    }
    self->Advance();
    Fl::repeat_timeout(kRepeat, Repeat, bar);
  }

  void EndPress() {
    pressed_ = NoPart;
    if (pressed_bar == this) pressed_bar = nullptr;
  }

  int Press() {
    if (Fl::event_button() != FL_LEFT_MOUSE) return 0;
    pressed_bar = this;
    pressed_ = PartAt(Fl::event_x());
    if (pressed_ == Thumb) {
      grab_offset_ = Fl::event_x() - ThumbLeft();
      return 1;
    }
    Advance();
    Fl::add_timeout(kFirstRepeat, Repeat, this);
    return 1;
  }

  int Drag() {
    if (pressed_ != Thumb) return 1;
    int32_t target = PositionAtThumbLeft(Fl::event_x() - grab_offset_);
    if (target > highest_) target = highest_;
    if (target < lowest_) target = lowest_;
    if (target != position_) Notify(target);
    return 1;
  }

  int Release() {
    if (pressed_ == NoPart) return 1;
    Fl::remove_timeout(Repeat, this);
    if (pressed_ == Thumb) {
      Drag();                  // the thumb to where the button came up
      Notify(position_);       // thumb released
    }
    Notify(position_);         // end of the scroll action
    EndPress();
    return 1;
  }

  int32_t lowest_;
  int32_t highest_;
  int32_t page_;
  int32_t position_ = 0;
  Part pressed_ = NoPart;
  int grab_offset_ = 0;
};

}  // namespace

void WatchPressedScrollBar(const void *message) {
  if (pressed_bar == nullptr) return;
  const XEvent &x_message = *static_cast<const XEvent *>(message);
  Window window = pressed_bar->window() ? fl_xid(pressed_bar->window()) : 0;
  bool lost = (x_message.type == LeaveNotify && x_message.xcrossing.mode == NotifyGrab) ||
              (x_message.type == UnmapNotify && x_message.xunmap.window == window);
  if (lost) pressed_bar->LosePress();
}

void AddScrollBar(int32_t id, int32_t x, int32_t y, int32_t w, int32_t h,
                  int32_t minimum, int32_t maximum, int32_t page) {
  AdoptControl(id, ScrollBarControl,
               new ScrollBar(Scaled(x), Scaled(y), Scaled(w), Scaled(h), minimum, maximum, page));
}

int32_t ScrollBarPosition(Fl_Widget *bar) {
  return static_cast<ScrollBar *>(bar)->position();
}

void SetScrollBarPosition(Fl_Widget *bar, int32_t position) {
  static_cast<ScrollBar *>(bar)->MoveTo(position);
}
