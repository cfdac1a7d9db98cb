// A game that plays through OpenAL itself, beside the service: its context
// current (for the process, or for its thread only), a looping source
// playing on a loopback device of its own. Whatever order the service's
// calls come in, the game's context stays current, its source keeps its
// state, buffer and offset, its error state stays clear, and its device
// plays nothing but the game's samples; the service's sounds play on the
// service's own context (on the null output).
#include <gtest/gtest.h>

#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>

#include <chrono>
#include <string>
#include <thread>

#include "loopback.h"
#include "sample_match.h"
#include "sound.h"
#include "sound_state.h"
#include "wav_builder.h"

using namespace wubble;

namespace {

const int kGameFrames = 4410;
const int kFramesPerStep = 64;

struct Game {
  bool on_thread_context = false;
  ALCdevice *device = nullptr;
  ALCcontext *context = nullptr;
  ALuint buffer = 0;
  ALuint source = 0;
  std::vector<int16_t> samples = TestSamples(kGameFrames, 77);
  int64_t rendered = 0;  // frames the game's device has mixed
};

void StartGame(Game &game) {
  game.device = alcLoopbackOpenDeviceSOFT(nullptr);
  ASSERT_NE(game.device, nullptr);
  const ALCint attributes[] = {ALC_FORMAT_CHANNELS_SOFT, ALC_MONO_SOFT, ALC_FORMAT_TYPE_SOFT, ALC_FLOAT_SOFT,
                               ALC_FREQUENCY, 44100, ALC_OUTPUT_LIMITER_SOFT, ALC_FALSE, 0};
  game.context = alcCreateContext(game.device, attributes);
  ASSERT_NE(game.context, nullptr);
  if (game.on_thread_context) {
    ASSERT_TRUE(alcSetThreadContext(game.context));
  } else {
    ASSERT_TRUE(alcMakeContextCurrent(game.context));
  }
  alGenBuffers(1, &game.buffer);
  alBufferData(game.buffer, AL_FORMAT_MONO16, game.samples.data(), ALsizei(2 * kGameFrames), 44100);
  alGenSources(1, &game.source);
  alSourcei(game.source, AL_BUFFER, ALint(game.buffer));
  alSourcei(game.source, AL_LOOPING, AL_TRUE);
  alSourcePlay(game.source);
  ASSERT_EQ(alGetError(), AL_NO_ERROR);
}

void EndGame(Game &game) {
  alDeleteSources(1, &game.source);
  alDeleteBuffers(1, &game.buffer);
  alcSetThreadContext(nullptr);
  alcMakeContextCurrent(nullptr);
  alcDestroyContext(game.context);
  alcCloseDevice(game.device);
}

// Everything the game relies on, after one call of the service.
void ExpectGameUntouched(Game &game, const std::string &after) {
  SCOPED_TRACE("after " + after);
  ASSERT_EQ(alcGetCurrentContext(), game.context);
  EXPECT_EQ(alcGetThreadContext(), game.on_thread_context ? game.context : nullptr);
  if (game.on_thread_context) {  // the process-wide context stays unset
    alcSetThreadContext(nullptr);
    EXPECT_EQ(alcGetCurrentContext(), nullptr);
    alcSetThreadContext(game.context);
  }
  ALint state = 0, buffer = 0, offset = -1;
  alGetSourcei(game.source, AL_SOURCE_STATE, &state);
  alGetSourcei(game.source, AL_BUFFER, &buffer);
  alGetSourcei(game.source, AL_SAMPLE_OFFSET, &offset);
  EXPECT_EQ(alGetError(), AL_NO_ERROR) << "an error of the service's landed on the game's context";
  EXPECT_EQ(state, AL_PLAYING);
  EXPECT_EQ(ALuint(buffer), game.buffer);
  EXPECT_EQ(offset, game.rendered % kGameFrames);

  std::vector<int16_t> expected;
  for (int k = 0; k < kFramesPerStep; ++k) expected.push_back(game.samples[(game.rendered + k) % kGameFrames]);
  EXPECT_TRUE(SameSamples(RenderFrames(game.device, kFramesPerStep, 1), expected));
  game.rendered += kFramesPerStep;
}

// The state of the service's slot 1, read on the service's own context.
ALint ServiceSourceState() {
  SoundSlot *slot = FindSoundSlot(1);
  if (slot == nullptr || sound_output.context == nullptr) return 0;
  ALCcontext *thread_context = alcGetThreadContext();
  alcSetThreadContext(sound_output.context);
  ALint state = 0;
  alGetSourcei(slot->source, AL_SOURCE_STATE, &state);
  alcSetThreadContext(thread_context);
  return state;
}

// What the service should answer, followed call by call.
struct Model {
  bool open = false;
  bool loaded = false;
};

bool CursorMovesOnTheNullOutput() {
  auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  while (std::chrono::steady_clock::now() < give_up) {
    if (SoundCursor(1) > 0) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return false;
}

// I InitSoundOutput, L LoadSoundImage, W CreateWubble, S StartSound,
// H HaltSound, C SoundCursor, N SoundSlotLimit, R ReleaseSounds, each on
// slot 1. Runs one call, checks its answer against the model.
void RunCall(char call, Model &model, const Bytes &image) {
  SCOPED_TRACE(std::string("call ") + call);
  switch (call) {
    case 'I':
      EXPECT_EQ(InitSoundOutput(), 1);
      model.open = true;
      break;
    case 'L':
      EXPECT_EQ(LoadSoundImage(1, image.data(), uint32_t(image.size())), model.open ? 1 : 0);
      model.loaded = model.open;
      break;
    case 'W':
      EXPECT_EQ(CreateWubble(9837320, 0, 5, 1), 0);
      model.loaded = model.open;
      break;
    case 'S':
      EXPECT_EQ(StartSound(1), model.loaded ? 1 : 0);
      if (model.loaded) {
        EXPECT_EQ(ServiceSourceState(), AL_PLAYING);
        EXPECT_TRUE(CursorMovesOnTheNullOutput());
      }
      break;
    case 'H':
      HaltSound(1);
      EXPECT_EQ(SoundCursor(1), 0u);
      EXPECT_EQ(ServiceSourceState(), model.loaded ? AL_INITIAL : 0);
      break;
    case 'C': {
      uint32_t cursor = SoundCursor(1);
      if (!model.loaded) {
        EXPECT_EQ(cursor, 0u);
      }
      break;
    }
    case 'N': {
      int32_t limit = SoundSlotLimit();
      if (model.open) {
        EXPECT_GE(limit, 1024);
      } else {
        EXPECT_EQ(limit, 0);
      }
      break;
    }
    case 'R':
      ReleaseSounds();
      model = Model();
      break;
  }
}

TEST(ContextIsolation, GameKeepsItsContextAndSourceWhateverTheOrderOfCalls) {
  const char *orders[] = {
      "ILSCHNR",        // a plain run
      "RLWSHCNILSR",    // everything before the output is open, then a start
      "IWSWSCHSR",      // a made sound replaced while it plays
      "IILSIRSCHNRIWSR",  // opened twice, used after release, opened afresh
      "ISHCLSLSR",      // a start on an empty slot, a load over a playing sound
  };
  Bytes image = Mono16Wav(TestSamples(88200, 5));  // plays for two seconds
  for (bool on_thread_context : {false, true}) {
    for (const char *order : orders) {
      SCOPED_TRACE(std::string(order) + (on_thread_context ? ", game on its thread's context" : ""));
      Game game;
      game.on_thread_context = on_thread_context;
      StartGame(game);
      Model model;
      for (const char *call = order; *call != 0; ++call) {
        RunCall(*call, model, image);
        ExpectGameUntouched(game, std::string(1, *call));
      }
      ReleaseSounds();
      EndGame(game);
    }
  }
}

}  // namespace
