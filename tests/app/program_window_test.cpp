// The built programs as a user meets them: started as processes, driven by
// real X input, seen through the X server (window geometry, size hints,
// pixels) and through their exit status.
#include <gtest/gtest.h>

#include <X11/Xutil.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "x_session.h"

namespace {

constexpr const char *kTitle = "ZR-Wubble - Tarsk 08";

struct ProgramCase {
  const char *path;
  const char *name;  // also its window class
  int client_height;
};

const ProgramCase kScope = {WUBBLE_SCOPE_PROGRAM, "wubble-scope", 128};
const ProgramCase kLite = {WUBBLE_LITE_PROGRAM, "wubble-lite", 62};

class Program : public ::testing::Test {
 protected:
  void SetUp() override {
    display_ = XOpenDisplay(nullptr);
    ASSERT_NE(display_, nullptr);
  }

  void TearDown() override {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    XCloseDisplay(display_);
  }

  // Starts the program and waits until its window is up and has the focus.
  void Start(const ProgramCase &program) {
    pid_ = Spawn({program.path});
    ASSERT_GT(pid_, 0);
    ASSERT_TRUE(RunCommand({"xdotool", "search", "--sync", "--onlyvisible", "--name",
                            std::string("^") + kTitle + "$"}));
    window_ = FindClientWindow(display_, kTitle, 10);
    ASSERT_NE(window_, 0u);
    double give_up = Now() + 10;
    while (!IsActiveWindow(display_, window_)) {
      ASSERT_LT(Now(), give_up) << "the window never got the focus";
      usleep(10000);
    }
  }

  void Xdotool(std::vector<std::string> argv) {
    argv.insert(argv.begin(), "xdotool");
    ASSERT_TRUE(RunCommand(argv));
  }

  // True with status 0 when the program ended within `seconds`.
  bool EndsWithStatusZero(double seconds) {
    int status = -1;
    if (!WaitExit(pid_, seconds, &status)) return false;
    pid_ = -1;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
  }

  bool StillRunning() { return pid_ > 0 && waitpid(pid_, nullptr, WNOHANG) == 0; }

  void ClientSize(int *w, int *h) {
    Window root;
    int x, y;
    unsigned int uw, uh, border, depth;
    XGetGeometry(display_, window_, &root, &x, &y, &uw, &uh, &border, &depth);
    *w = static_cast<int>(uw);
    *h = static_cast<int>(uh);
  }

  // Processor time of the program's main thread, in clock ticks.
  long MainThreadTicks() {
    std::string path = "/proc/" + std::to_string(pid_) + "/task/" + std::to_string(pid_) + "/stat";
    FILE *file = std::fopen(path.c_str(), "r");
    if (file == nullptr) return -1;
    char line[1024] = {};
    std::fgets(line, sizeof line, file);
    std::fclose(file);
    // Fields after the parenthesised name: state is the 3rd, utime the 14th.
    const char *after = std::strrchr(line, ')');
    long utime = 0, stime = 0;
    std::sscanf(after + 2, "%*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %ld %ld", &utime, &stime);
    return utime + stime;
  }

  void CheckFixedWindow(const ProgramCase &program) {
    Start(program);
    int w, h;
    ClientSize(&w, &h);
    EXPECT_EQ(w, 194);
    EXPECT_EQ(h, program.client_height);
    XSizeHints hints;
    long supplied;
    ASSERT_TRUE(XGetWMNormalHints(display_, window_, &hints, &supplied));
    ASSERT_TRUE((hints.flags & PMinSize) && (hints.flags & PMaxSize));
    EXPECT_EQ(hints.min_width, 194);
    EXPECT_EQ(hints.max_width, 194);
    EXPECT_EQ(hints.min_height, program.client_height);
    EXPECT_EQ(hints.max_height, program.client_height);
    // Centred on the 640 x 480 screen, give or take the frame.
    int x, y;
    RootPosition(display_, window_, &x, &y);
    EXPECT_NEAR(x, (640 - 194) / 2, 12);
    EXPECT_NEAR(y, (480 - program.client_height) / 2, 12);
    // The window manager keeps to the hints when asked for another size.
    Xdotool({"windowsize", std::to_string(window_), "300", "300"});
    XSync(display_, False);
    usleep(200000);
    ClientSize(&w, &h);
    EXPECT_EQ(w, 194);
    EXPECT_EQ(h, program.client_height);
  }

  void CloseWithTheCloseBox() {
    long extents[4];
    ASSERT_TRUE(FrameExtents(display_, window_, extents));
    int x, y, w, h;
    RootPosition(display_, window_, &x, &y);
    ClientSize(&w, &h);
    // The close box is the rightmost button of the title bar.
    int box_x = x + w + static_cast<int>(extents[1]) - 10;
    int box_y = y - static_cast<int>(extents[2]) / 2;
    Xdotool({"mousemove", std::to_string(box_x), std::to_string(box_y), "click", "1"});
    EXPECT_TRUE(EndsWithStatusZero(10));
  }

