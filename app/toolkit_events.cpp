// The event wait. Widgets post events into a queue of our own while FLTK
// delivers window-system messages; WaitEvent hands them out one at a time.
//
// FLTK delivers every message it has read in one wait. Once a message has
// posted an event, the messages read after it are held back and delivered
// one per later wait, after the events before them have been handed out:
// otherwise a burst that piled up during a long pass (a "+" click, then a
// digit typed into the seed field) would reach the controls before the
// shell acts on its first event, and "+" would step from the text the digit
// already changed.
//
// While anything is held back or queued, each wait still reads what has
// come since (held back in turn), runs the timers and repaints, so the
// window stays drawn behind a backlog; a close request read then goes
// before the whole backlog.
#include "toolkit.h"
#include "toolkit_internal.h"

#include <FL/Fl.H>
#include <FL/x.H>

#include <deque>
#include <string>

namespace {

struct QueuedEvent {
  int32_t code;
  int32_t id;
  int32_t kind;
  std::string text;
};

// A burst of messages posts a few events at most; a full queue drops the
// newest, as a full window-system queue would.
constexpr int kQueueSize = 256;
QueuedEvent queue[kQueueSize];
int queue_head = 0;
int queue_count = 0;

int32_t last_id = 0;
int32_t last_kind = NoKind;
std::string last_text;
bool close_requested = false;

std::deque<XEvent> held_messages;
// The message being delivered from held_messages; FLTK keeps a pointer to
// it while it handles it.
XEvent delivered_message;

bool IsCloseRequest(const XEvent &message) {
  static Atom protocols = XInternAtom(fl_display, "WM_PROTOCOLS", False);
  static Atom delete_window = XInternAtom(fl_display, "WM_DELETE_WINDOW", False);
  return message.type == ClientMessage && message.xclient.message_type == protocols &&
         static_cast<Atom>(message.xclient.data.l[0]) == delete_window;
}

// Called by FLTK for each message before it delivers it; non-zero keeps
// FLTK from delivering it.
int HoldBackAfterAnEvent(void *message, void *) {
  const XEvent &x_message = *static_cast<XEvent *>(message);
  WatchPressedScrollBar(&x_message);
  if (queue_count == 0 && held_messages.empty()) return 0;
  if (IsCloseRequest(x_message)) {
    close_requested = true;
    return 1;
  }
  held_messages.push_back(x_message);
  return 1;
}

void HoldBackFromNowOn() {
  static bool installed = false;
  if (installed) return;
  Fl::add_system_handler(HoldBackAfterAnEvent, nullptr);
  installed = true;
}

}  // namespace

void PostEvent(int32_t code, int32_t id, int32_t kind, const char *text) {
  if (queue_count == kQueueSize) return;
  queue[(queue_head + queue_count) % kQueueSize] = {code, id, kind, text ? text : ""};
  ++queue_count;
}

void DropQueuedEvents() {
  queue_head = 0;
  queue_count = 0;
  held_messages.clear();
  close_requested = false;
}

int32_t WaitEvent(int32_t timeout_ms) {
  HoldBackFromNowOn();
  last_kind = NoKind;
  last_text.clear();
  // Reads without waiting; what it reads is held back behind the backlog.
  if (queue_count > 0 || !held_messages.empty()) Fl::wait(0);
  if (close_requested) {
    close_requested = false;
    return CloseEvent;
  }
  if (queue_count == 0 && !held_messages.empty()) {
    delivered_message = held_messages.front();
    held_messages.pop_front();
    fl_handle(delivered_message);
    if (queue_count == 0) return WindowActivity;
  } else if (queue_count == 0) {
    // Fl::wait flushes pending drawing first, then sleeps until a message
    // or a timer, or until the time-out.
    double activity = timeout_ms < 0 ? Fl::wait() : Fl::wait(timeout_ms / 1000.0);
    if (queue_count == 0) return activity > 0 ? WindowActivity : EventNone;
  }
  QueuedEvent &event = queue[queue_head];
  queue_head = (queue_head + 1) % kQueueSize;
  --queue_count;
  if (event.code == ControlEvent) {
    last_id = event.id;
    last_kind = event.kind;
    last_text.swap(event.text);
  }
  event.text.clear();
  return event.code;
}

int32_t EventControlId() { return last_id; }

int32_t EventKind() { return last_kind; }

const char *EventText() { return last_text.c_str(); }

bool InputPending() {
  return queue_count > 0 || !held_messages.empty() || close_requested ||
         (fl_display != nullptr && XEventsQueued(fl_display, QueuedAfterReading) > 0);
}
