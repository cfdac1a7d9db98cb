/* Wubble: short retro sound effects from three numbers, for C and C++.
 *
 * Link Wubble::generator (pkg-config: wubble-generator) to render sounds into
 * memory with no audio library at all, or Wubble::wubble (pkg-config: wubble)
 * to render and play them. Link one of the two, not both.
 *
 * Oscillator start: CreateWubble carries the oscillator's position over from
 * the sound it made before, as the tool does, so equal arguments can give
 * slightly different samples. RenderWubble always starts it at 0, as the
 * first sound of a run, so equal arguments give identical bytes every time
 * (the same as `wubble-render`'s file); it leaves CreateWubble's carry-over
 * as it found it.
 *
 * Threads: CreateWubble, RenderWubble and playback share one default
 * generator and one playback state, so call them from one thread. To render
 * on several threads at once, give each thread a generator of its own
 * (WubbleNewGenerator below); generators share nothing that a render
 * changes, and give the same bytes on any thread. Playback stays
 * single-threaded. Nothing needs setting up before rendering;
 * InitSoundOutput comes before playback and ReleaseSounds at the end. The
 * output bits are part of the library's version contract. */
#ifndef WUBBLE_H
#define WUBBLE_H

#include <stddef.h>
#include <stdint.h>

#if defined(__GNUC__)
#define WUBBLE_API __attribute__((visibility("default")))
#else
#define WUBBLE_API
#endif

/* Size of the buffer a WAV image is built in. The image content (a 46-byte
 * header and 16-bit mono 44100 Hz samples) is at most 256048 bytes of it;
 * the rest is zero. */
#define WUBBLE_IMAGE_BYTES 260000

#ifdef __cplusplus
extern "C" {
#endif

/* seed: all 32 bits count. mutations: rounds of mutation, 0 or more.
 * volume: the tool's volume bar, 0..127 (it starts at 5); read as a signed
 * byte, so a negative volume inverts the wave. */

/* Fills dest (WUBBLE_IMAGE_BYTES) with the WAV image of the sound as the
 * first sound of a run and returns its content length, 46 + 2 x samples.
 * Returns 0, having built nothing, when dest is null or memory is short. */
WUBBLE_API int32_t RenderWubble(int32_t seed, int32_t mutations, int32_t volume,
                                uint8_t *dest);

/* A generator of its own: its random source, parameters, synthesis state
 * and work arrays, about 580 KiB of memory (512 KiB of it a cache of sine
 * values, which only sine sounds use). One thread at a time may use a
 * generator; different generators may render at the same time.
 * WubbleNewGenerator returns NULL when memory is short. */
typedef struct WubbleGenerator WubbleGenerator;
WUBBLE_API WubbleGenerator *WubbleNewGenerator(void);

/* Fills dest (WUBBLE_IMAGE_BYTES) with the WAV image of the sound made by
 * `generator` and returns its content length, 46 + 2 x samples. Like
 * CreateWubble, it carries the oscillator's position over from the
 * generator's previous sound; its first sound equals RenderWubble's.
 * Returns 0, having built nothing, when generator or dest is null. */
WUBBLE_API int32_t WubbleRender(WubbleGenerator *generator, int32_t seed, int32_t mutations,
                                int32_t volume, uint8_t *dest);

/* Frees the generator; NULL is harmless. */
WUBBLE_API void WubbleFreeGenerator(WubbleGenerator *generator);

/* Builds the sound, loads it into sound slot `slot` (not started) and, when
 * dest is not null, copies its whole WAV image there. Always returns 0. */
WUBBLE_API int32_t CreateWubble(int32_t seed, int32_t mutations, int32_t volume,
                                int32_t slot, uint8_t *dest);

/* Playback. Slots are numbers from 0 up; a sound plays once from its start.
 * Without an audio device every call still works: loads fail (0), starts
 * return 0, cursors stay 0. */
WUBBLE_API int32_t InitSoundOutput(void);  /* non-zero when a device is ready */
WUBBLE_API int32_t LoadSoundImage(int32_t slot, const uint8_t *image,
                                  uint32_t length);  /* non-zero when loaded */
WUBBLE_API int32_t StartSound(int32_t slot);  /* restarts; 1 when started */
WUBBLE_API void HaltSound(int32_t slot);      /* stops, back to the start */
WUBBLE_API uint32_t SoundCursor(int32_t slot);  /* bytes of PCM heard; 0 when not playing */
WUBBLE_API void ReleaseSounds(void);

#ifdef __cplusplus
}

/* The tool's call text, CreateWubble(seed,mutations,volume,1): no copy. */
inline int32_t CreateWubble(int32_t seed, int32_t mutations, int32_t volume,
                            int32_t slot) {
  return CreateWubble(seed, mutations, volume, slot, nullptr);
}
#else
/* C has no overloads; this lets the tool's four-argument call text compile
 * in C as it is shown. Needs C99. */
static inline int32_t CreateWubbleNoCopy(int32_t seed, int32_t mutations,
                                         int32_t volume, int32_t slot) {
  return CreateWubble(seed, mutations, volume, slot, NULL);
}
#define WUBBLE_PICK_(a, b, c, d, e, name, ...) name
#define CreateWubble(...) \
  WUBBLE_PICK_(__VA_ARGS__, CreateWubble, CreateWubbleNoCopy, )(__VA_ARGS__)
#endif

#endif /* WUBBLE_H */
