// The window toolkit the shell is written against: one main window, controls
// named by number, and an event wait that hands back one event per call.
//
// This is the programs' platform layer. A port implements every call below
// in files of its own and links them in place of another binding's; the
// shell, the number text, the scope picture and the drawing scale's rules
// are shared and never ask which binding they run on. Two bindings exist:
// FLTK on X11 (toolkit_*.cpp) and the Windows user interface on USER32,
// GDI32 and COMCTL32 (win32/toolkit_*.cpp).
//
// What every binding must do:
// - One thread. Every call comes from the thread that opened the window;
//   a binding starts no thread and takes no lock.
// - Controls are child windows (or the toolkit's widgets) of the one main
//   window, created in the order the shell adds them, each known by its
//   number. A number that names no control is ignored by every call.
// - Events. User actions on the controls become ControlEvents in one queue,
//   oldest first, handed out by WaitEvent one a call. Which actions give
//   which kinds: a button pressed (mouse or keyboard) gives Activated; a
//   user's change of a text field's text gives TextChanged; a text field
//   taking or losing the keyboard focus gives FocusGained or FocusLost;
//   every scroll-bar notification (see AddScrollBar) gives Activated; a
//   click on the image gives Activated; a paste the digits-only field
//   refused gives TextOffered. A binding may deliver further kinds of its
//   own platform (the shell acts only on the ones above). The window's close
//   request (close box, window menu, Alt+F4) gives CloseEvent and leaves the
//   window open; Escape gives nothing.
// - Order. Input is acted on in the order it came. Once an input message
//   has queued an event, later input is not delivered to the controls until
//   the queue is empty, so that the shell acts on each event before the
//   next input can change what it reads (a "+" click followed by a typed
//   digit steps from the text as it was before the digit). The window
//   keeps being painted while input waits; the FLTK binding, which reads
//   input ahead, also lets a close request go before input still waiting.
// - Keyboard focus. Buttons and text fields take it, the label, the scroll
//   bar and the image never do. Tab moves it to the next of them in
//   creation order, Shift+Tab to the previous one, both wrapping around;
//   with none of them focused, Tab goes to the first and Shift+Tab to the
//   last. The arrow keys do not move it. When the window is activated again
//   the control that had the focus gets it back.
// - Program-written text (SetControlText) never comes back as TextChanged.
#pragma once
#include <cstdint>

// Codes returned by WaitEvent.
constexpr int32_t EventNone = 0;         // the wait ran out of time
constexpr int32_t WindowActivity = 1;    // a message that produced no event
constexpr int32_t CloseEvent = 16;       // close box, window menu or Alt+F4
constexpr int32_t ControlEvent = 13100;  // see EventControlId and EventKind

// Kinds carried by a ControlEvent.
constexpr int32_t NoKind = -1;
constexpr int32_t Activated = 0;  // button pressed, or any scroll notification
constexpr int32_t TextChanged = 768;
constexpr int32_t FocusGained = 14000;
constexpr int32_t FocusLost = 14001;
// A paste the digits-only field did not take (text with anything but digits
// in it, or more than the field holds); EventText() has the text.
constexpr int32_t TextOffered = 14002;

// A 24-bit picture: `width` x `height` pixels of red, green, blue bytes,
// rows top first with no padding.
struct Picture {
  int32_t width;
  int32_t height;
  uint8_t *pixels;
};

// The program's name as the desktop knows it, set before the window opens:
// on X11 the window class (WM_CLASS) that a desktop entry's StartupWMClass
// matches; on Windows the main window's class name.
void SetProgramName(const char *name);

// Every position and size given to the calls below is in units of the
// drawing scale: one unit is scale x scale screen pixels, and the captions'
// fonts grow with it. The scale is WUBBLE_SCALE when set (1 to 4), else the
// screen's density at 96 dots per inch a step (rounded down, at least 1;
// the X server's Xft.dpi resource, or the Windows DPI of the monitor the
// window opens on), else 1; a bad WUBBLE_SCALE is said once on stderr under
// `program` and gives 1. Chosen before the window opens; returns the scale.
// On Windows the program is per-monitor DPI aware: moved to a monitor of
// another density, the window is laid out again at that monitor's scale,
// unless WUBBLE_SCALE fixed it.
int32_t ChooseDrawingScale(const char *program);

// Opens the main window with a client area of width x height units and the
// title: fixed size, a title bar with the window menu and the close box but
// no minimise or maximise box, the system's button-face background, centred
// on the screen (cut to the screen's size first), shown at once.
void OpenMainWindow(int32_t width, int32_t height, const char *title);
void CloseMainWindow();  // destroys the window and every control

// A push button with `text` as its caption; Activated when pressed.
void AddButton(int32_t id, int32_t x, int32_t y, int32_t w, int32_t h,
               const char *text);
// A single-line text field with a sunken edge that scrolls sideways.
// digits_only: typed characters other than 0..9 are refused, and so is a
// paste of anything but digits that fit (TextOffered carries it instead).
void AddTextField(int32_t id, int32_t x, int32_t y, int32_t w, int32_t h,
                  const char *text, bool digits_only);
// A static text, left-aligned; it sends nothing.
void AddLabel(int32_t id, int32_t x, int32_t y, int32_t w, int32_t h,
              const char *text);
// A horizontal scroll bar; positions run from minimum to maximum - page + 1.
// Every notification first moves the position and then queues one
// Activated event: a press on an arrow steps by 1, one in the trough by
// `page` (towards the pointer), and both repeat while the press is held (a
// first repeat after 0.4 s, then every 0.05 s; paging stops at the pointer);
// each movement of a dragged thumb moves to the thumb's position; letting
// the thumb go gives "thumb released" and every press's end gives "end of
// scroll action", both without a move. A position already at its limit
// still gives the event. A press ends with its release wherever that
// happens, and also when the window loses the pointer without one.
void AddScrollBar(int32_t id, int32_t x, int32_t y, int32_t w, int32_t h,
                  int32_t minimum, int32_t maximum, int32_t page);
// An image control without a border that shows `image` at its top-left
// corner and takes the image's size.
void AddImageControl(int32_t id, int32_t x, int32_t y, int32_t w, int32_t h,
                     const Picture *image);

// Resets the kind to NoKind, then returns the oldest queued event, or else
// handles at most one window-system message, waiting up to timeout_ms for
// one (0: not at all; -1: without limit), and returns the event it queued,
// WindowActivity when it queued none, or EventNone when the time ran out.
// Waiting uses no processor time.
int32_t WaitEvent(int32_t timeout_ms);
// The control and the kind of the ControlEvent that WaitEvent returned last.
int32_t EventControlId();
int32_t EventKind();
// The text a TextOffered event carries; "" for any other event.
const char *EventText();
// True while window-system input that has reached the program waits to be
// read or handed out: a caller that has sent input and synchronised with
// the server can wait for this to clear to know it has all been acted on.
bool InputPending();

// The text of a text field, the caption of anything else; valid until the
// control changes.
const char *GetControlText(int32_t id);
// Replaces the caption or the text at once; program-written text never
// comes back as a TextChanged event.
void SetControlText(int32_t id, const char *text);
// Scroll bar: its position.
int32_t GetControlState(int32_t id);
// Scroll bar: a new position, held within its range, with no event. Image
// control: the address of a Picture to show, each of its pixels a block of
// scale x scale screen pixels, painted before the call returns.
void SetControlState(int32_t id, intptr_t value);
