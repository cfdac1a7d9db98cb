// OpenAL writes its output into a pipe that this test drains: the device
// stays connected while the test reads, and goes away once the test closes
// its end, since the next write then fails.
#include <gtest/gtest.h>

#include <AL/alc.h>
#include <AL/alext.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "sound.h"
#include "sound_state.h"
#include "stderr_capture.h"
#include "wav_builder.h"

using namespace wubble;

namespace {

// A pipe the device writes into, read empty by a thread from Drain() until
// Cut().
class DrainedPipe {
 public:
  DrainedPipe() {
    char dir[] = "/tmp/wubble-lost-XXXXXX";
    dir_ = mkdtemp(dir);
    path_ = dir_ + "/out";
    mkfifo(path_.c_str(), 0600);
    Drain();
  }
  ~DrainedPipe() {
    Cut();
    unlink(path_.c_str());
    unlink((dir_ + "/alsoft.conf").c_str());
    rmdir(dir_.c_str());
  }
  void Drain() {
    fd_ = open(path_.c_str(), O_RDONLY | O_NONBLOCK);  // lets the writer open
    cut_ = false;
    reader_ = std::thread([this] {
      char chunk[4096];
      while (!cut_) {
        if (read(fd_, chunk, sizeof chunk) <= 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
    });
  }
  void Cut() {
    if (cut_.exchange(true)) return;
    reader_.join();
    close(fd_);
  }
  // Points the library at the pipe; must run before its first call.
  void UseForOutput() {
    std::string conf = dir_ + "/alsoft.conf";
    FILE *f = std::fopen(conf.c_str(), "w");
    std::fprintf(f, "[general]\ndrivers = wave\n[wave]\nfile = %s\n", path_.c_str());
    std::fclose(f);
    setenv("ALSOFT_CONF", conf.c_str(), 1);
  }

 private:
  std::string dir_, path_;
  int fd_ = -1;
  std::atomic<bool> cut_{true};
  std::thread reader_;
};

bool WaitForDisconnect() {
  ALCdevice *device = sound_output.device;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (std::chrono::steady_clock::now() < deadline) {
    ALCint connected = ALC_TRUE;
    alcGetIntegerv(device, ALC_CONNECTED, 1, &connected);
    if (!connected) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return false;
}

TEST(LostDevice, OperationsKeepTheirContractAfterTheDeviceGoesAway) {
  std::signal(SIGPIPE, SIG_IGN);  // a write into the cut pipe must fail, not kill
  DrainedPipe pipe;
  pipe.UseForOutput();
  StderrCapture capture;
  Bytes image = Mono16Wav(TestSamples(44100, 2));
  ASSERT_EQ(InitSoundOutput(), 1);
  ASSERT_EQ(LoadSoundImage(1, image.data(), uint32_t(image.size())), 1);
  ASSERT_EQ(StartSound(1), 1);
  pipe.Cut();
  ASSERT_TRUE(WaitForDisconnect());

  EXPECT_EQ(InitSoundOutput(), 0) << "a lost device reported as ready";
  EXPECT_EQ(SoundSlotLimit(), 0);
  EXPECT_EQ(StartSound(1), 0) << "the library itself accepts a start on a lost device";
  EXPECT_EQ(SoundCursor(1), 0u);
  HaltSound(1);
  EXPECT_EQ(LoadSoundImage(1, image.data(), uint32_t(image.size())), 0);
  EXPECT_EQ(LoadSoundImage(2, image.data(), uint32_t(image.size())), 0);
  ReleaseSounds();
  EXPECT_EQ(alcGetCurrentContext(), nullptr);

  // Released, the service opens a fresh device on the next call.
  pipe.Drain();
  ASSERT_EQ(InitSoundOutput(), 1);
  EXPECT_EQ(LoadSoundImage(1, image.data(), uint32_t(image.size())), 1);
  EXPECT_EQ(StartSound(1), 1);
  ReleaseSounds();
  EXPECT_EQ(capture.Finish(), "") << "the library's own error reports must stay off";
}

}  // namespace
