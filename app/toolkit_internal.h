// What the FLTK binding's files share: the control table and the queue that
// widgets post their events to.
#pragma once
#include <cstdint>

#include "toolkit_queue.h"

class Fl_Widget;
class Fl_Window;

enum ControlKind { ButtonControl, TextFieldControl, LabelControl,
                   ScrollBarControl, ImageControl };

struct Control {
  int32_t id;
  ControlKind kind;
  Fl_Widget *widget;
};

extern Fl_Window *main_window;

// Screen pixels per unit of the positions and sizes the shell gives.
extern int32_t drawing_scale;
inline int Scaled(int32_t units) { return static_cast<int>(units * drawing_scale); }

// Caption and text size in units: FLTK's default of 14 does not fit
// "Random" into its 50 x 18 button.
constexpr int kCaptionSize = 10;

// Numbers the widget, puts it into the main window and the control table.
void AdoptControl(int32_t id, ControlKind kind, Fl_Widget *widget);
Control *FindControl(int32_t id);
void ForgetControls();

// Buttons and text fields report here when they take the focus, so that
// the window can give it back to the same control.
void NoteFocus(Fl_Widget *control);

// A ControlEvent from the control whose number the widget carries.
void PostControlEvent(const Fl_Widget *control, int32_t kind, const char *text = nullptr);
// Forgets the messages held back behind the queue (toolkit_events.cpp).
void DropHeldMessages();

// Sees every window-system message (an XEvent) as it is read, before it is
// delivered or held back: a press of the scroll bar ends when the window
// loses the pointer or is unmapped, however much input waits before that.
void WatchPressedScrollBar(const void *message);

// Defined with the scroll bar and the image control, which keep their own
// state beyond what FLTK's widgets hold.
int32_t ScrollBarPosition(Fl_Widget *bar);
void SetScrollBarPosition(Fl_Widget *bar, int32_t position);
void ShowPicture(Fl_Widget *view, const struct Picture *image);
