// Built twice: with WUBBLE_SCOPE for wubble-scope, without for wubble-lite.
#include "shell.h"

#include <cstdio>
#include <cstdlib>

#include "create_wubble.h"
#include "number_text.h"
#include "default_generator.h"
#include "sound.h"
#include "toolkit.h"
#ifdef WUBBLE_SCOPE
#include "scope.h"
#endif

#ifdef WUBBLE_SCOPE
constexpr const char *kProgramName = "wubble-scope";
constexpr int32_t kClientHeight = 128;
constexpr int32_t kCodeFieldY = 108;
constexpr int32_t kWaitMs = 10;  // keeps the trace moving with no input
#else
constexpr const char *kProgramName = "wubble-lite";
constexpr int32_t kClientHeight = 62;
constexpr int32_t kCodeFieldY = 42;
constexpr int32_t kWaitMs = -1;  // sleeps until something happens
#endif

constexpr int32_t kSlot = 1;
constexpr int32_t kLowestVolume = 0, kHighestVolume = 127;

ShellState shell = {9837320, 0, 5, RefreshRewriteSeed, EventNone, nullptr};

namespace {

void CreateControls() {
  AddButton(RandomButton, 2, 2, 50, 18, "Random");
  AddTextField(SeedField, 54, 2, 70, 18, "0", true);
  AddButton(SeedMinusButton, 126, 2, 16, 18, "-");
  AddButton(SeedPlusButton, 144, 2, 16, 18, "+");
  AddButton(PlayButton, 162, 2, 30, 18, "Play");
  AddButton(MutateButton, 2, 22, 64, 18, "Mutate:0");
  AddTextField(CodeField, 2, kCodeFieldY, 190, 18, "CreateWubble(0,0,0.5,1)", false);
  AddLabel(VolumeLabel, 70, 24, 20, 18, "Vol:");
  AddScrollBar(VolumeBar, 92, 22, 100, 17, kLowestVolume, kHighestVolume, 1);
  SetControlState(VolumeBar, 5);
}

// Sums wrap in 32 bits: "+" on 2147483647 gives -2147483648.
int32_t WrapAdd(int32_t value, int32_t delta) {
  return static_cast<int32_t>(static_cast<uint32_t>(value) + static_cast<uint32_t>(delta));
}

void NewSeed(int32_t seed, int32_t refresh) {
  shell.seed = seed;
  shell.mutations = 0;
  shell.refresh = refresh;
}

// "-" and "+" step from the text in the field, not from `seed`.
int32_t SeedFieldValue() { return ParseInt(GetControlText(SeedField)); }

// The tool's own call text pasted into the seed field loads all three
// values. Any other text the field refused, and a call text with a number
// beyond what wubble-render takes, changes nothing: the field keeps its text
// and nothing is played. A volume below the bar's range sets it to 0.
void LoadCallText(const char *text) {
  CallText call;
  if (!ParseCallText(text, &call)) return;
  shell.seed = call.seed;
  shell.mutations = call.mutations;
  int32_t volume = call.volume < kLowestVolume ? kLowestVolume
                 : call.volume > kHighestVolume ? kHighestVolume : call.volume;
  SetControlState(VolumeBar, volume);
  shell.refresh = RefreshRewriteSeed;
}

// Without a device, or after losing it, sounds are still made and the
// window works as ever; the user is told once why nothing is heard.
void NoteSoundOutput(bool playing) {
  static bool said = false;
  if (playing || said) return;
  said = true;
  std::fprintf(stderr, "%s: no sound device; sounds are made but not played\n", kProgramName);
}

// Until the first refresh step slot 1 is empty, and a start that fails
// says nothing about the device.
bool sound_made = false;

void PlaySlot() {
  bool playing = StartSound(kSlot) != 0;
  if (sound_made) NoteSoundOutput(playing);
}

void ActOnControl(int32_t id, int32_t kind) {
  switch (id) {
    case RandomButton:
      wubble::SeedRandom(static_cast<int32_t>(wubble::TickCount()));
      NewSeed(wubble::RandomUpTo(2147483647), RefreshRewriteSeed);
      break;
    case SeedField:
      // Only the user's edits arrive as TextChanged; focus changes do nothing.
      if (kind == TextChanged) NewSeed(SeedFieldValue(), RefreshKeepSeedText);
      if (kind == TextOffered) LoadCallText(EventText());
      break;
    case SeedMinusButton: NewSeed(WrapAdd(SeedFieldValue(), -1), RefreshRewriteSeed); break;
    case SeedPlusButton: NewSeed(WrapAdd(SeedFieldValue(), 1), RefreshRewriteSeed); break;
    case PlayButton: PlaySlot(); break;
    case MutateButton:
      shell.mutations = WrapAdd(shell.mutations, 1);
      shell.refresh = RefreshRewriteSeed;
      break;
    case VolumeBar:
      HaltSound(kSlot);
      shell.refresh = RefreshRewriteSeed;
      break;
    default: break;
  }
}

void RefreshStep() {
  shell.volume = static_cast<int8_t>(GetControlState(VolumeBar));
#ifdef WUBBLE_SCOPE
  CreateWubble(shell.seed, shell.mutations, shell.volume, kSlot, shell.wav_copy);
#else
  CreateWubble(shell.seed, shell.mutations, shell.volume, kSlot);
#endif
  if (shell.refresh < RefreshKeepSeedText) SetControlText(SeedField, FormatInt(shell.seed).text);
  char caption[24];
  std::snprintf(caption, sizeof caption, "Mutate: %s", FormatInt(shell.mutations).text);
  SetControlText(MutateButton, caption);
  char code[64];
  std::snprintf(code, sizeof code, "CreateWubble(%s,%s,%s,1)", FormatInt(shell.seed).text,
                FormatInt(shell.mutations).text, FormatInt(shell.volume).text);
  SetControlText(CodeField, code);
  sound_made = true;
  PlaySlot();
  shell.refresh = RefreshNone;
}

}  // namespace

void StartUp() {
  wubble::AllocateSynthArrays();
  ChooseDrawingScale(kProgramName);
  OpenMainWindow(194, kClientHeight, "ZR-Wubble - Tarsk 08");
#ifdef WUBBLE_SCOPE
  SetUpScope();
#endif
  CreateControls();
  NoteSoundOutput(InitSoundOutput() != 0);
  shell.volume = 5;
  shell.seed = 9837320;
  shell.mutations = 0;
  shell.refresh = RefreshRewriteSeed;
#ifdef WUBBLE_SCOPE
  shell.wav_copy = static_cast<uint8_t *>(std::calloc(kWavCopyBytes, 1));
#endif
}

bool RunLoopPass() {
  shell.event = WaitEvent(kWaitMs);
  if (shell.event == ControlEvent) ActOnControl(EventControlId(), EventKind());
  // Signed: a refresh runs for either mode, right after the event.
  if (shell.refresh > RefreshNone) RefreshStep();
#ifdef WUBBLE_SCOPE
  DrawScope();
#endif
  return shell.event != CloseEvent;
}

void ShutDown() {
#ifdef WUBBLE_SCOPE
  std::free(shell.wav_copy);
  shell.wav_copy = nullptr;
#endif
  ReleaseSounds();
#ifdef WUBBLE_SCOPE
  FreeScope();
#endif
  CloseMainWindow();
}
