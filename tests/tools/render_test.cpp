#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "create_wubble.h"
#include "synth.h"
#include "wav_image.h"

namespace {

struct ToolRun {
  int status;
  std::string out;
  std::string err;
};

// Runs wubble-render with `args` (already shell-quoted) and captures both streams.
ToolRun RenderTool(const std::string &args) {
  char dir[] = "/tmp/wubble-render-XXXXXX";
  EXPECT_NE(mkdtemp(dir), nullptr);
  std::string out = std::string(dir) + "/out", err = std::string(dir) + "/err";
  std::string command = std::string(WUBBLE_RENDER_PATH) + " " + args + " >" + out + " 2>" + err;
  int status = std::system(command.c_str());
  auto slurp = [](const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  };
  ToolRun run{WIFEXITED(status) ? WEXITSTATUS(status) : -1, slurp(out), slurp(err)};
  unlink(out.c_str());
  unlink(err.c_str());
  rmdir(dir);
  return run;
}

std::vector<uint8_t> ReadFile(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

class RenderCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    char dir[] = "/tmp/wubble-files-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    dir_ = dir;
  }
  void TearDown() override { std::system(("rm -rf " + dir_).c_str()); }
  std::string dir_;
};

TEST_F(RenderCommand, FileHoldsTheImageOfTheFirstSoundOfARun) {
  struct Case { const char *args; int32_t seed, mutations, volume; };
  const Case cases[] = {{"9837320", 9837320, 0, 5}, {"-1 0 -10", -1, 0, -10},
                        {"14 3 127", 14, 3, 127}, {"4294967295 0 -10", -1, 0, -10}};
  AllocateSynthArrays();
  for (const Case &c : cases) {
    std::string path = dir_ + "/sound.wav";
    ToolRun run = RenderTool(std::string(c.args) + " -o " + path);
    ASSERT_EQ(run.status, 0) << c.args << run.err;
    EXPECT_EQ(run.err, "");
    std::vector<uint8_t> file = ReadFile(path);
    synth = SynthState{};  // the first sound of a run starts at phase 0
    std::vector<uint8_t> image(kWavImageBytes);
    CreateWubble(c.seed, c.mutations, c.volume, 1, image.data());
    uint32_t data_size = image[42] | image[43] << 8 | image[44] << 16 | uint32_t(image[45]) << 24;
    ASSERT_EQ(file.size(), 46 + data_size) << c.args;
    EXPECT_TRUE(std::equal(file.begin(), file.end(), image.begin())) << c.args;
  }
}

TEST_F(RenderCommand, ParamsPrintEveryFieldInTableOrder) {
  ToolRun run = RenderTool("9837320 --params");
  ASSERT_EQ(run.status, 0);
  const std::string expected =
      "waveform 0\npitch_start 0.385208726\npitch_floor 0\n";
  EXPECT_EQ(run.out.substr(0, expected.size()), expected);
  EXPECT_NE(run.out.find("\nhighpass_cutoff 2.34651598e-05\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("\nstep_ratio 0.644200027\n"), std::string::npos) << run.out;
  int lines = 0;
  for (char ch : run.out) lines += ch == '\n';
  EXPECT_EQ(lines, 24);
  ToolRun mutated = RenderTool("9837320 1 --params");
  EXPECT_NE(mutated.out.find("\npitch_start 0.335248739\n"), std::string::npos) << mutated.out;
}

TEST_F(RenderCommand, BadArgumentsGetOneUsageLine) {
  for (const char *args : {"", "abc -o x.wav", "1 2 3 4 -o x.wav", "1 0 200 -o x.wav", "1 --bogus"}) {
    ToolRun run = RenderTool(args);
    EXPECT_EQ(run.status, 2) << args;
    EXPECT_EQ(run.err.rfind("usage: wubble-render", 0), 0u) << args;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << args;
  }
}

TEST_F(RenderCommand, UnwritableFileFailsCleanly) {
  std::string missing_dir = dir_ + "/no/such/dir/x.wav";
  ToolRun run = RenderTool("5 -o " + missing_dir);
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("cannot write"), std::string::npos);
  // A folder where the file should be: nothing partial is left beside it.
  std::string folder = dir_ + "/taken";
  ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
  run = RenderTool("5 -o " + folder);
  EXPECT_EQ(run.status, 1);
  std::string leftovers = dir_ + "/leftovers";
  std::system(("ls -A " + dir_ + " > " + leftovers).c_str());
  std::vector<uint8_t> names = ReadFile(leftovers);
  EXPECT_EQ(std::string(names.begin(), names.end()), "leftovers\ntaken\n");
}

}  // namespace
