#include "scope.h"

#include <cstdlib>

#include "scope_picture.h"
#include "shell.h"
#include "sound.h"

Picture scope_image = {kScopeWidth, kScopeHeight, nullptr};

void SetUpScope() {
  // Reserved once: a pass allocates nothing.
  scope_image.pixels = static_cast<uint8_t *>(std::calloc(kScopeBytes, 1));
  AddImageControl(ScopeImage, 2, 42, kScopeWidth, kScopeHeight, &scope_image);
}

void DrawScope() {
  RenderScope(shell.wav_copy, SoundCursor(1), scope_image.pixels);
  SetControlState(ScopeImage, reinterpret_cast<intptr_t>(&scope_image));
}

void FreeScope() {
  std::free(scope_image.pixels);
  scope_image.pixels = nullptr;
}
