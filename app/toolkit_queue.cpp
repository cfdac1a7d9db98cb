#include "toolkit_queue.h"

#include <string>

#include "toolkit.h"

namespace {

struct QueuedEvent {
  int32_t code;
  int32_t id;
  int32_t kind;
  std::string text;
};

constexpr int kQueueSize = 256;
QueuedEvent queue[kQueueSize];
int queue_head = 0;
int queue_count = 0;

int32_t last_id = 0;
int32_t last_kind = NoKind;
std::string last_text;

}  // namespace

void PostEvent(int32_t code, int32_t id, int32_t kind, const char *text) {
  if (queue_count == kQueueSize) return;
  queue[(queue_head + queue_count) % kQueueSize] = {code, id, kind, text ? text : ""};
  ++queue_count;
}

int QueuedEventCount() { return queue_count; }

int32_t TakeQueuedEvent() {
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

void ForgetEventKind() {
  last_kind = NoKind;
  last_text.clear();
}

void DropQueuedEvents() {
  queue_head = 0;
  queue_count = 0;
}

int32_t EventControlId() { return last_id; }

int32_t EventKind() { return last_kind; }

const char *EventText() { return last_text.c_str(); }
