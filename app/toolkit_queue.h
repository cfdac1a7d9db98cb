// The queue of events that a binding's widgets or window procedures post
// while window-system messages are delivered, and that WaitEvent hands out
// one at a time; shared by the bindings of toolkit.h, which implement
// EventControlId, EventKind and EventText through it.
#pragma once
#include <cstdint>

// `text` goes with the event (EventText) when given. A message posts a few
// events at most; a full queue drops the newest, as a full window-system
// queue would.
void PostEvent(int32_t code, int32_t id, int32_t kind, const char *text = nullptr);
int QueuedEventCount();
// Hands out the oldest event: its code, and from now on its control, kind
// and text.
int32_t TakeQueuedEvent();
// At the start of each wait: no kind and no text until an event is taken.
void ForgetEventKind();
void DropQueuedEvents();
