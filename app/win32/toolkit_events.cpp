// The event wait. The window procedures post events into a queue of our
// own while a message is dispatched; WaitEvent hands them out one at a time
// and takes the next message only once the queue is empty, so input that
// waits behind an event reaches the controls after the shell has acted on
// that event. Messages go one per call: a mouse move or a repaint gives the
// loop a pass of its own.
#include "toolkit.h"
#include "toolkit_internal.h"

#include <string>

namespace {

struct QueuedEvent {
  int32_t code;
  int32_t id;
  int32_t kind;
  std::string text;
};

// A message posts a few events at most; a full queue drops the newest, as
// a full window-system queue would.
constexpr int kQueueSize = 256;
QueuedEvent queue[kQueueSize];
int queue_head = 0;
int queue_count = 0;

int32_t last_id = 0;
int32_t last_kind = NoKind;
std::string last_text;

int32_t TakeQueued() {
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

// A plain time-out lasts whole ticks of the system clock (15.6 ms unless a
// program has asked the whole system for more); a high-resolution timer,
// where Windows has one, keeps to the 10 ms without changing the clock for
// every other program.
HANDLE WaitTimer() {
  constexpr DWORD kHighResolution = 0x2;  // CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
  static HANDLE timer = CreateWaitableTimerExW(nullptr, nullptr, kHighResolution, TIMER_ALL_ACCESS);
  return timer;
}

// True when a message came within the time.
bool WaitForMessage(int32_t timeout_ms) {
  constexpr DWORD kWake = QS_ALLINPUT;
  if (timeout_ms < 0) {
    return MsgWaitForMultipleObjectsEx(0, nullptr, INFINITE, kWake, MWMO_INPUTAVAILABLE) == WAIT_OBJECT_0;
  }
  HANDLE timer = WaitTimer();
  LARGE_INTEGER due;
  due.QuadPart = -10000LL * timeout_ms;  // relative, in 100 ns
  if (timer != nullptr && SetWaitableTimer(timer, &due, 0, nullptr, nullptr, FALSE)) {
    DWORD woken = MsgWaitForMultipleObjectsEx(1, &timer, INFINITE, kWake, MWMO_INPUTAVAILABLE);
    CancelWaitableTimer(timer);
    return woken == WAIT_OBJECT_0 + 1;
  }
  return MsgWaitForMultipleObjectsEx(0, nullptr, timeout_ms, kWake, MWMO_INPUTAVAILABLE) == WAIT_OBJECT_0;
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
}

int32_t WaitEvent(int32_t timeout_ms) {
  last_kind = NoKind;
  last_text.clear();
  if (queue_count > 0) return TakeQueued();
  MSG message;
  if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (timeout_ms == 0 || !WaitForMessage(timeout_ms)) return EventNone;
    // A message sent from another thread is handled inside the peek.
    if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) return WindowActivity;
  }
  if (!MoveFocusByTab(message)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return queue_count > 0 ? TakeQueued() : WindowActivity;
}

int32_t EventControlId() { return last_id; }

int32_t EventKind() { return last_kind; }

const char *EventText() { return last_text.c_str(); }

bool InputPending() {
  return queue_count > 0 || HIWORD(GetQueueStatus(QS_INPUT | QS_POSTMESSAGE)) != 0;
}
