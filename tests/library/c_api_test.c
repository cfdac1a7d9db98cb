/* <wubble.h> from C, linked the way a game links the library (static or
 * shared): the tool's four-argument call text compiles, every call has C
 * linkage, the first call of a process needs no set-up, and the names the
 * library uses inside do not meet the program's own. With
 * WUBBLE_TEST_PLAYBACK it also plays, on OpenAL Soft's null output; without
 * it, it needs only the generator's library. Exits non-zero on any failure. */
#include <stdio.h>
#include <string.h>

#include "wubble.h"

/* Globals of the program that share their names with the library's internals.
 * Were those visible, the static link would fail on duplicate definitions and
 * the shared library would write into these. */
int synth[64];
double effect_params = 1.5;
int random_state = 7;
int wave_format = 9;
int StageLengths = 11;
int default_generator = 13;
char sound_output[16] = "the program's";

static uint8_t created[WUBBLE_IMAGE_BYTES];
static uint8_t rendered[WUBBLE_IMAGE_BYTES];
static int failures;

static void Check(int ok, const char *what) {
  if (!ok) {
    fprintf(stderr, "FAILED: %s\n", what);
    failures++;
  }
}

int main(void) {
  int i;
  for (i = 0; i < 64; i++) synth[i] = 3 * i + 1;

  /* Nothing is set up: this is the first sound of the process. */
#ifdef WUBBLE_TEST_PLAYBACK
  Check(CreateWubble(9837320, 3, 5, 1, created) == 0, "CreateWubble returns 0");
#endif
  int32_t length = RenderWubble(9837320, 3, 5, rendered);
  Check(length > 46 && length <= 46 + 2 * 128001, "RenderWubble returns a content length");
#ifdef WUBBLE_TEST_PLAYBACK
  Check(memcmp(created, rendered, WUBBLE_IMAGE_BYTES) == 0,
        "the first CreateWubble of a run equals RenderWubble");
#endif

  WubbleGenerator *generator = WubbleNewGenerator();
  Check(generator != NULL, "WubbleNewGenerator gives a generator");
  Check(WubbleRender(generator, 9837320, 3, 5, created) == length &&
            memcmp(created, rendered, WUBBLE_IMAGE_BYTES) == 0,
        "a generator's first sound equals RenderWubble");
  WubbleFreeGenerator(generator);
  WubbleFreeGenerator(NULL);

#ifdef WUBBLE_TEST_PLAYBACK
  Check(InitSoundOutput() != 0, "the null output opens");
  CreateWubble(30, 0, 5, 1); /* the call text, as the tool shows it */
  Check(StartSound(1) == 1, "the four-argument CreateWubble loaded slot 1");
  HaltSound(1);
  Check(SoundCursor(1) == 0, "a halted sound is at 0");
  Check(LoadSoundImage(2, rendered, (uint32_t)length) != 0, "LoadSoundImage takes a rendered image");
  Check(StartSound(2) == 1, "the loaded image starts");
  ReleaseSounds();
  Check(StartSound(2) == 0, "nothing is left after ReleaseSounds");
#endif

  for (i = 0; i < 64; i++) Check(synth[i] == 3 * i + 1, "the program's synth is untouched");
  Check(effect_params == 1.5 && random_state == 7 && wave_format == 9 && StageLengths == 11 &&
            default_generator == 13,
        "the program's other globals are untouched");
  Check(strcmp(sound_output, "the program's") == 0, "the program's sound_output is untouched");
  if (failures == 0) puts("all passed");
  return failures == 0 ? 0 : 1;
}
