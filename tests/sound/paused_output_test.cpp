// OpenAL's wave writer as the device, writing into a pipe that this test
// reads: it writes the mix in real time while it runs and nothing while
// paused. (Into a plain file it would rewrite the header at each pause and
// go on writing from there.) A sound started from a paused device must be in
// the output from its first sample, and a pause must leave no stretch of
// silence of the length it lasted.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "sample_match.h"
#include "service_pause.h"
#include "sound.h"
#include "wav_builder.h"

namespace {

// Collects what the device writes into the pipe at `path`.
class OutputPipe {
 public:
  explicit OutputPipe(const std::string &path) {
    mkfifo(path.c_str(), 0600);
    fd_ = open(path.c_str(), O_RDONLY | O_NONBLOCK);  // lets the writer open
    reader_ = std::thread([this] {
      char chunk[4096];
      for (;;) {
        ssize_t got = read(fd_, chunk, sizeof chunk);
        if (got > 0) {
          bytes_.insert(bytes_.end(), chunk, chunk + got);
        } else if (got == 0 && writer_gone_) {
          break;
        } else {
          std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
      }
    });
  }
  // Everything written, once the device is closed.
  std::vector<uint8_t> Finish() {
    writer_gone_ = true;
    reader_.join();
    close(fd_);
    return bytes_;
  }

 private:
  int fd_ = -1;
  std::atomic<bool> writer_gone_{false};
  std::thread reader_;
  std::vector<uint8_t> bytes_;
};

// Mono 32-bit float at the sounds' own rate, nothing shaped on the way.
std::string WriteOutputConfig(const std::string &dir) {
  std::string conf = dir + "/alsoft.conf";
  FILE *f = std::fopen(conf.c_str(), "w");
  std::fprintf(f,
               "[general]\ndrivers = wave\nchannels = mono\nsample-type = float32\nfrequency = 44100\n"
               "output-limiter = false\ndither = false\n[wave]\nfile = %s/out\n",
               dir.c_str());
  std::fclose(f);
  return conf;
}

uint32_t ReadU32(const std::vector<uint8_t> &b, size_t at) {
  return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}

// The float samples after the header's data chunk id, as 16-bit values.
std::vector<int16_t> ReadOutput(const std::vector<uint8_t> &bytes) {
  std::vector<int16_t> out;
  size_t at = 12;
  while (at + 8 <= bytes.size() && std::memcmp(&bytes[at], "data", 4) != 0) at += 8 + ReadU32(bytes, at + 4);
  for (at += 8; at + 4 <= bytes.size(); at += 4) {
    float v;
    std::memcpy(&v, &bytes[at], 4);
    long s = lrintf(v * 32768.0f);
    out.push_back(int16_t(s < -32768 ? -32768 : s > 32767 ? 32767 : s));
  }
  return out;
}

size_t FirstSoundAfter(const std::vector<int16_t> &heard, size_t from) {
  while (from < heard.size() && heard[from] == 0) ++from;
  return from;
}

TEST(PausedOutput, SoundStartedFromAPauseIsWrittenWhole) {
  char dir_template[] = "/tmp/wubble-paused-XXXXXX";
  std::string dir = mkdtemp(dir_template);
  setenv("ALSOFT_CONF", WriteOutputConfig(dir).c_str(), 1);
  OutputPipe pipe(dir + "/out");

  const int kCount = 2205;  // 50 ms
  std::vector<int16_t> samples = TestSamples(kCount, 12);
  Bytes image = Mono16Wav(samples);
  ASSERT_EQ(InitSoundOutput(), 1);
  ASSERT_EQ(LoadSoundImage(1, image.data(), uint32_t(image.size())), 1);
  ASSERT_TRUE(ServicePaused());
  ASSERT_EQ(StartSound(1), 1);
  ASSERT_TRUE(WaitForServicePaused(true)) << "the sound's end paused nothing";
  // Paused this long, a running device would write 13230 frames of silence.
  auto paused_at = std::chrono::steady_clock::now();
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  double paused_s = std::chrono::duration<double>(std::chrono::steady_clock::now() - paused_at).count();
  ASSERT_EQ(StartSound(1), 1);
  ASSERT_TRUE(WaitForServicePaused(true));
  ReleaseSounds();  // closes the device's end of the pipe

  std::vector<int16_t> heard = ReadOutput(pipe.Finish());
  size_t first = FirstSoundAfter(heard, 0);
  ASSERT_LE(first + kCount, heard.size()) << "the first play is not in the output";
  EXPECT_TRUE(SameSamples(Part(heard, first, kCount), samples)) << "the first play";
  size_t second = FirstSoundAfter(heard, first + kCount);
  ASSERT_LE(second + kCount, heard.size()) << "the second play is not in the output";
  EXPECT_TRUE(SameSamples(Part(heard, second, kCount), samples)) << "the play started from the pause";
  size_t gap = second - (first + kCount);
  std::printf("paused %.0f ms; %zu frames (%.0f ms) of silence written between the plays\n", paused_s * 1000,
              gap, gap / 44.1);
  EXPECT_LT(gap, size_t(paused_s * 44100 * 2 / 3)) << "the device kept writing while paused";

  unlink((dir + "/out").c_str());
  unlink((dir + "/alsoft.conf").c_str());
  rmdir(dir.c_str());
}

}  // namespace
