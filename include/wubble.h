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

/* On Windows the DLLs (wubble.dll, wubble-generator.dll) export these
 * calls and nothing else, and a program that uses a DLL imports them; a
 * program that links an archive instead defines WUBBLE_STATIC before the
 * #include (the CMake targets Wubble::*_static do that for it). */
#if defined(_WIN32)
#if defined(WUBBLE_BUILDING_DLL)
#define WUBBLE_API __declspec(dllexport)
#elif defined(WUBBLE_STATIC)
#define WUBBLE_API
#else
#define WUBBLE_API __declspec(dllimport)
#endif
#elif defined(__GNUC__)
#define WUBBLE_API __attribute__((visibility("default")))
#else
#define WUBBLE_API
#endif

/* The library's version, the same as its CMake package's and pkg-config's.
 * Releases 0.x break compatibility at the minor number, later ones at the
 * major. WUBBLE_VERSION is the three in one number, MAJOR * 10000 + MINOR *
 * 100 + PATCH (minor and patch stay below 100), for #if comparisons. */
#define WUBBLE_VERSION_MAJOR 0
#define WUBBLE_VERSION_MINOR 1
#define WUBBLE_VERSION_PATCH 0
#define WUBBLE_VERSION \
  (WUBBLE_VERSION_MAJOR * 10000 + WUBBLE_VERSION_MINOR * 100 + WUBBLE_VERSION_PATCH)

/* Size of the buffer a WAV image is built in. The image content (a 46-byte
 * header and 16-bit mono 44100 Hz samples) is at most 256048 bytes of it;
 * the rest is zero. */
#define WUBBLE_IMAGE_BYTES 260000

