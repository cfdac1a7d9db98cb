#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "create_wubble.h"
#include "default_generator.h"
#include "wav_image.h"

using namespace wubble;

namespace {

struct ToolRun {
  int status;
  std::string out;
  std::string err;
};

std::string ReadText(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteText(const std::string &path, const std::string &text) {
  std::ofstream(path, std::ios::binary) << text;
}

// The names in `dir`, hidden ones too, one a line in byte order.
std::string Listing(const std::string &dir) {
  FILE *ls = popen(("LC_ALL=C ls -A " + dir).c_str(), "r");
  std::string listing;
  for (int ch; ls && (ch = std::fgetc(ls)) != EOF;) listing.push_back(char(ch));
  if (ls) pclose(ls);
  return listing;
}

// Runs the shell `script`, in which $R is wubble-render, and captures both
// streams and the exit status.
ToolRun RunScript(const std::string &script) {
  setenv("R", WUBBLE_RENDER_PATH, 1);
  char dir[] = "/tmp/wubble-render-XXXXXX";
  EXPECT_NE(mkdtemp(dir), nullptr);
  std::string out = std::string(dir) + "/out", err = std::string(dir) + "/err";
  std::string command = "{ " + script + "\n} >" + out + " 2>" + err;
  int status = std::system(command.c_str());
  ToolRun run{WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadText(out), ReadText(err)};
  std::system((std::string("rm -rf ") + dir).c_str());
  return run;
}

ToolRun RenderTool(const std::string &args) { return RunScript("\"$R\" " + args); }

struct FileState {
  bool exists;
  mode_t mode;  // type and permissions
  uid_t uid;
  gid_t gid;
};

FileState Lstat(const std::string &path) {
  struct stat st;
  if (lstat(path.c_str(), &st) != 0) return {false, 0, 0, 0};
  return {true, st.st_mode, st.st_uid, st.st_gid};
}

// Each test works in a folder of its own, `dir_`, with the reference file
// one level up, so a listing of `dir_` sees only what the test put there.
class RenderCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    char top[] = "/tmp/wubble-files-XXXXXX";
    ASSERT_NE(mkdtemp(top), nullptr);
    top_ = top;
    dir_ = top_ + "/d";
    ASSERT_EQ(mkdir(dir_.c_str(), 0755), 0);
    ToolRun run = RenderTool("7 2 100 -o " + top_ + "/reference.wav");
    ASSERT_EQ(run.status, 0) << run.err;
    reference_ = ReadText(top_ + "/reference.wav");
    ASSERT_GT(reference_.size(), 46u);
  }
  void TearDown() override { std::system(("rm -rf " + top_).c_str()); }
  std::string top_, dir_;
  std::string reference_;  // the file of "7 2 100", which every write below renders
};

