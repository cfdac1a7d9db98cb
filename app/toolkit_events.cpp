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
#include "toolkit.h"
#include "toolkit_internal.h"

#include <FL/Fl.H>
#include <FL/x.H>

#include <deque>

namespace {

struct QueuedEvent {
  int32_t code;
  int32_t id;
  int32_t kind;
};

// A burst of messages posts a few events at most; a full queue drops the
// newest, as a full window-system queue would.
constexpr int kQueueSize = 256;
QueuedEvent queue[kQueueSize];
int queue_head = 0;
int queue_count = 0;

int32_t last_id = 0;
int32_t last_kind = NoKind;

std::deque<XEvent> held_messages;
// The message being delivered from held_messages; FLTK keeps a pointer to
// it while it handles it.
XEvent delivered_message;

// Called by FLTK for each message before it delivers it; non-zero keeps
// FLTK from delivering it.
int HoldBackAfterAnEvent(void *message, void *) {
  if (queue_count == 0 && held_messages.empty()) return 0;
  held_messages.push_back(*static_cast<XEvent *>(message));
  return 1;
}

void HoldBackFromNowOn() {
  static bool installed = false;
  if (installed) return;
  Fl::add_system_handler(HoldBackAfterAnEvent, nullptr);
  installed = true;
}

}  // namespace

void PostEvent(int32_t code, int32_t id, int32_t kind) {
  if (queue_count == kQueueSize) return;
  queue[(queue_head + queue_count) % kQueueSize] = {code, id, kind};
  ++queue_count;
}

void DropQueuedEvents() {
  queue_head = 0;
  queue_count = 0;
  held_messages.clear();
}

int32_t WaitEvent(int32_t timeout_ms) {
  HoldBackFromNowOn();
  last_kind = NoKind;
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
  QueuedEvent event = queue[queue_head];
  queue_head = (queue_head + 1) % kQueueSize;
  --queue_count;
  if (event.code == ControlEvent) {
    last_id = event.id;
    last_kind = event.kind;
  }
  return event.code;
}

int32_t EventControlId() { return last_id; }

int32_t EventKind() { return last_kind; }
