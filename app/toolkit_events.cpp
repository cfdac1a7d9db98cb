// The event wait. Widgets post events into a queue of our own while FLTK
// delivers window-system messages; WaitEvent hands them out one at a time.
#include "toolkit.h"
#include "toolkit_internal.h"

#include <FL/Fl.H>

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

}  // namespace

void PostEvent(int32_t code, int32_t id, int32_t kind) {
  if (queue_count == kQueueSize) return;
  queue[(queue_head + queue_count) % kQueueSize] = {code, id, kind};
  ++queue_count;
}

void DropQueuedEvents() {
  queue_head = 0;
  queue_count = 0;
}

int32_t WaitEvent(int32_t timeout_ms) {
  last_kind = NoKind;
  if (queue_count == 0) {
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
