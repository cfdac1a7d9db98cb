#include "quiet_logs.h"

#include <dlfcn.h>

#include <cstdlib>

namespace {

using AlsaErrorHandler = void (*)(const char *, int, const char *, int, const char *, ...);

void IgnoreAlsaError(const char *, int, const char *, int, const char *, ...) {}

// OpenAL loads ALSA by itself, so there is no link to it here: when the
// library is missing there is nothing to silence. The handle stays open so
// the handler outlives any unload by OpenAL.
void SilenceAlsa() {
  void *alsa = dlopen("libasound.so.2", RTLD_LAZY | RTLD_LOCAL);
  if (alsa == nullptr) return;
  auto set_handler = reinterpret_cast<int (*)(AlsaErrorHandler)>(dlsym(alsa, "snd_lib_error_set_handler"));
  if (set_handler != nullptr) set_handler(IgnoreAlsaError);
}

}  // namespace

void SilenceAudioLibraryLogs() {
  static bool done = false;
  if (done) return;
  done = true;
  setenv("ALSOFT_LOGLEVEL", "0", 0);  // a level set by hand still wins
  SilenceAlsa();
}