TEST_F(RenderCommand, FileHoldsTheImageOfTheFirstSoundOfARun) {
  struct Case { const char *args; int32_t seed, mutations, volume; };
  const Case cases[] = {{"9837320", 9837320, 0, 5}, {"-1 0 -10", -1, 0, -10},
                        {"14 3 127", 14, 3, 127}, {"4294967295 0 -10", -1, 0, -10}};
  for (const Case &c : cases) {
    std::string path = dir_ + "/sound.wav";
    ToolRun run = RenderTool(std::string(c.args) + " -o " + path);
    ASSERT_EQ(run.status, 0) << c.args << run.err;
    EXPECT_EQ(run.err, "");
    std::string file = ReadText(path);
    default_generator.synth.phase = 0;  // the first sound of a run starts at phase 0
    std::vector<uint8_t> image(kWavImageBytes);
    CreateWubble(c.seed, c.mutations, c.volume, 1, image.data());
    uint32_t data_size = image[42] | image[43] << 8 | image[44] << 16 | uint32_t(image[45]) << 24;
    ASSERT_EQ(file.size(), 46 + data_size) << c.args;
    EXPECT_TRUE(file == std::string(image.begin(), image.begin() + file.size())) << c.args;
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

TEST_F(RenderCommand, HelpAndVersionGoToStandardOutput) {
  ToolRun help = RenderTool("--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.rfind("usage: wubble-render SEED", 0), 0u) << help.out;
  EXPECT_NE(help.out.find("Exit status"), std::string::npos) << help.out;
  EXPECT_EQ(help.err, "");
  ToolRun version = RenderTool("--version");
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "wubble-render " WUBBLE_PROJECT_VERSION "\n");
  EXPECT_EQ(version.err, "");
}

TEST_F(RenderCommand, UsageErrorsAreOneLineAndExitTwo) {
  struct Case { const char *args, *message; };
  const Case cases[] = {
      {"", "missing SEED"},
      {"1 0 128 -o x.wav", "volume 128 is out of range -128..127"},
      {"1 1000001 -o x.wav", "mutations 1000001 is out of range 0..1000000"},
      {"1 --foo", "unknown option --foo"},
  };
  for (const Case &c : cases) {
    ToolRun run = RunScript("cd " + dir_ + " && \"$R\" " + c.args);
    EXPECT_EQ(run.status, 2) << c.args;
    EXPECT_EQ(run.err, std::string("wubble-render: ") + c.message + "\n") << c.args;
    EXPECT_EQ(run.out, "") << c.args;
  }
  EXPECT_EQ(Listing(dir_), "");
}

TEST_F(RenderCommand, DashWritesTheFileToStandardOutput) {
  ToolRun run = RenderTool("7 2 100 -o -");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(run.out == reference_) << run.out.size() << " bytes";
  // A link like /dev/stdout (one of its own, which a faulty build may
  // replace) with the stream on a file opened to append: the bytes go down
  // the stream, after what was there, and the file is not replaced.
  std::string link = dir_ + "/stdout", log = dir_ + "/log";
  ASSERT_EQ(symlink("/proc/self/fd/1", link.c_str()), 0);
  WriteText(log, "before\n");
  run = RunScript("\"$R\" 7 2 100 -o " + link + " >>" + log);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(ReadText(log) == "before\n" + reference_);
  // And into a pipe.
  run = RunScript("\"$R\" 7 2 100 -o " + link + " | cat");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(run.out == reference_) << run.out.size() << " bytes";
  EXPECT_TRUE(S_ISLNK(Lstat(link).mode));
  EXPECT_EQ(Listing(dir_), "log\nstdout\n");
}

// The link stays a link and its target gets the file, also a target that
// does not exist yet; nothing else is left in the folders.
TEST_F(RenderCommand, SymbolicLinksGetTheirTargetWritten) {
  ASSERT_EQ(mkdir((dir_ + "/sub").c_str(), 0755), 0);
  struct Case { const char *link, *points_to, *target; bool target_exists; };
  const Case cases[] = {
      {"abs", nullptr, "sub/a.wav", true},  // points_to null: the target's absolute path
      {"rel", "sub/b.wav", "sub/b.wav", true},
      {"sub/up", "../c.wav", "c.wav", true},
      {"dangling", "sub/new.wav", "sub/new.wav", false},
      {"chain", "rel", "sub/b.wav", true},
  };
  for (const Case &c : cases) {
    std::string target = dir_ + "/" + c.target, link = dir_ + "/" + c.link;
    if (c.target_exists) WriteText(target, "old");
    ASSERT_EQ(symlink(c.points_to ? c.points_to : target.c_str(), link.c_str()), 0) << c.link;
    ToolRun run = RenderTool("7 2 100 -o " + link);
    EXPECT_EQ(run.status, 0) << c.link << run.err;
    EXPECT_TRUE(S_ISLNK(Lstat(link).mode)) << c.link;
    EXPECT_TRUE(ReadText(target) == reference_) << c.link;
  }
  EXPECT_EQ(Listing(dir_), "abs\nc.wav\nchain\ndangling\nrel\nsub\n");
  EXPECT_EQ(Listing(dir_ + "/sub"), "a.wav\nb.wav\nnew.wav\nup\n");
}

TEST_F(RenderCommand, FifoIsWrittenInPlace) {
  std::string fifo = dir_ + "/fifo", copy = top_ + "/copy";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
  ToolRun run = RunScript("timeout 10 cat " + fifo + " >" + copy + " & \"$R\" 7 2 100 -o " +
                          fifo + "; s=$?; wait; exit $s");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(S_ISFIFO(Lstat(fifo).mode));
  EXPECT_TRUE(ReadText(copy) == reference_);
  EXPECT_EQ(Listing(dir_), "fifo\n");
}

// Device nodes of its own, so that a faulty build cannot replace the
// machine's /dev/full.
TEST_F(RenderCommand, DeviceIsWrittenInPlaceAndAFullOneFails) {
  struct Case { const char *name; unsigned minor; int status; const char *error; };
  const Case cases[] = {{"null", 3, 0, ""},
                        {"full", 7, 1, ": No space left on device\n"}};
  for (const Case &c : cases) {
    std::string node = dir_ + "/" + c.name;
    if (mknod(node.c_str(), S_IFCHR | 0666, makedev(1, c.minor)) != 0) {
      GTEST_SKIP() << "making a device node needs root: " << std::strerror(errno);
    }
    int fd = open(node.c_str(), O_WRONLY);
    if (fd < 0) GTEST_SKIP() << "device nodes cannot be opened here: " << std::strerror(errno);
    close(fd);
    ToolRun run = RenderTool("7 2 100 -o " + node);
    EXPECT_EQ(run.status, c.status) << c.name;
    EXPECT_EQ(run.err, c.status ? "wubble-render: cannot write " + node + c.error : "") << c.name;
    EXPECT_TRUE(S_ISCHR(Lstat(node).mode)) << c.name;
  }
  EXPECT_EQ(Listing(dir_), "full\nnull\n");
}

TEST_F(RenderCommand, FailedWritesToStandardOutputExitOne) {
  if (access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no writable /dev/full";
  for (const char *args : {"5 --params >/dev/full", "5 -o - >/dev/full", "--help >/dev/full",
                           "--version >/dev/full", "5 --params >&-", "5 -o - >&-"}) {
    ToolRun run = RenderTool(args);
    EXPECT_EQ(run.status, 1) << args;
    EXPECT_EQ(run.err.rfind("wubble-render: cannot write standard output: ", 0), 0u)
        << args << ": " << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << args;
  }
}

// A replaced file keeps its permissions and, run as root, its owner.
TEST_F(RenderCommand, ReplacedFileKeepsModeAndOwner) {
  bool root = geteuid() == 0;
  struct Case { mode_t mode; uid_t uid; gid_t gid; };
  const Case cases[] = {{0600, geteuid(), getegid()}, {0640, root ? 65534u : geteuid(), 65534u},
                        {04755, root ? 123u : geteuid(), 456u}};
  std::string path = dir_ + "/kept.wav";
  for (const Case &c : cases) {
    WriteText(path, "old");
    ASSERT_EQ(chmod(path.c_str(), 0600), 0);
    if (chown(path.c_str(), c.uid, c.gid) != 0) continue;  // a group this user is not in
    ASSERT_EQ(chmod(path.c_str(), c.mode), 0);
    ToolRun run = RenderTool("7 2 100 -o " + path);
    EXPECT_EQ(run.status, 0) << run.err;
    FileState state = Lstat(path);
    EXPECT_EQ(state.mode, S_IFREG | c.mode) << std::oct << c.mode;
    EXPECT_EQ(state.uid, c.uid) << std::oct << c.mode;
    EXPECT_EQ(state.gid, c.gid) << std::oct << c.mode;
    EXPECT_TRUE(ReadText(path) == reference_);
  }
  // A new file gets the usual mode under the caller's umask.
  ToolRun run = RunScript("umask 027 && \"$R\" 7 2 100 -o " + dir_ + "/new.wav");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Lstat(dir_ + "/new.wav").mode, mode_t(S_IFREG | 0640));
  EXPECT_EQ(Listing(dir_), "kept.wav\nnew.wav\n");
}

// Names as long as a folder takes, new and replaced.
TEST_F(RenderCommand, LongestNamesAreWritten) {
  long name_max = pathconf(dir_.c_str(), _PC_NAME_MAX);
  ASSERT_GE(name_max, 14);
  for (long length : {249L, name_max}) {
    std::string name = std::string(size_t(length - 4), 'n') + ".wav";
    for (int round = 0; round < 2; round++) {
      ToolRun run = RenderTool("7 2 100 -o " + dir_ + "/" + name);
      EXPECT_EQ(run.status, 0) << length << ": " << run.err;
      EXPECT_TRUE(ReadText(dir_ + "/" + name) == reference_) << length;
    }
    EXPECT_EQ(Listing(dir_), name + "\n");
    unlink((dir_ + "/" + name).c_str());
  }
}

TEST_F(RenderCommand, UnwritableFileFailsCleanly) {
  std::string missing_dir = dir_ + "/no/such/dir/x.wav";
  ToolRun run = RenderTool("5 -o " + missing_dir);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "wubble-render: cannot write " + missing_dir + ": No such file or directory\n");
  // A folder where the file should be, or a link to one: nothing partial is
  // left beside it.
  ASSERT_EQ(mkdir((dir_ + "/taken").c_str(), 0755), 0);
  ASSERT_EQ(symlink("taken", (dir_ + "/to-folder").c_str()), 0);
  for (const char *name : {"taken", "taken/", "to-folder", "to-folder/"}) {
    run = RenderTool("5 -o " + dir_ + "/" + name);
    EXPECT_EQ(run.status, 1) << name;
    EXPECT_NE(run.err.find("cannot write"), std::string::npos) << name;
  }
  EXPECT_EQ(Listing(dir_), "taken\nto-folder\n");
  EXPECT_EQ(Listing(dir_ + "/taken"), "");
}

}  // namespace
