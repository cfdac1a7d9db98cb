// wubble-render --batch, run as a program: which files a list gives, with
// which bytes, and what a bad line, a taken name or a bad DIR gets.
#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "generator.h"
#include "render_wubble.h"
#include "wav_image.h"

using namespace wubble;

namespace {

std::string Slurp(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// The names in `dir`, hidden ones too.
std::set<std::string> FilesIn(const std::string &dir) {
  std::set<std::string> names;
  if (DIR *d = opendir(dir.c_str())) {
    while (dirent *entry = readdir(d)) {
      std::string name = entry->d_name;
      if (name != "." && name != "..") names.insert(name);
    }
    closedir(d);
  }
  return names;
}

// The file of a sound as the first of a run: a fresh generator's.
std::string FirstSound(int32_t seed, int32_t mutations, int32_t volume) {
  WubbleGenerator *g = NewGenerator();
  std::vector<uint8_t> image(kWavImageBytes);
  int32_t length = RenderWubbleImage(*g, seed, mutations, volume, image.data());
  FreeGenerator(g);
  return std::string(image.begin(), image.begin() + length);
}

struct File {
  std::string name;
  int32_t seed, mutations, volume;
};

struct Case {
  const char *what;
  std::string list;     // written to the file LIST
  const char *command;  // after "wubble-render --batch"; LIST and OUT stand for the list and the output folder
  int status;
  std::vector<std::string> messages;  // each in a line of standard error
  std::vector<File> files;            // exactly these in the output folder
};

const std::string kLongLine = "5 0 5 " + std::string(5000, 'n') + "\n";
const std::string kLongToken = std::string(3000, 'y') + "\n";

// Without the address sanitizer, whose shadow memory no address-space
// limit leaves room for.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
const bool kCanLimitMemory = false;
#else
const bool kCanLimitMemory = true;
#endif

std::string Numbered(int count) {
  std::string list;
  for (int i = 1; i <= count; i++) list += std::to_string(i) + "\n";
  return list;
}

std::vector<File> NumberedFiles(int count) {
  std::vector<File> files;
  for (int i = 1; i <= count; i++) files.push_back({std::to_string(i) + "_0_5.wav", i, 0, 5});
  return files;
}

const Case kCases[] = {
    {"good lines, defaults and names, on three threads",
     "5\n13 0 5 sine\n\n14 1\n  1308\t0 -10 noise \r\n-7 2 90\n4294967290 0 127\n", "LIST -d OUT -j 3", 0, {},
     {{"5_0_5.wav", 5, 0, 5}, {"sine.wav", 13, 0, 5}, {"14_1_5.wav", 14, 1, 5},
      {"noise.wav", 1308, 0, -10}, {"-7_2_90.wav", -7, 2, 90}, {"-6_0_127.wav", -6, 0, 127}}},
    {"bad numbers are skipped with their line number",
     "5\n12 3x\n14 0 200\nabc\n9\n7 0 5 a/b\n8 0 5 name more\n1 -5 5\n1 1000001\n", "LIST -d OUT -j 2", 1,
     {"line 2: MUTATIONS \"3x\" is not a whole number", "line 3: VOLUME \"200\" is not a whole number from -128 to 127",
      "line 4: SEED \"abc\" is not a number", "line 6: NAME \"a/b\"", "line 7: \"more\" after the name",
      "line 8: MUTATIONS \"-5\" is not a whole number from 0 to 1000000", "line 9: MUTATIONS \"1000001\""},
     {{"5_0_5.wav", 5, 0, 5}, {"9_0_5.wav", 9, 0, 5}}},
    {"a taken name keeps the first line's file",
     "5 0 5 boom\n13 0 5 boom\n14\n14 0 5\n-1\n4294967295\n", "LIST -d OUT", 1,
     {"line 2: the name \"boom\" is taken by line 1", "line 4: the name \"14_0_5\" is taken by line 3",
      "line 6: the name \"-1_0_5\" is taken by line 5"},
     {{"boom.wav", 5, 0, 5}, {"14_0_5.wav", 14, 0, 5}, {"-1_0_5.wav", -1, 0, 5}}},
    {"standard input", "9837320 3 5 start\n73\n", "- -d OUT -j 1 <LIST", 0, {},
     {{"start.wav", 9837320, 3, 5}, {"73_0_5.wav", 73, 0, 5}}},
    {"lines end at LF, CRLF or CR; a mark, blanks and comments say nothing",
     "\xEF\xBB\xBF" "100\r200\r\n30\r\r\n# a comment\n  \t# 7\n6 0 5 #x\n\r\n", "LIST -d OUT", 0, {},
     {{"100_0_5.wav", 100, 0, 5}, {"200_0_5.wav", 200, 0, 5}, {"30_0_5.wav", 30, 0, 5},
      {"#x.wav", 6, 0, 5}}},
    {"control characters and long texts are not echoed",
     "x\x1b[31m\x07 0 5\n5 0 5 c\x1b" "d\n" + kLongLine + kLongToken + "6\n", "LIST -d OUT", 1,
     {"line 1: SEED \"x?[31m?\" is not a number", "line 2: NAME \"c?d\" has a control character",
      "line 3: longer than 4096 bytes", "line 4: SEED \"" + std::string(64, 'y') + "...\" is not a number"},
     {{"6_0_5.wav", 6, 0, 5}}},
    {"a list that cannot be read is a failure", "", "- -d OUT <&-", 1,
     {"cannot read standard input: Bad file descriptor"}, {}},
    {"a folder on standard input", "", "- -d OUT <OUT", 1, {"cannot read standard input: Is a directory"}, {}},
    {"a folder as LIST", "", "OUT -d OUT", 1, {"cannot read OUT: Is a directory"}, {}},
    {"a DIR that is not there", "5\n", "LIST -d OUT/missing", 1, {"cannot write to OUT/missing: No such file or directory"}, {}},
    {"a DIR that is a file", "5\n", "LIST -d OUT/../list", 1, {"cannot write to OUT/../list: Not a directory"}, {}},
    {"no DIR", "5\n", "LIST -j 2", 2, {"wubble-render: missing -d DIR"}, {}},
    {"a thread count out of range", "5\n", "LIST -d OUT -j 65", 2, {"wubble-render: -j 65 is not a thread count from 1 to 64"}, {}},
    {"no thread count", "5\n", "LIST -d OUT -j", 2, {"wubble-render: -j needs a number of threads"}, {}},
    {"leading zeros in the thread count", "5\n", "LIST -d OUT -j 00001", 0, {}, {{"5_0_5.wav", 5, 0, 5}}},
    {"an unknown option", "5\n", "LIST -d OUT -x 1", 2, {"wubble-render: unknown option -x"}, {}},
    {"DIR twice", "5\n", "LIST -d OUT -d OUT", 2, {"wubble-render: -d given twice"}, {}},
    {"no LIST", "", "", 2, {"wubble-render: --batch needs a LIST"}, {}},
    {"options before LIST", "5\n", "-d OUT LIST", 2, {"wubble-render: --batch needs a LIST"}, {}},
    // Each thread needs 8 MB of address space for its stack: most of the 64
    // cannot start, and the others make every sound.
    {"threads that cannot start", Numbered(64),
     "LIST -d OUT -j 64", 0, {"threads could start (Resource temporarily unavailable)"},
     NumberedFiles(64)},
};

std::string Replace(std::string text, const std::string &from, const std::string &to) {
  for (size_t at; (at = text.find(from)) != std::string::npos;) text.replace(at, from.size(), to);
  return text;
}

// Every byte of standard error a printable one or a line end.
bool AllPrintable(const std::string &text) {
  return std::all_of(text.begin(), text.end(), [](char ch) { return ch == '\n' || (ch >= 0x20 && ch != 0x7f); });
}

TEST(Batch, ListsGiveTheirFilesAndReportEveryBadLine) {
  for (const Case &c : kCases) {
    SCOPED_TRACE(c.what);
    bool limited = std::string(c.what) == "threads that cannot start";
    if (limited && !kCanLimitMemory) continue;
    char dir[] = "/tmp/wubble-batch-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    std::string out = std::string(dir) + "/out", list = std::string(dir) + "/list";
    ASSERT_EQ(mkdir(out.c_str(), 0755), 0);
    std::ofstream(list, std::ios::binary) << c.list;
    std::string command = std::string(limited ? "ulimit -s 8192; ulimit -v 150000; " : "") + WUBBLE_RENDER_PATH +
                          " --batch " + Replace(Replace(c.command, "LIST", list), "OUT", out) + " >" + dir +
                          "/stdout 2>" + dir + "/stderr";
    int status = std::system(("{ " + command + "\n}").c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), c.status);
    std::string err = Slurp(std::string(dir) + "/stderr");
    EXPECT_EQ(Slurp(std::string(dir) + "/stdout"), "");
    for (const std::string &message : c.messages) {
      EXPECT_NE(err.find(Replace(message, "OUT", out)), std::string::npos) << message << "\n" << err;
    }
    // Nothing else: no progress line when standard error is not a terminal.
    EXPECT_EQ(size_t(std::count(err.begin(), err.end(), '\n')), c.messages.size()) << err;
    EXPECT_TRUE(AllPrintable(err)) << err;
    std::set<std::string> expected;
    for (const File &f : c.files) {
      expected.insert(f.name);
      EXPECT_TRUE(Slurp(out + "/" + f.name) == FirstSound(f.seed, f.mutations, f.volume)) << f.name;
    }
    EXPECT_EQ(FilesIn(out), expected);  // no temporary file left behind
    std::system((std::string("rm -rf ") + dir).c_str());
  }
}

// A file as the batch writes it: the header's data size says its length.
bool WholeWav(const std::string &bytes) {
  if (bytes.size() < 46 || bytes.compare(0, 4, "RIFF") != 0) return false;
  uint32_t data = uint8_t(bytes[42]) | uint8_t(bytes[43]) << 8 | uint8_t(bytes[44]) << 16 | uint32_t(uint8_t(bytes[45])) << 24;
  return bytes.size() == 46 + size_t(data);
}

pid_t SpawnBatch(const std::string &list, const std::string &out) {
  std::vector<std::string> args = {WUBBLE_RENDER_PATH, "--batch", list, "-d", out, "-j", "2"};
  std::vector<char *> argv;
  for (std::string &arg : args) argv.push_back(&arg[0]);
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = -1;
  if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

// Interrupts real batches at moments spread over their run, from before the
// signals are taken to while files are being written: each ends by its
// signal (a shell shows 130, 143, 129), with no temporary file left and
// every .wav whole.
TEST(Batch, InterruptLeavesNoTemporaryFile) {
  char dir[] = "/tmp/wubble-interrupt-XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  std::string list = std::string(dir) + "/list";
  {
    std::ofstream file(list);
    for (int i = 0; i < 400; i++) file << i * 7919 << " " << i % 3 << " " << 5 + i % 50 << "\n";
  }
  const int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
  const int kRuns = 24;
  int leftovers = 0;
  for (int run = 0; run < kRuns; run++) {
    SCOPED_TRACE("run " + std::to_string(run));
    std::string out = std::string(dir) + "/out" + std::to_string(run);
    ASSERT_EQ(mkdir(out.c_str(), 0755), 0);
    pid_t pid = SpawnBatch(list, out);
    ASSERT_GT(pid, 0);
    // The moment: once the folder holds this many names, temporary or not.
    size_t wanted = size_t(run % 8) * 2;
    auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (FilesIn(out).size() < wanted && std::chrono::steady_clock::now() < give_up) {
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    int signal_number = kSignals[run % 3];
    ASSERT_EQ(kill(pid, signal_number), 0);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal_number) << "status " << status;
    for (const std::string &name : FilesIn(out)) {
      if (name[0] == '.') {
        ADD_FAILURE() << "left behind: " << name;
        leftovers++;
      } else {
        EXPECT_TRUE(WholeWav(Slurp(out + "/" + name))) << name;
      }
    }
  }
  RecordProperty("interrupted_runs", kRuns);
  RecordProperty("temporary_files_left", leftovers);
  std::printf("%d interrupted runs, %d temporary files left\n", kRuns, leftovers);
  std::system((std::string("rm -rf ") + dir).c_str());
}

}  // namespace
