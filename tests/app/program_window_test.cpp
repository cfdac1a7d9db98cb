// The built programs as a user meets them: started as processes, driven by
// real X input and the real clipboard, seen through the X server (window
// geometry, size hints, pixels), their standard error and their exit
// status. Every check waits for the state it checks, with a deadline.
#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "program_driver.h"
#include "x_session.h"

namespace {

const std::string kScope = WUBBLE_SCOPE_PROGRAM;
const std::string kLite = WUBBLE_LITE_PROGRAM;
// Positions at scale 1.
constexpr int kSeedX = 89, kSeedY = 11, kPlusX = 152, kPlayX = 177, kMutateX = 34, kMutateY = 31;

bool IsLite(const std::string &program) { return program == kLite; }
int ClientHeight(const std::string &program) { return IsLite(program) ? 62 : 128; }
std::string Name(const std::string &program) { return IsLite(program) ? "wubble-lite" : "wubble-scope"; }

void ClientSize(Display *display, Window window, int *w, int *h) {
  XWindowAttributes attributes;
  XGetWindowAttributes(display, window, &attributes);
  *w = attributes.width;
  *h = attributes.height;
}

// True once the program has ended with status 0 within `seconds`.
bool EndsWithStatusZero(ProgramDriver &driver, double seconds) {
  double give_up = Now() + seconds;
  while (driver.Running()) {
    if (Now() > give_up) return false;
    usleep(5000);
  }
  int status = driver.exit_status();
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Processor time of the program's main thread, in clock ticks.
long MainThreadTicks(pid_t pid) {
  std::string path = "/proc/" + std::to_string(pid) + "/task/" + std::to_string(pid) + "/stat";
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

// The X server's resource string, as desktops set it (xrdb) for Xft.dpi.
void SetResources(Display *display, const std::string &resources) {
  Window root = DefaultRootWindow(display);
  if (resources.empty()) {
    XDeleteProperty(display, root, XA_RESOURCE_MANAGER);
  } else {
    XChangeProperty(display, root, XA_RESOURCE_MANAGER, XA_STRING, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char *>(resources.data()),
                    static_cast<int>(resources.size()));
  }
  XSync(display, False);
}

// The window's size and hints follow the scale; it is centred, and the
// window manager keeps to the hints when asked for another size. What the
// program says on stderr: nothing, or the one line about a bad setting.
TEST(Program, WindowSizeFollowsTheScale) {
  struct Case {
    std::string program;
    std::string setting;    // WUBBLE_SCALE; "" leaves it unset
    std::string resources;  // the server's resource string
    int scale;
    std::string output;
  };
  const Case cases[] = {
      {kScope, "", "", 1, ""},
      {kLite, "", "", 1, ""},
      {kScope, "2", "", 2, ""},
      {kLite, "", "Xft.dpi:\t192\n", 2, ""},
      {kScope, "", "Xft.dpi:\t191.5\n", 1, ""},
      {kLite, "1", "Xft.dpi:\t192\n", 1, ""},
      {kLite, "5", "", 1,
       "wubble-lite: WUBBLE_SCALE must be 1, 2, 3 or 4, not \"5\"; drawing at scale 1\n"},
      {kScope, "x", "", 1,
       "wubble-scope: WUBBLE_SCALE must be 1, 2, 3 or 4, not \"x\"; drawing at scale 1\n"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(Name(c.program) + " WUBBLE_SCALE=" + c.setting + " " + c.resources);
    ProgramDriver driver;
    SetResources(driver.display(), c.resources);
    ASSERT_TRUE(driver.Start(c.program, {"WUBBLE_SCALE=" + c.setting}));
    SetResources(driver.display(), "");
    Display *display = driver.display();
    Window window = driver.window();
    const int w = 194 * c.scale, h = ClientHeight(c.program) * c.scale;
    int cw, ch;
    ClientSize(display, window, &cw, &ch);
    EXPECT_EQ(cw, w);
    EXPECT_EQ(ch, h);
    XSizeHints hints;
    long supplied;
    ASSERT_TRUE(XGetWMNormalHints(display, window, &hints, &supplied));
    ASSERT_TRUE((hints.flags & PMinSize) && (hints.flags & PMaxSize));
    EXPECT_EQ(hints.min_width, w);
    EXPECT_EQ(hints.max_width, w);
    EXPECT_EQ(hints.min_height, h);
    EXPECT_EQ(hints.max_height, h);
    // Centred on the 640 x 480 screen, give or take the frame.
    int x, y;
    RootPosition(display, window, &x, &y);
    EXPECT_NEAR(x, (640 - w) / 2, 12);
    EXPECT_NEAR(y, (480 - h) / 2, 12);
    // Another size, then a move: once the window manager has made the move
    // it has dealt with the resize that came before it.
    ASSERT_TRUE(driver.Xdotool({"windowsize", "WINDOW", "300", "300", "windowmove", "WINDOW",
                                std::to_string(x + 7), std::to_string(y)}));
    double give_up = Now() + 30;
    int moved_x = x;
    while (moved_x == x && Now() < give_up) {
      usleep(2000);
      RootPosition(display, window, &moved_x, &y);
    }
    ASSERT_NE(moved_x, x) << "the window manager never moved the window";
    ClientSize(display, window, &cw, &ch);
    EXPECT_EQ(cw, w);
    EXPECT_EQ(ch, h);
    ASSERT_TRUE(driver.Settle());
    EXPECT_EQ(driver.Output(), c.output);
  }
}

// Alt+F4 and the close box end either program with status 0; Escape, on
// the window or in a field, does nothing.
TEST(Program, EndsWithStatusZeroOnCloseAndIgnoresEscape) {
  for (const std::string &program : {kScope, kLite}) {
    for (bool close_box : {false, true}) {
      SCOPED_TRACE(Name(program) + (close_box ? " close box" : " Alt+F4"));
      ProgramDriver driver;
      ASSERT_TRUE(driver.Start(program));
      ASSERT_TRUE(driver.Xdotool({"key", "Escape"}));
      ASSERT_TRUE(driver.Click(kSeedX, kSeedY));
      ASSERT_TRUE(driver.Xdotool({"key", "Escape"}));
      ASSERT_TRUE(driver.Settle());
      EXPECT_TRUE(driver.Running());
      XWindowAttributes attributes;
      XGetWindowAttributes(driver.display(), driver.window(), &attributes);
      EXPECT_EQ(attributes.map_state, IsViewable);
      int status = -1;
      if (close_box) {
        EXPECT_TRUE(driver.CloseAndExit(30, &status)) << "wait status " << status;
      } else {
        ASSERT_TRUE(RunCommand({"xdotool", "key", "alt+F4"}));
        EXPECT_TRUE(EndsWithStatusZero(driver, 30)) << "wait status " << driver.exit_status();
      }
    }
  }
}

// Idle, wubble-lite's loop sleeps in its wait; wubble-scope's wakes about a
// hundred times a second. A loop that never sleeps would use a whole core.
// Measured over one second once the program has answered.
TEST(Program, IdleLoopsLeaveTheProcessorAlone) {
  const long ticks_per_second = sysconf(_SC_CLK_TCK);
  for (const std::string &program : {kLite, kScope}) {
    SCOPED_TRACE(Name(program));
    ProgramDriver driver;
    ASSERT_TRUE(driver.Start(program));
    ASSERT_TRUE(driver.Settle());
    long before = MainThreadTicks(driver.pid());
    usleep(1000000);
    long used = MainThreadTicks(driver.pid()) - before;
    EXPECT_LE(used, IsLite(program) ? ticks_per_second / 50 : ticks_per_second / 4);
  }
}

// A desktop matches the window to the program's menu entry by its class
// (StartupWMClass) and shows that entry's icon.
TEST(Program, WindowsCarryTheProgramsClass) {
  for (const std::string &program : {kScope, kLite}) {
    SCOPED_TRACE(Name(program));
    ProgramDriver driver;
    ASSERT_TRUE(driver.Start(program));
    XClassHint hint;
    ASSERT_TRUE(XGetClassHint(driver.display(), driver.window(), &hint));
    EXPECT_EQ(hint.res_name, Name(program));
    XFree(hint.res_name);
    XFree(hint.res_class);
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
TEST(Program, ScopeShowsItsColoursAndAMovingTrace) {
  ProgramDriver driver;
  ASSERT_TRUE(driver.Start(kScope));
  ASSERT_TRUE(driver.Click(kPlayX, kSeedY));
  const Rgb background = {26, 38, 102}, middle = {217, 229, 252}, white = {255, 255, 255};
  std::vector<uint8_t> first_trace;
  bool moved = false;
  double give_up = Now() + 30;
  while (!moved && Now() < give_up) {
    std::vector<uint8_t> shot = driver.ScopePixels();
    ASSERT_EQ(shot.size(), 190u * 64 * 3);
    int known = Count(shot, background) + Count(shot, middle) + Count(shot, white);
    ASSERT_EQ(known, 190 * 64);
    ASSERT_GT(Count(shot, background), 190 * 32);
    if (Count(shot, white) == 0) {
      // Played to its end before the trace was seen to move: again.
      if (!first_trace.empty()) {
        ASSERT_TRUE(driver.Click(kPlayX, kSeedY));
      }
      continue;
    }
    if (first_trace.empty()) first_trace = shot;
    moved = shot != first_trace;
    usleep(5000);
  }
  EXPECT_TRUE(moved);
}

// Without a sound device either program works as ever and says so once on
// standard error, however many sounds it then makes and starts.
TEST(Program, SaysOnceThatThereIsNoSoundDevice) {
  for (const std::string &program : {kScope, kLite}) {
    SCOPED_TRACE(Name(program));
    ProgramDriver driver;
    ASSERT_TRUE(driver.Start(program, {"ALSOFT_DRIVERS=none"}));
    for (int k = 0; k < 3; ++k) {
      ASSERT_TRUE(driver.Click(kPlayX, kSeedY));
      ASSERT_TRUE(driver.Click(kMutateX, kMutateY));
    }
    std::string code;
    ASSERT_TRUE(driver.ReadField(driver.code_x(), driver.code_y(), &code));
    EXPECT_EQ(code, "CreateWubble(9837320,3,5,1)");
    EXPECT_EQ(driver.Output(), Name(program) + ": no sound device; sounds are made but not played\n");
  }
}

// The tool's own call text pasted from another program's clipboard loads
// its sound; other text is refused and the field keeps what it had.
TEST(Program, PastedCallTextLoadsItsSound) {
  ProgramDriver driver;
  ASSERT_TRUE(driver.Start(kScope));
  ASSERT_TRUE(driver.Paste(kSeedX, kSeedY, "CreateWubble( 9837319, 2, 64, 1 )"));
  std::string code, seed;
  ASSERT_TRUE(driver.ReadField(driver.code_x(), driver.code_y(), &code));
  ASSERT_TRUE(driver.ReadField(kSeedX, kSeedY, &seed));
  EXPECT_EQ(code, "CreateWubble(9837319,2,64,1)");
  EXPECT_EQ(seed, "9837319");
  ASSERT_TRUE(driver.Paste(kSeedX, kSeedY, "9837320 is my seed"));
  ASSERT_TRUE(driver.ReadField(driver.code_x(), driver.code_y(), &code));
  ASSERT_TRUE(driver.ReadField(kSeedX, kSeedY, &seed));
  EXPECT_EQ(code, "CreateWubble(9837319,2,64,1)");
  EXPECT_EQ(seed, "9837319");
}

// Behind a backlog of a thousand clicks on "+", wubble-lite keeps its
// window drawn: the seed field is seen to show ten different seeds while
// it works through them (a window drawn only once the backlog is through
// shows one). A close request then ends it at once, not after the rest of
// the backlog, which takes many seconds.
TEST(Program, CloseGoesBeforeABacklogThatKeepsBeingDrawn) {
  ProgramDriver driver;
  ASSERT_TRUE(driver.Start(kLite));
  ASSERT_TRUE(driver.Settle());
  const int s = driver.scale();
  auto seed_pixels = [&] { return GrabPixels(driver.display(), driver.window(), 54 * s, 2 * s, 70 * s, 18 * s); };
  ASSERT_EQ(kill(driver.pid(), SIGSTOP), 0);
  bool sent = driver.Xdotool({"mousemove", "--window", "WINDOW", std::to_string(kPlusX * s),
                              std::to_string(kSeedY * s), "click", "--repeat", "1000", "--delay", "0", "1"});
  ASSERT_EQ(kill(driver.pid(), SIGCONT), 0);
  ASSERT_TRUE(sent);
  std::vector<std::vector<uint8_t>> seen = {seed_pixels()};
  double give_up = Now() + 60;
  while (seen.size() < 10 && Now() < give_up && driver.Running()) {
    std::vector<uint8_t> now = seed_pixels();
    if (std::find(seen.begin(), seen.end(), now) == seen.end()) seen.push_back(now);
    usleep(1000);
  }
  EXPECT_EQ(seen.size(), 10u) << "the seed field was not redrawn while the clicks were handled";
  ASSERT_TRUE(driver.Running());
  double asked = Now();
  ASSERT_TRUE(RunCommand({"xdotool", "key", "alt+F4"}));
  EXPECT_TRUE(EndsWithStatusZero(driver, 60));
  const double took = Now() - asked;
  std::printf("close behind a backlog: ended %.3f s after the request\n", took);
  EXPECT_LT(took, 3.0);
}

}  // namespace
