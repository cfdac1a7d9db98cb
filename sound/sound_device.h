// Opening the playback service on a device chosen by the caller. The program
// itself uses InitSoundOutput (the default output); tests hand in a loopback
// device that renders the mix into memory.
#pragma once
#include <cstdint>

#include <AL/alc.h>

namespace wubble {

// Starts the service on `device` with a context made from
// `context_attributes` (may be null). The service takes `device` over in
// every case: it closes it in ReleaseSounds, or at once when it cannot use
// it or was started already. Returns non-zero when the device is ready.
int32_t InitSoundOutputOnDevice(ALCdevice *device, const ALCint *context_attributes);

}  // namespace wubble
