// The event wait. The window procedures post events into a queue of our
// own while a message is dispatched; WaitEvent hands them out one at a time
// and takes the next message only once the queue is empty, so input that
// waits behind an event reaches the controls after the shell has acted on
// that event. Messages go one per call: a mouse move or a repaint gives the
// loop a pass of its own.
#include "toolkit.h"
#include "toolkit_internal.h"

namespace {

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

int32_t WaitEvent(int32_t timeout_ms) {
  ForgetEventKind();
  if (QueuedEventCount() > 0) return TakeQueuedEvent();
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
  return QueuedEventCount() > 0 ? TakeQueuedEvent() : WindowActivity;
}

bool InputPending() {
  return QueuedEventCount() > 0 || HIWORD(GetQueueStatus(QS_INPUT | QS_POSTMESSAGE)) != 0;
}
