// What the Windows binding's files share: the main window, the control table,
// the font and the queue that the window procedures post events to.
#pragma once
#include <windows.h>

#include <cstdint>

#include "toolkit_queue.h"

enum ControlKind { ButtonControl, TextFieldControl, LabelControl,
                   ScrollBarControl, ImageControl };

// Each control's place in units, kept so that a change of scale can lay
// the window out again.
struct Control {
  int32_t id;
  ControlKind kind;
  HWND window;
  RECT units;
};

extern HWND main_window;

// Screen pixels per unit of the positions and sizes the shell gives.
extern int32_t drawing_scale;
inline int Scaled(int32_t units) { return static_cast<int>(units * drawing_scale); }

// The system's default GUI font, grown with the scale.
HFONT ControlFont();
void ForgetControlFont();

// Creates a child of the main window of `window_class` and `style` (plus
// WS_CHILD | WS_VISIBLE) at the unit rectangle, numbered `id`, with the
// control font, and puts it into the control table.
HWND AdoptControl(int32_t id, ControlKind kind, const char *window_class, DWORD style,
                  DWORD extended_style, int32_t x, int32_t y, int32_t w, int32_t h,
                  const char *text);
Control *FindControl(int32_t id);
Control *FindControlOf(HWND window);
void ForgetControls();
// Moves every control to its unit rectangle at the current scale.
void LayOutControls();

// While the program writes a control's text, the notifications it sends
// are not the user's; the main window drops them.
bool IsProgramWriting(HWND control);


// Tab and Shift+Tab, taken before the message reaches the control.
bool MoveFocusByTab(const MSG &message);
// The control that had the focus when the window was last deactivated.
void NoteFocus(HWND control);
void RestoreFocus();

// Whether the scale was fixed by WUBBLE_SCALE; otherwise it follows the
// monitor's DPI.
bool ScaleFollowsDpi();
// The scale for a DPI value, by the shared rule.
int32_t ScaleOfDpi(UINT dpi);
// The outer size of a client area at a DPI, for the main window's style.
SIZE OuterSize(int client_w, int client_h, UINT dpi);
// The DPI of the monitor the window is on (or would open on).
UINT WindowDpi(HWND window);

// Scroll bar and image control, which keep state of their own.
void SubclassScrollBar(HWND bar, int32_t minimum, int32_t maximum, int32_t page);
int32_t ScrollBarPosition(HWND bar);
void SetScrollBarPosition(HWND bar, int32_t position);
void ShowPicture(HWND view, const struct Picture *image);
// Makes the image's bitmap again at the current scale.
void ScaleImageControls();
void FreeImageControls();
