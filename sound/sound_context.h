// The service plays on an OpenAL context of its own, beside whatever
// context the host program has made current. Each call makes the service's
// context current for its own length only and then puts back exactly what
// it found, so the host's next OpenAL call goes where it went before.
#pragma once
#include <AL/alc.h>
#include <AL/alext.h>

namespace wubble {

// Where the thread-context extension exists, the service's context is set
// as this thread's context and the process-wide one is never touched (so
// other threads of the host see no change at all); elsewhere the
// process-wide context is swapped and swapped back. Does nothing while the
// service has no context.
class SoundContextScope {
 public:
  SoundContextScope();
  ~SoundContextScope();
  SoundContextScope(const SoundContextScope &) = delete;
  SoundContextScope &operator=(const SoundContextScope &) = delete;

 private:
  ALCcontext *found_ = nullptr;
  bool switched_ = false;
  PFNALCSETTHREADCONTEXTPROC set_thread_context_ = nullptr;  // null: process-wide
};

// Looks up the thread-context calls; runs before the first scope.
void LearnContextCalls();

}  // namespace wubble
