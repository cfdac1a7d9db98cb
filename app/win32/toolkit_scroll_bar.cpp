// The horizontal scroll bar: a USER32 "SCROLLBAR" control that draws
// itself, with its presses handled here. The control's own handling of a
// press runs a loop of its own until the button comes up, and the shell's
// loop would see nothing of the steps, repeats and drags until then; here
// every notification (step, page, thumb moved, thumb released, end of
// scroll) moves the position first and then posts one event, at once, even
// when the position is already at its limit.
//
// A press holds the mouse capture and ends with the release wherever that
// happens, or when the capture goes elsewhere without one (another window
// takes it, the window is hidden): the repeat stops and the end of the
// scroll action is posted. Right-clicks give neither the control's menu nor
// anything else.
#include "toolkit.h"
#include "toolkit_internal.h"

#include <commctrl.h>
#include <windowsx.h>

namespace {

constexpr UINT kFirstRepeatMs = 400;
constexpr UINT kRepeatMs = 50;
constexpr UINT_PTR kRepeatTimer = 1;
constexpr UINT_PTR kScrollBarSubclass = 2;

enum Part { NoPart, LeftArrow, RightArrow, PageLeft, PageRight, Thumb };

struct ScrollBar {
  HWND window;
  int32_t id;
  int32_t lowest;
  int32_t highest;
  int32_t page;
  int32_t position;
  Part pressed;
  int grab_offset;  // from the thumb's left edge to the pointer
  int pointer_x;    // the latest pointer position of the press
};

// The bars of the window; a slot whose window is null is free.
constexpr int kMaxBars = 4;
ScrollBar bars[kMaxBars];

ScrollBar *StateOf(HWND window) {
  for (ScrollBar &bar : bars) {
    if (window != nullptr && bar.window == window) return &bar;
  }
  return nullptr;
}

// Where the system draws the arrows and the thumb, in the bar's pixels:
// the thumb from the system itself, the arrows as wide as the system's
// scroll bars (half the bar when it is shorter than two of them).
struct Layout {
  int width;
  int arrow;
  int thumb_left;
  int thumb_right;
};

Layout LayoutOf(const ScrollBar &bar) {
  RECT client;
  GetClientRect(bar.window, &client);
  SCROLLBARINFO info = {};
  info.cbSize = sizeof info;
  Layout layout = {client.right, GetSystemMetrics(SM_CXHSCROLL), 0, 0};
  if (2 * layout.arrow > layout.width) layout.arrow = layout.width / 2;
  if (GetScrollBarInfo(bar.window, OBJID_CLIENT, &info)) {
    layout.thumb_left = info.xyThumbTop;
    layout.thumb_right = info.xyThumbBottom;
  }
  return layout;
}

Part PartAt(const ScrollBar &bar, int x) {
  Layout layout = LayoutOf(bar);
  if (x < layout.arrow) return LeftArrow;
  if (x >= layout.width - layout.arrow) return RightArrow;
  if (x < layout.thumb_left) return PageLeft;
  if (x >= layout.thumb_right) return PageRight;
  return Thumb;
}

// The inverse of where the system puts the thumb for a position.
int32_t PositionAtThumbLeft(const ScrollBar &bar, int thumb_left) {
  Layout layout = LayoutOf(bar);
  int travel = layout.width - 2 * layout.arrow - (layout.thumb_right - layout.thumb_left);
  if (travel <= 0) return bar.lowest;
  double share = double(thumb_left - layout.arrow) / travel;
  double position = bar.lowest + share * (bar.highest - bar.lowest) + 0.5;
  if (position < bar.lowest) return bar.lowest;
  if (position > bar.highest) return bar.highest;
  return static_cast<int32_t>(position);
}

void MoveTo(ScrollBar &bar, int32_t position) {
  if (position > bar.highest) position = bar.highest;
  if (position < bar.lowest) position = bar.lowest;
  bar.position = position;
  SCROLLINFO info = {};
  info.cbSize = sizeof info;
  info.fMask = SIF_POS;
  info.nPos = position;
  SetScrollInfo(bar.window, SB_CTL, &info, TRUE);
}

void Notify(ScrollBar &bar, int32_t position) {
  MoveTo(bar, position);
  PostEvent(ControlEvent, bar.id, Activated);
}

// One step or page in the direction of the pressed part; paging stops
// once the thumb has reached the pointer.
void Advance(ScrollBar &bar) {
  switch (bar.pressed) {
    case LeftArrow: Notify(bar, bar.position - 1); break;
    case RightArrow: Notify(bar, bar.position + 1); break;
    case PageLeft:
      if (PartAt(bar, bar.pointer_x) == PageLeft) Notify(bar, bar.position - bar.page);
      break;
    case PageRight:
      if (PartAt(bar, bar.pointer_x) == PageRight) Notify(bar, bar.position + bar.page);
      break;
    default: break;
  }
}

void Drag(ScrollBar &bar, int x) {
  int32_t target = PositionAtThumbLeft(bar, x - bar.grab_offset);
  if (target != bar.position) Notify(bar, target);
}

void Press(ScrollBar &bar, int x) {
  bar.pointer_x = x;
  bar.pressed = PartAt(bar, x);
  SetCapture(bar.window);
  if (bar.pressed == Thumb) {
    bar.grab_offset = x - LayoutOf(bar).thumb_left;
    return;
  }
  Advance(bar);
  SetTimer(bar.window, kRepeatTimer, kFirstRepeatMs, nullptr);
}

void Repeat(ScrollBar &bar) {
  if (bar.pressed == NoPart) return;
  Advance(bar);
  SetTimer(bar.window, kRepeatTimer, kRepeatMs, nullptr);
}

// A release, or the capture lost: the thumb released (after a drag), then
// the end of the scroll action.
void EndPress(ScrollBar &bar) {
  if (bar.pressed == NoPart) return;
  KillTimer(bar.window, kRepeatTimer);
  if (bar.pressed == Thumb) Notify(bar, bar.position);
  Notify(bar, bar.position);
  bar.pressed = NoPart;
  if (GetCapture() == bar.window) ReleaseCapture();
}

LRESULT CALLBACK ScrollBarProc(HWND window, UINT message, WPARAM w, LPARAM l, UINT_PTR,
                               DWORD_PTR data) {
  ScrollBar &bar = bars[data];
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      Press(bar, GET_X_LPARAM(l));
      return 0;
    case WM_MOUSEMOVE:
      bar.pointer_x = GET_X_LPARAM(l);
      if (bar.pressed == Thumb) Drag(bar, bar.pointer_x);
      return 0;
    case WM_LBUTTONUP:
      if (bar.pressed == Thumb) Drag(bar, GET_X_LPARAM(l));  // the thumb to where the button came up
      EndPress(bar);
      return 0;
    case WM_CAPTURECHANGED:
      EndPress(bar);
      return 0;
    case WM_TIMER:
      if (w == kRepeatTimer) Repeat(bar);
      return 0;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_CONTEXTMENU:
      return 0;
    case WM_NCDESTROY:
      RemoveWindowSubclass(window, ScrollBarProc, kScrollBarSubclass);
      bar = ScrollBar{};
      return DefSubclassProc(window, message, w, l);
    default:
      return DefSubclassProc(window, message, w, l);
  }
}

}  // namespace