#ifdef __cplusplus
extern "C" {
#endif

/* The version of the library the program runs with, in the form of
 * WUBBLE_VERSION; it differs from WUBBLE_VERSION when the program was built
 * against another release's header. */
WUBBLE_API int32_t WubbleVersion(void);

/* seed: all 32 bits count. mutations: rounds of mutation, 0 or more.
 * volume: the tool's volume bar, 0..127 (it starts at 5); read as a signed
 * byte, so a negative volume inverts the wave.
 *
 * A mutation round costs about 0.4 microseconds on a current x86-64
 * processor, more on slower ones: 1000000 rounds (the limit of wubble-render
 * and of the call text pasted into the tool's window) add about 0.4 s, and
 * 2^31 - 1 rounds hold the call, which cannot be interrupted, for some
 * fifteen minutes or more. */

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
 * dest is not null, copies its whole WAV image there. Always returns 0,
 * also when the load fails (no device, a lost one, a slot beyond
 * SoundSlotLimit): StartSound(slot) then returns 0. */
WUBBLE_API int32_t CreateWubble(int32_t seed, int32_t mutations, int32_t volume,
                                int32_t slot, uint8_t *dest);

/* Playback. Slots are numbers from 0 up; a sound plays once from its start.
 *
 * Wubble plays on an OpenAL context of its own. Every call below makes it
 * current for the call's own length only and leaves the caller's current
 * context (and the calling thread's context, ALC_EXT_thread_local_context)
 * exactly as it found it, so a game that plays through OpenAL itself, on
 * its own device or context, is not disturbed. Wubble sets no environment
 * variable, installs no error or signal handler and prints nothing; a
 * program that wants the audio library's own messages off (ALSOFT_LOGLEVEL,
 * ALSA's error handler) sets that up itself before InitSoundOutput.
 *
 * While no slot plays, Wubble's device is paused (ALC_SOFT_pause_device), so
 * an idle program spends no processor time on sound: StartSound resumes it,
 * and a sound that plays to its end or is halted pauses it again.
 *
 * On Windows, Wubble plays through DirectSound instead, which it loads at
 * run time from DSOUND.DLL, on the default output with the priority
 * cooperative level; the DirectSound object is Wubble's own, and none of
 * the program's is touched. Its cooperative level is tied to a hidden 1 x 1
 * window of class "MultimediaBase Class", which InitSoundOutput makes on the
 * calling thread the first time and which stays until that thread ends.
 * Every sound is a static buffer of its own, heard also while another
 * program has the focus. DirectSound may go on mixing silence while nothing
 * plays (under wine it does, at some 5 % of a processor), and it tells
 * neither the output's latency nor the loss of the device: there the cursor
 * follows DirectSound's play cursor, and a device that stops playing leaves
 * a playing sound's cursor where it stopped.
 *
 * Without a device (none found, or ReleaseSounds called) and after the
 * device is lost (unplugged, its sound server gone) every call still works:
 * loads fail (0), starts return 0, cursors stay 0, halts do nothing. A lost
 * device stays lost until ReleaseSounds; InitSoundOutput after that opens a
 * fresh one. */

/* Opens the default output. Non-zero only while the device can play: 0
 * without a device and after it is lost. Called again it opens nothing new
 * and tells the same. */
WUBBLE_API int32_t InitSoundOutput(void);

/* How many slots can hold a sound at once: 1024 or more, unless the user's
 * OpenAL configuration sets fewer sources (1024 on Windows); 0 without a
 * device or after a loss. A load into a further slot returns 0; reloading a
 * slot that holds a sound always has room. */
WUBBLE_API int32_t SoundSlotLimit(void);

/* Loads the WAV image into `slot`, stopped at its start; the caller may
 * free the image at once. The image is RIFF/WAVE: "RIFF" at byte 0 (its
 * size and form type are not read), the "fmt " chunk at byte 12, then any
 * chunks, each followed by a pad byte when its size is odd, up to the
 * "data" chunk; every chunk up to and with the data chunk lies within the
 * first `length` bytes. Its format is integer PCM, 8 or 16 bits, mono or
 * stereo, in a plain format record or a WAVE_FORMAT_EXTENSIBLE one with the
 * PCM sub-format. Non-zero when loaded. Returns 0 for a negative slot, an
 * image it cannot read, no device or a lost one, and a new slot beyond
 * SoundSlotLimit; the slot then keeps what it held, playing or not. */
WUBBLE_API int32_t LoadSoundImage(int32_t slot, const uint8_t *image,
                                  uint32_t length);

/* Plays the slot's sound once from its first sample, restarting it when it
 * plays. 1 when started; 0 for an empty slot, no device or a lost one. */
WUBBLE_API int32_t StartSound(int32_t slot);

/* Stops the slot's sound and sets it back to its start; it stays loaded.
 * Nothing happens for an empty slot, without a device or after a loss. */
WUBBLE_API void HaltSound(int32_t slot);

/* The byte of the slot's PCM data being heard now, from its first byte, in
 * whole frames. After StartSound it is 0 until the first frame is heard,
 * then rises with what is heard, never back, and stays below the data size;
 * it falls back to 0 only once the last frame has been heard (the output's
 * latency included: a sound is still heard for that long after its mixing
 * has ended), and stays 0 until the next start. So every sound, however
 * short, shows a rising cursor, and a loop that waits for it to come back
 * to 0 ends as the sound ends. 0 before any start, after HaltSound and a
 * load, for an empty slot, without a device and after a loss. */
WUBBLE_API uint32_t SoundCursor(int32_t slot);

/* Stops and frees every sound, closes the device and Wubble's context.
 * Does nothing before InitSoundOutput. */
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
 * in C as it is shown. Needs C99. Any other count of arguments is a compile
 * error, as in C++: the call goes to an object that is no function (from
 * nine arguments on, to the ninth argument). */
static inline int32_t CreateWubbleNoCopy(int32_t seed, int32_t mutations,
                                         int32_t volume, int32_t slot) {
  return CreateWubble(seed, mutations, volume, slot, NULL);
}
extern const int CreateWubble_takes_4_or_5_arguments;
#define WUBBLE_WRONG_COUNT_ CreateWubble_takes_4_or_5_arguments
#define WUBBLE_PICK_(a, b, c, d, e, f, g, h, name, ...) name
#define CreateWubble(...)                                                  \
  WUBBLE_PICK_(__VA_ARGS__, WUBBLE_WRONG_COUNT_, WUBBLE_WRONG_COUNT_,      \
               WUBBLE_WRONG_COUNT_, CreateWubble, CreateWubbleNoCopy,      \
               WUBBLE_WRONG_COUNT_, WUBBLE_WRONG_COUNT_,                   \
               WUBBLE_WRONG_COUNT_, WUBBLE_WRONG_COUNT_)(__VA_ARGS__)
#endif

#endif /* WUBBLE_H */
