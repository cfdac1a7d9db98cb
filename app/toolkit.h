// The window toolkit the shell is written against: one main window, controls
// named by number, and an event wait that hands back one event per call.
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

// The program's name as the desktop knows it: the window class (WM_CLASS)
// of the windows opened after the call, which a desktop entry's
// StartupWMClass matches.
void SetProgramName(const char *name);

// Every position and size given to the calls below is in units of the
// drawing scale: one unit is scale x scale screen pixels, and the captions'
// fonts grow with it. The scale is WUBBLE_SCALE when set (1 to 4), else the
// X server's Xft.dpi resource at 96 a step (rounded down, at least 1), else
// 1; a bad WUBBLE_SCALE is said once on stderr under `program` and gives 1.
// Chosen before the window opens; returns the scale.
int32_t ChooseDrawingScale(const char *program);

void OpenMainWindow(int32_t width, int32_t height, const char *title);
void CloseMainWindow();  // destroys the window and every control

void AddButton(int32_t id, int32_t x, int32_t y, int32_t w, int32_t h,
               const char *text);
void AddTextField(int32_t id, int32_t x, int32_t y, int32_t w, int32_t h,
                  const char *text, bool digits_only);
void AddLabel(int32_t id, int32_t x, int32_t y, int32_t w, int32_t h,
              const char *text);
// Positions run from minimum to maximum - page + 1.
void AddScrollBar(int32_t id, int32_t x, int32_t y, int32_t w, int32_t h,
                  int32_t minimum, int32_t maximum, int32_t page);
void AddImageControl(int32_t id, int32_t x, int32_t y, int32_t w, int32_t h,
                     const Picture *image);

// Returns the oldest queued event, or else waits up to timeout_ms (-1: no
// limit) for window-system activity and returns what it produced.
int32_t WaitEvent(int32_t timeout_ms);
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
// Program-written text never comes back as a TextChanged event.
void SetControlText(int32_t id, const char *text);
// Scroll bar: its position.
int32_t GetControlState(int32_t id);
// Scroll bar: a new position, held within its range. Image control: the
// address of a Picture to show, each of its pixels a block of scale x scale
// screen pixels, painted before the call returns.
void SetControlState(int32_t id, intptr_t value);
