// The calls the page and the npm package make into the WebAssembly module,
// beside the public calls of <wubble.h> (RenderWubble, WubbleNewGenerator,
// WubbleRender, WubbleFreeGenerator), which the module exports as they are.
// Everything here is the desktop's own code: the parameters as wubble-render
// prints them, the seed field's number text, the call text and the
// oscilloscope picture. Results live in static buffers that the script reads
// straight out of the module's memory.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "default_generator.h"
#include "number_text.h"
#include "scope_picture.h"
#include "wav_image.h"

#define WEB_CALL extern "C" __attribute__((used, visibility("default")))

namespace {

// The scope strip is drawn as square blocks of up to this many pixels a side.
constexpr int32_t kLargestScopeScale = 8;

// The shell's copy of the current sound, read by the scope; its zero tail
// lies under the last trace past the samples.
uint8_t wav_copy[wubble::kWavImageBytes];
uint8_t scope_rgb[kScopeBytes];
uint8_t scope_rgba[kScopeWidth * kScopeHeight * 4 * kLargestScopeScale * kLargestScopeScale];

NumberText number_out;
int32_t call_out[3];

}  // namespace

WEB_CALL uint8_t *WebAllocate(int32_t bytes) {
  return bytes > 0 ? static_cast<uint8_t *>(std::malloc(size_t(bytes))) : nullptr;
}

WEB_CALL void WebRelease(uint8_t *block) { std::free(block); }

// The record that `wubble-render SEED MUTATIONS --params` prints: the
// waveform (int32) and then the 23 singles in the order of EffectParams.
WEB_CALL const wubble::EffectParams *WebParams(int32_t seed, int32_t mutations) {
  wubble::GenerateEffectParams(seed);
  wubble::MutateEffectParams(mutations);
  return &wubble::default_generator.params;
}

// The "Random" button: reseeded from the millisecond tick, then one draw.
WEB_CALL int32_t WebRandomSeed(int32_t ticks) {
  wubble::SeedRandom(ticks);
  return wubble::RandomUpTo(2147483647);
}

// The texts below are NUL-terminated UTF-8 in blocks from WebAllocate.
WEB_CALL int32_t WebParseInt(const char *text) { return ParseInt(text); }

WEB_CALL const char *WebFormatInt(int32_t value) {
  number_out = FormatInt(value);
  return number_out.text;
}

// The three numbers of a pasted call text, or null when it is none.
WEB_CALL const int32_t *WebParseCallText(const char *text) {
  CallText call;
  if (!ParseCallText(text, &call)) return nullptr;
  call_out[0] = call.seed;
  call_out[1] = call.mutations;
  call_out[2] = call.volume;
  return call_out;
}

// The script copies each new sound's image here (what CreateWubble copies
// into the window's wav_copy); the rest of the buffer is zeroed.
WEB_CALL uint8_t *WebScopeImage() { return wav_copy; }
WEB_CALL int32_t WebScopeImageBytes() { return int32_t(sizeof wav_copy); }

// The picture at `play_position`, each pixel a `scale` x `scale` block of
// RGBA bytes, rows top first: (190 x scale) x (64 x scale) pixels, ready
// for a canvas. Scales outside 1..8 are taken as the nearest one within.
WEB_CALL const uint8_t *WebDrawScope(uint32_t play_position, int32_t scale) {
  if (scale < 1) scale = 1;
  if (scale > kLargestScopeScale) scale = kLargestScopeScale;
  RenderScope(wav_copy, play_position, scope_rgb);
  const int32_t width = kScopeWidth * scale;
  uint8_t *out = scope_rgba;
  for (int32_t y = 0; y < kScopeHeight; ++y) {
    uint8_t *line = out;
    const uint8_t *pixel = scope_rgb + y * kScopeWidth * 3;
    for (int32_t x = 0; x < kScopeWidth; ++x, pixel += 3) {
      for (int32_t k = 0; k < scale; ++k, out += 4) {
        out[0] = pixel[0];
        out[1] = pixel[1];
        out[2] = pixel[2];
        out[3] = 255;
      }
    }
    // The other lines of the block row repeat the first.
    for (int32_t k = 1; k < scale; ++k, out += width * 4) std::memcpy(out, line, size_t(width) * 4);
  }
  return scope_rgba;
}
