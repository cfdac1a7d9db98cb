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
#include "toolkit_queue.h"

#include <FL/Fl.H>
#include <FL/x.H>

#include <deque>
#include <string>

namespace {

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
  if (QueuedEventCount() == 0 && held_messages.empty()) return 0;
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

void DropHeldMessages() {
  held_messages.clear();
  close_requested = false;
}

int32_t WaitEvent(int32_t timeout_ms) {
  HoldBackFromNowOn();
  ForgetEventKind();
  // Reads without waiting; what it reads is held back behind the backlog.
  if (QueuedEventCount() > 0 || !held_messages.empty()) Fl::wait(0);
  if (close_requested) {
    close_requested = false;
    return CloseEvent;
  }
  if (QueuedEventCount() == 0 && !held_messages.empty()) {
    delivered_message = held_messages.front();
    held_messages.pop_front();
    fl_handle(delivered_message);
    if (QueuedEventCount() == 0) return WindowActivity;
  } else if (QueuedEventCount() == 0) {
    // Fl::wait flushes pending drawing first, then sleeps until a message
    // or a timer, or until the time-out.
    double activity = timeout_ms < 0 ? Fl::wait() : Fl::wait(timeout_ms / 1000.0);
    if (QueuedEventCount() == 0) return activity > 0 ? WindowActivity : EventNone;
  }
  return TakeQueuedEvent();
}

bool InputPending() {
  return QueuedEventCount() > 0 || !held_messages.empty() || close_requested ||
         (fl_display != nullptr && XEventsQueued(fl_display, QueuedAfterReading) > 0);
}
