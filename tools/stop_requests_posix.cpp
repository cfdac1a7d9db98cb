#include "stop_requests.h"

#include <cerrno>
#include <csignal>
#include <initializer_list>

#include <pthread.h>
#include <unistd.h>

namespace {

void (*stop_call)(void *) = nullptr;
void *stop_context = nullptr;
sigset_t held;

// The signals are blocked in every thread, so they wait here until taken.
void *TakeStopRequest(void *) {
  int signal_number = 0;
  while (sigwait(&held, &signal_number) != 0) {
  }
  stop_call(stop_context);
  // Unblocked in this thread alone, the signal's own default ends the process.
  std::signal(signal_number, SIG_DFL);
  sigset_t one;
  sigemptyset(&one);
  sigaddset(&one, signal_number);
  pthread_sigmask(SIG_UNBLOCK, &one, nullptr);
  raise(signal_number);
  _exit(128 + signal_number);
}

}  // namespace

bool HoldStopRequests(void (*stop)(void *context), void *context) {
  stop_call = stop;
  stop_context = context;
  sigemptyset(&held);
  for (int signal_number : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&held, signal_number);
  std::signal(SIGPIPE, SIG_IGN);
  int error = pthread_sigmask(SIG_BLOCK, &held, nullptr);
  pthread_t taker;
  if (error == 0) error = pthread_create(&taker, nullptr, TakeStopRequest, nullptr);
  if (error != 0) {
    pthread_sigmask(SIG_UNBLOCK, &held, nullptr);
    errno = error;
    return false;
  }
  pthread_detach(taker);
  return true;
}
