// The system part of wubble-render through its interface alone, in plain
// C++, so the same test runs on every system it is built for (Windows under
// wine included). The POSIX-only cases (links, FIFOs, devices, modes) are in
// render_test.cpp.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <set>
#include <string>
#include <system_error>

#include "safe_write.h"

namespace {

namespace fs = std::filesystem;

std::string Slurp(const fs::path &path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::set<std::string> Names(const fs::path &dir) {
  std::set<std::string> names;
  for (const fs::directory_entry &e : fs::directory_iterator(dir)) names.insert(e.path().filename().u8string());
  return names;
}

// Bytes that text-mode writing or a short write would change: every value,
// line ends among them.
std::string Image(size_t size, int salt) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; i++) bytes[i] = char((i * 131 + size_t(salt)) & 0xFF);
  return bytes;
}

bool Write(bool batch, const fs::path &dir, const std::string &name, const std::string &bytes) {
  const uint8_t *data = reinterpret_cast<const uint8_t *>(bytes.data());
  if (batch) return WriteNewFileInDir(dir.u8string(), name, data, bytes.size());
  return WriteFileSafely(dir.u8string() + "/" + name, data, bytes.size());
}

class SafeWrite : public testing::Test {
 protected:
  void SetUp() override {
    std::string test = testing::UnitTest::GetInstance()->current_test_info()->name();
    dir_ = fs::temp_directory_path() / ("wubble-safe-write-" + test);
    fs::remove_all(dir_);
    ASSERT_TRUE(fs::create_directories(dir_));
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }
  fs::path dir_;
};

// Both writers, -o's and the batch's: a new name, the same name again with
// fewer bytes, a non-ASCII name; each file holds exactly its bytes and no
// temporary file stays behind.
TEST_F(SafeWrite, NewAndReplacedFilesHoldExactlyTheirBytes) {
  const std::string accented = "s\xC3\xA4ge.wav";  // UTF-8
  for (bool batch : {false, true}) {
    SCOPED_TRACE(batch ? "WriteNewFileInDir" : "WriteFileSafely");
    std::string big = Image(300000, batch), small = Image(1000, 7);
    ASSERT_TRUE(Write(batch, dir_, "a.wav", big));
    EXPECT_TRUE(Slurp(dir_ / "a.wav") == big);
    ASSERT_TRUE(Write(batch, dir_, "a.wav", small));
    EXPECT_TRUE(Slurp(dir_ / "a.wav") == small);
    ASSERT_TRUE(Write(batch, dir_, accented, small));
    EXPECT_TRUE(Slurp(dir_ / fs::u8path(accented)) == small);
    EXPECT_EQ(Names(dir_), (std::set<std::string>{"a.wav", accented}));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
}

// Each failure names its cause in errno, and leaves the folder as it was.
TEST_F(SafeWrite, FailuresSetErrnoAndLeaveNothing) {
  std::string bytes = Image(100, 1);
  const uint8_t *data = reinterpret_cast<const uint8_t *>(bytes.data());
  size_t size = bytes.size();
  std::string dir = dir_.u8string(), missing = dir + "/missing";
  std::string parent = dir_.parent_path().u8string(), leaf = dir_.filename().u8string();
  std::ofstream(dir_ / "file") << "old";
  struct Case {
    const char *what;
    std::function<bool()> call;
    int error;  // 0: any
  } cases[] = {
      {"a name in a missing folder", [&] { return WriteFileSafely(missing + "/a.wav", data, size); }, ENOENT},
      {"a name ending in a separator", [&] { return WriteFileSafely(dir + "/", data, size); }, EISDIR},
      {"a folder's name", [&] { return WriteFileSafely(dir, data, size); }, EISDIR},
      {"the batch into a missing folder", [&] { return WriteNewFileInDir(missing, "a.wav", data, size); }, ENOENT},
      {"the batch over a folder", [&] { return WriteNewFileInDir(parent, leaf, data, size); }, 0},
      {"a check of a missing folder", [&] { return CanWriteInDir(missing); }, ENOENT},
      {"a check of a file", [&] { return CanWriteInDir(dir + "/file"); }, ENOTDIR},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    errno = 0;
    EXPECT_FALSE(c.call());
    if (c.error) {
      EXPECT_EQ(errno, c.error);
    } else {
      EXPECT_NE(errno, 0);
    }
  }
  EXPECT_EQ(Slurp(dir_ / "file"), "old");
  EXPECT_EQ(Names(dir_), std::set<std::string>{"file"});
  EXPECT_EQ(Names(parent).count(leaf), 1u);
  EXPECT_TRUE(CanWriteInDir(dir));
  EXPECT_EQ(Names(dir_), std::set<std::string>{"file"});
}

}  // namespace
