#include "stop_requests.h"

#include <windows.h>

namespace {

void (*stop_call)(void *) = nullptr;
void *stop_context = nullptr;

// The system calls this on a thread of its own for each console event.
// STATUS_CONTROL_C_EXIT is how a process ended by Ctrl+C ends.
BOOL WINAPI TakeStopRequest(DWORD event) {
  switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
      stop_call(stop_context);
      ExitProcess(STATUS_CONTROL_C_EXIT);
    default:
      return FALSE;
  }
}

}  // namespace

bool HoldStopRequests(void (*stop)(void *context), void *context) {
  stop_call = stop;
  stop_context = context;
  return SetConsoleCtrlHandler(TakeStopRequest, TRUE) != 0;
}
