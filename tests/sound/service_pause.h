// The service's own word on whether it has paused its device, which the end
// of a sound changes from the audio library's event thread.
#pragma once
#include <chrono>
#include <mutex>
#include <thread>

#include "sound_state.h"

inline bool ServicePaused() {
  std::lock_guard<std::mutex> hold(wubble::sound_lock);
  return wubble::sound_output.paused;
}

// Waits up to two seconds for the service to be paused, or running.
inline bool WaitForServicePaused(bool paused) {
  auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  while (ServicePaused() != paused) {
    if (std::chrono::steady_clock::now() > give_up) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}