void AddScrollBar(int32_t id, int32_t x, int32_t y, int32_t w, int32_t h, int32_t minimum,
                  int32_t maximum, int32_t page) {
  ScrollBar *bar = nullptr;
  for (ScrollBar &free : bars) {
    if (free.window == nullptr && bar == nullptr) bar = &free;
  }
  if (bar == nullptr) return;
  HWND window = AdoptControl(id, ScrollBarControl, "SCROLLBAR", SBS_HORZ, 0, x, y, w, h, "");
  if (window == nullptr) return;
  SCROLLINFO info = {};
  info.cbSize = sizeof info;
  info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  info.nMin = minimum;
  info.nMax = maximum;
  info.nPage = static_cast<UINT>(page);
  info.nPos = minimum;
  SetScrollInfo(window, SB_CTL, &info, TRUE);
  *bar = ScrollBar{window, id, minimum, maximum - page + 1, page, minimum, NoPart, 0, 0};
  SetWindowSubclass(window, ScrollBarProc, kScrollBarSubclass, static_cast<DWORD_PTR>(bar - bars));
}

int32_t ScrollBarPosition(HWND window) {
  ScrollBar *bar = StateOf(window);
  return bar != nullptr ? bar->position : 0;
}

void SetScrollBarPosition(HWND window, int32_t position) {
  ScrollBar *bar = StateOf(window);
  if (bar != nullptr) MoveTo(*bar, position);
}
