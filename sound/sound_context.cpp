#include "sound_context.h"

#include "sound_state.h"

namespace wubble {

SoundContextScope::SoundContextScope() {
  ALCcontext *own = sound_output.context;
  if (own == nullptr) return;
  set_thread_context_ = sound_output.set_thread_context;
  if (set_thread_context_ != nullptr) {
    found_ = sound_output.get_thread_context();
    switched_ = found_ != own && set_thread_context_(own);
  } else {
    found_ = alcGetCurrentContext();
    switched_ = found_ != own && alcMakeContextCurrent(own);
  }
}

SoundContextScope::~SoundContextScope() {
  if (!switched_) return;
  if (set_thread_context_ != nullptr) {
    set_thread_context_(found_);
  } else {
    alcMakeContextCurrent(found_);
  }
}

// The entry points come from the library itself rather than the linker, so
// an OpenAL without the extension still loads.
void LearnContextCalls() {
  if (!alcIsExtensionPresent(nullptr, "ALC_EXT_thread_local_context")) return;
  auto get = reinterpret_cast<PFNALCGETTHREADCONTEXTPROC>(alcGetProcAddress(nullptr, "alcGetThreadContext"));
  auto set = reinterpret_cast<PFNALCSETTHREADCONTEXTPROC>(alcGetProcAddress(nullptr, "alcSetThreadContext"));
  if (get == nullptr || set == nullptr) return;
  sound_output.get_thread_context = get;
  sound_output.set_thread_context = set;
}

}  // namespace wubble
