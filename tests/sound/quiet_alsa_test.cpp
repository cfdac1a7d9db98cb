// The service leaves the process's settings alone; the programs quiet the
// audio libraries for themselves. Each test is a process of its own, since
// the quieting cannot be undone and OpenAL reads its settings once.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <csignal>
#include <cstdlib>
#include <string>
#include <vector>

#include "quiet_logs.h"
#include "sound.h"
#include "stderr_capture.h"
#include "wav_builder.h"

namespace {

// What the service could change behind its host's back.
struct ProcessSettings {
  std::string log_level;  // "unset" when ALSOFT_LOGLEVEL is not set
  void *alsa_error_handler = nullptr;
  std::vector<void *> signal_handlers;

  bool operator==(const ProcessSettings &o) const {
    return log_level == o.log_level && alsa_error_handler == o.alsa_error_handler &&
           signal_handlers == o.signal_handlers;
  }
};

ProcessSettings ReadProcessSettings() {
  ProcessSettings now;
  const char *level = std::getenv("ALSOFT_LOGLEVEL");
  now.log_level = level != nullptr ? level : "unset";
  // The handler pointer that snd_lib_error_set_handler writes.
  void *alsa = dlopen("libasound.so.2", RTLD_LAZY | RTLD_LOCAL);
  if (alsa != nullptr) {
    auto *handler = static_cast<void **>(dlsym(alsa, "snd_lib_error"));
    if (handler != nullptr) now.alsa_error_handler = *handler;
    dlclose(alsa);
  }
  for (int signal = 1; signal < NSIG; ++signal) {
    struct sigaction action = {};
    sigaction(signal, nullptr, &action);
    now.signal_handlers.push_back(reinterpret_cast<void *>(action.sa_handler));
  }
  return now;
}

// Run on the null output, so that every call does its real work.
TEST(ProcessSettings, EveryCallLeavesThemAloneAndPrintsNothing) {
  ProcessSettings before = ReadProcessSettings();
  StderrCapture out(1);
  StderrCapture err(2);
  Bytes image = Mono16Wav(TestSamples(1000, 3));
  EXPECT_EQ(InitSoundOutput(), 1);
  EXPECT_EQ(LoadSoundImage(1, image.data(), uint32_t(image.size())), 1);
  EXPECT_EQ(StartSound(1), 1);
  SoundCursor(1);
  HaltSound(1);
  EXPECT_GE(SoundSlotLimit(), 1024);
  ReleaseSounds();
  std::string printed = err.Finish() + out.Finish();
  EXPECT_TRUE(ReadProcessSettings() == before) << "environment, ALSA's error handler or a signal handler changed";
  EXPECT_EQ(before.log_level, "unset") << "this test is meant to run without ALSOFT_LOGLEVEL";
  EXPECT_EQ(printed, "");
}

// Run with OpenAL restricted to ALSA. On a machine without a sound card
// ALSA and OpenAL print their own errors unless the programs' quieting runs
// first, as it does in their main().
TEST(QuietAlsa, ProgramsQuietingKeepsTheDefaultOutputSilent) {
  SilenceAudioLibraryLogs();
  StderrCapture capture;
  Bytes image = Mono16Wav(TestSamples(100, 3));
  int32_t ready = InitSoundOutput();
  EXPECT_EQ(LoadSoundImage(1, image.data(), uint32_t(image.size())), ready);
  ReleaseSounds();
  EXPECT_EQ(capture.Finish(), "");
}

}  // namespace