  Display *display_ = nullptr;
  pid_t pid_ = -1;
  Window window_ = 0;
};

TEST_F(Program, ScopeWindowHasAFixedCentredClientArea) { CheckFixedWindow(kScope); }

TEST_F(Program, LiteWindowHasAFixedCentredClientArea) { CheckFixedWindow(kLite); }

TEST_F(Program, ScopeEndsWithStatusZeroOnAltF4) {
  Start(kScope);
  Xdotool({"key", "alt+F4"});
  EXPECT_TRUE(EndsWithStatusZero(10));
}

TEST_F(Program, LiteEndsWithStatusZeroOnAltF4) {
  Start(kLite);
  Xdotool({"key", "alt+F4"});
  EXPECT_TRUE(EndsWithStatusZero(10));
}

TEST_F(Program, ScopeEndsWithStatusZeroOnTheCloseBox) {
  Start(kScope);
  CloseWithTheCloseBox();
}

TEST_F(Program, LiteIgnoresEscapeAndEndsOnTheCloseBox) {
  Start(kLite);
  Xdotool({"key", "Escape"});
  Xdotool({"mousemove", "--window", std::to_string(window_), "89", "11", "click", "1",
           "key", "Escape"});
  usleep(300000);
  EXPECT_TRUE(StillRunning());
  XWindowAttributes attributes;
  XGetWindowAttributes(display_, window_, &attributes);
  EXPECT_EQ(attributes.map_state, IsViewable);
  CloseWithTheCloseBox();
}

TEST_F(Program, ScopeIgnoresEscape) {
  Start(kScope);
  Xdotool({"key", "Escape"});
  usleep(300000);
  EXPECT_TRUE(StillRunning());
  Xdotool({"key", "alt+F4"});
  EXPECT_TRUE(EndsWithStatusZero(10));
}

// Idle, wubble-lite's loop sleeps in its wait; wubble-scope's wakes about a
// hundred times a second. A loop that never sleeps would use a whole core.
TEST_F(Program, IdleLoopsLeaveTheProcessorAlone) {
  const long ticks_per_second = sysconf(_SC_CLK_TCK);
  Start(kLite);
  usleep(300000);
  long before = MainThreadTicks();
  usleep(1000000);
  EXPECT_LE(MainThreadTicks() - before, ticks_per_second / 50);
  Xdotool({"key", "alt+F4"});
  ASSERT_TRUE(EndsWithStatusZero(10));

  Start(kScope);
  usleep(300000);
  before = MainThreadTicks();
  usleep(1000000);
  EXPECT_LE(MainThreadTicks() - before, ticks_per_second / 4);
}

// A desktop matches the window to the program's menu entry by its class
// (StartupWMClass) and shows that entry's icon.
TEST_F(Program, WindowsCarryTheProgramsClass) {
  for (const ProgramCase &program : {kScope, kLite}) {
    SCOPED_TRACE(program.name);
    Start(program);
    XClassHint hint;
    ASSERT_TRUE(XGetClassHint(display_, window_, &hint));
    EXPECT_STREQ(hint.res_name, program.name);
    XFree(hint.res_name);
    XFree(hint.res_class);

    Xdotool({"key", "alt+F4"});
    EXPECT_TRUE(EndsWithStatusZero(10));
  }
}

struct Rgb {
  uint8_t r, g, b;
};

int Count(const std::vector<uint8_t> &pixels, Rgb colour) {
  int count = 0;
  for (size_t k = 0; k + 2 < pixels.size(); k += 3) {
    count += pixels[k] == colour.r && pixels[k + 1] == colour.g && pixels[k + 2] == colour.b;
  }
  return count;
}

// With a sound playing on OpenAL's null output the white trace shows and
// moves; every pixel is background, middle line or trace.
TEST_F(Program, ScopeShowsItsColoursAndAMovingTrace) {
  Start(kScope);
  Xdotool({"mousemove", "--window", std::to_string(window_), "177", "11", "click", "1"});
  const Rgb background = {26, 38, 102}, middle = {217, 229, 252}, white = {255, 255, 255};
  std::vector<std::vector<uint8_t>> traces;
  double until = Now() + 1.5;
  while (Now() < until) {
    std::vector<uint8_t> shot = GrabPixels(display_, window_, 2, 42, 190, 64);
    ASSERT_EQ(shot.size(), 190u * 64 * 3);
    int known = Count(shot, background) + Count(shot, middle) + Count(shot, white);
    ASSERT_EQ(known, 190 * 64);
    ASSERT_GT(Count(shot, background), 190 * 32);
    if (Count(shot, white) > 0) traces.push_back(shot);
    usleep(20000);
  }
  ASSERT_GE(traces.size(), 2u);
  bool moved = false;
  for (size_t k = 1; k < traces.size(); ++k) moved = moved || traces[k] != traces[0];
  EXPECT_TRUE(moved);
}

}  // namespace
