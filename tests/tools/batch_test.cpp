// wubble-render --batch, run as a program: which files a list gives, with
// which bytes, and what a bad line, a taken name or a bad DIR gets.
#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/wait.h>
#include <unistd.h>

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
  const char *name;
  int32_t seed, mutations, volume;
};

struct Case {
  const char *what;
  const char *list;     // written to a file, or given on stdin with LIST "-"
  const char *options;  // after LIST; OUT stands for the output folder
  int status;
  std::vector<const char *> messages;  // each in a line of standard error
  std::vector<File> files;             // exactly these in the output folder
};

const Case kCases[] = {
    {"good lines, defaults and names, on three threads",
     "5\n13 0 5 sine\n\n14 1\n  1308\t0 -10 noise \r\n-7 2 90\n4294967290 0 127\n", "-d OUT -j 3", 0, {},
     {{"5_0_5.wav", 5, 0, 5}, {"sine.wav", 13, 0, 5}, {"14_1_5.wav", 14, 1, 5},
      {"noise.wav", 1308, 0, -10}, {"-7_2_90.wav", -7, 2, 90}, {"-6_0_127.wav", -6, 0, 127}}},
    {"bad numbers are skipped with their line number",
     "5\n12 3x\n14 0 200\nabc\n9\n7 0 5 a/b\n8 0 5 name more\n", "-d OUT -j 2", 1,
     {"line 2: MUTATIONS \"3x\" is not a whole number", "line 3: VOLUME \"200\" is not a whole number from -128 to 127",
      "line 4: SEED \"abc\" is not a number", "line 6: NAME \"a/b\"", "line 7: \"more\" after the name"},
     {{"5_0_5.wav", 5, 0, 5}, {"9_0_5.wav", 9, 0, 5}}},
    {"a taken name keeps the first line's file",
     "5 0 5 boom\n13 0 5 boom\n14\n14 0 5\n-1\n4294967295\n", "-d OUT", 1,
     {"line 2: the name \"boom\" is taken by line 1", "line 4: the name \"14_0_5\" is taken by line 3",
      "line 6: the name \"-1_0_5\" is taken by line 5"},
     {{"boom.wav", 5, 0, 5}, {"14_0_5.wav", 14, 0, 5}, {"-1_0_5.wav", -1, 0, 5}}},
    {"standard input", "9837320 3 5 start\n73\n", "-d OUT -j 1", 0, {},
     {{"start.wav", 9837320, 3, 5}, {"73_0_5.wav", 73, 0, 5}}},
    {"a DIR that is not there", "5\n", "-d OUT/missing", 1, {"cannot write to OUT/missing: No such file or directory"}, {}},
    {"a DIR that is a file", "5\n", "-d OUT/../list", 1, {"cannot write to OUT/../list: Not a directory"}, {}},
    {"no DIR", "5\n", "-j 2", 2, {"usage: wubble-render --batch"}, {}},
    {"a bad thread count", "5\n", "-d OUT -j 0", 2, {"usage: wubble-render --batch"}, {}},
    {"an unknown option", "5\n", "-d OUT -x 1", 2, {"usage: wubble-render --batch"}, {}},
};

std::string Replace(std::string text, const std::string &from, const std::string &to) {
  for (size_t at; (at = text.find(from)) != std::string::npos;) text.replace(at, from.size(), to);
  return text;
}

TEST(Batch, ListsGiveTheirFilesAndReportEveryBadLine) {
  for (const Case &c : kCases) {
    SCOPED_TRACE(c.what);
    char dir[] = "/tmp/wubble-batch-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    std::string out = std::string(dir) + "/out", list = std::string(dir) + "/list";
    ASSERT_EQ(mkdir(out.c_str(), 0755), 0);
    std::ofstream(list) << c.list;
    bool from_stdin = std::string(c.what) == "standard input";
    std::string command = std::string(WUBBLE_RENDER_PATH) + " --batch " + (from_stdin ? "-" : list) + " " +
                          Replace(c.options, "OUT", out) + " <" + list + " >" + dir + "/stdout 2>" + dir +
                          "/stderr";
    int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), c.status);
    std::string err = Slurp(std::string(dir) + "/stderr");
    EXPECT_EQ(Slurp(std::string(dir) + "/stdout"), "");
    for (const char *message : c.messages) {
      EXPECT_NE(err.find(Replace(message, "OUT", out)), std::string::npos) << message << "\n" << err;
    }
    // Nothing else: no progress line when standard error is not a terminal.
    EXPECT_EQ(size_t(std::count(err.begin(), err.end(), '\n')), c.messages.size()) << err;
    std::set<std::string> expected;
    for (const File &f : c.files) {
      expected.insert(f.name);
      EXPECT_TRUE(Slurp(out + "/" + f.name) == FirstSound(f.seed, f.mutations, f.volume)) << f.name;
    }
    EXPECT_EQ(FilesIn(out), expected);  // no temporary file left behind
    std::system((std::string("rm -rf ") + dir).c_str());
  }
}

}  // namespace
