// The main window: fixed size, centred, asking for a title bar with only the
// window menu and the close box. Closing it only queues CloseEvent; the
// shell decides when the window goes.
#include "toolkit.h"
#include "toolkit_internal.h"

#include <FL/Fl.H>
#include <FL/Fl_Window.H>
#include <FL/x.H>

Fl_Window *main_window = nullptr;

namespace {

Fl_Widget *focused_control = nullptr;

class MainWindow : public Fl_Window {
 public:
  MainWindow(int w, int h, const char *title) : Fl_Window(w, h, title) {}

  int handle(int event) override {
    if (event == FL_FOCUS) return TakeFocus();
    if (event == FL_KEYBOARD) {
      // FLTK moves the focus with the arrow keys; only Tab and Shift+Tab may.
      if (IsArrowKey(Fl::event_key())) return 0;
      if (Fl::event_key() == FL_Tab && Fl::focus() == this) {
        return FocusEnd((Fl::event_state() & FL_SHIFT) != 0);
      }
    }
    return Fl_Window::handle(event);
  }

 private:
  static bool IsArrowKey(int key) {
    return key == FL_Left || key == FL_Right || key == FL_Up || key == FL_Down;
  }

  // FLTK would hand the focus to the first control; until a control has had
  // it, the window keeps it itself, and afterwards it goes back to the
  // control that had it.
  int TakeFocus() {
    if (focused_control != nullptr) focused_control->take_focus();
    return 1;
  }

  // Tab with no control focused goes to the first one, Shift+Tab to the last.
  int FocusEnd(bool last) {
    for (int k = 0; k < children(); ++k) {
      Fl_Widget *control = child(last ? children() - 1 - k : k);
      if (control->visible() && control->take_focus()) return 1;
    }
    return 1;
  }
};

// FLTK calls this for a close request and also for Escape; Escape must do
// nothing.
void WindowCallback(Fl_Widget *, void *) {
  if (Fl::event() == FL_CLOSE) PostEvent(CloseEvent, 0, NoKind);
}

// Motif hints: the window may be moved and closed, nothing else, so the
// window manager draws neither a minimise nor a maximise box (where it lets
// hints remove boxes; FLTK's own hints already rule out resizing).
void RestrictFrame(Window xid) {
  constexpr long kHintFunctions = 1, kHintDecorations = 2;
  constexpr long kFunctionMove = 4, kFunctionClose = 32;
  constexpr long kDecorBorder = 2, kDecorTitle = 8, kDecorMenu = 16;
  long hints[5] = {kHintFunctions | kHintDecorations,
                   kFunctionMove | kFunctionClose,
                   kDecorBorder | kDecorTitle | kDecorMenu, 0, 0};
  Atom motif = XInternAtom(fl_display, "_MOTIF_WM_HINTS", False);
  XChangeProperty(fl_display, xid, motif, motif, 32, PropModeReplace,
                  reinterpret_cast<unsigned char *>(hints), 5);
}

}  // namespace

void NoteFocus(Fl_Widget *control) { focused_control = control; }

void SetProgramName(const char *name) { Fl_Window::default_xclass(name); }

void OpenMainWindow(int32_t width, int32_t height, const char *title) {
  Fl::visual(FL_RGB);
  int sx, sy, sw, sh;
  Fl::screen_xywh(sx, sy, sw, sh, 0);
  int w = Scaled(width) < sw ? Scaled(width) : sw;
  int h = Scaled(height) < sh ? Scaled(height) : sh;
  main_window = new MainWindow(w, h, title);
  main_window->end();
  main_window->size_range(w, h, w, h);
  main_window->position(sx + (sw - w) / 2, sy + (sh - h) / 2);
  main_window->callback(WindowCallback);
  main_window->show();
  RestrictFrame(fl_xid(main_window));
  XFlush(fl_display);
}

void CloseMainWindow() {
  if (main_window == nullptr) return;
  main_window->hide();
  delete main_window;
  main_window = nullptr;
  focused_control = nullptr;
  ForgetControls();
  DropQueuedEvents();
  DropHeldMessages();
  Fl::flush();
}
