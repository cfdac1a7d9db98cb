// Device side of the playback service on DirectSound: the library loaded
// by name at run time, so that a machine without it, or without a device,
// runs silently.
#include "sound.h"
#include "sound_state.h"

namespace wubble {

SoundOutput sound_output;

namespace {

using DirectSoundCreateCall = HRESULT(WINAPI *)(const GUID *, IDirectSound **, IUnknown *);

// The primary buffer is made once so that the device mixes with the
// priority it was given; it is not kept, and its format is left as it is.
bool MakePrimaryBuffer(IDirectSound *device) {
  DSBUFFERDESC description = {};
  description.dwSize = sizeof description;  // 36 bytes in a 32-bit build, 40 in a 64-bit one
  description.dwFlags = DSBCAPS_PRIMARYBUFFER;
  IDirectSoundBuffer *primary = nullptr;
  if (FAILED(device->CreateSoundBuffer(&description, &primary, nullptr))) return false;
  primary->Release();
  return true;
}

IDirectSound *OpenDevice(HMODULE library, HWND owner) {
  auto create = reinterpret_cast<DirectSoundCreateCall>(
      reinterpret_cast<void *>(GetProcAddress(library, "DirectSoundCreate")));
  if (create == nullptr) return nullptr;
  IDirectSound *device = nullptr;
  if (FAILED(create(nullptr, &device, nullptr)) || device == nullptr) return nullptr;
  if (FAILED(device->SetCooperativeLevel(owner, DSSCL_PRIORITY)) || !MakePrimaryBuffer(device)) {
    device->Release();
    return nullptr;
  }
  return device;
}

}  // namespace

SoundSlot *FindSoundSlot(int32_t slot) {
  auto found = sound_output.slots.find(slot);
  return found == sound_output.slots.end() ? nullptr : &found->second;
}

}  // namespace wubble

using namespace wubble;

// Opens no second device when already started: a silent service stays
// silent until ReleaseSounds.
int32_t InitSoundOutput() {
  if (sound_output.started) return sound_output.device != nullptr;
  sound_output = SoundOutput();
  sound_output.started = true;
  HWND owner = SoundOwnerWindow();
  if (owner == nullptr) return 0;
  sound_output.library = LoadLibraryA("DSOUND.DLL");
  if (sound_output.library == nullptr) return 0;
  sound_output.device = OpenDevice(sound_output.library, owner);
  return sound_output.device != nullptr;
}

int32_t SoundSlotLimit() { return sound_output.device != nullptr ? kSlotLimit : 0; }

void ReleaseSounds() {
  if (!sound_output.started) return;
  for (auto &entry : sound_output.slots) entry.second.buffer->Release();
  sound_output.slots.clear();
  if (sound_output.device != nullptr) sound_output.device->Release();
  if (sound_output.library != nullptr) FreeLibrary(sound_output.library);
  sound_output = SoundOutput();
}
