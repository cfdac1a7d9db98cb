// The shell on its real window, driven by real X input (xdotool, XTEST)
// and the real clipboard. The test runs the loop passes itself and reads
// the controls and the shell state directly. Link-time wrappers record
// every CreateWubble, StartSound and HaltSound call on its way to the real
// one. Built twice: with WUBBLE_SCOPE against wubble-scope's shell, without
// against wubble-lite's. Positions are given at scale 1; the fixture at
// scale 2 runs a few of the tests again with every position doubled.
#include <gtest/gtest.h>

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Window.H>
#include <FL/fl_draw.H>
#include <FL/x.H>

#include <X11/Xatom.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "number_text.h"
#include "shell.h"
#include "toolkit.h"
#include "x_session.h"
#ifdef WUBBLE_SCOPE
#include "scope.h"
#include "scope_picture.h"
#endif

namespace {

std::vector<std::string> calls;

std::string CreateCall(int32_t seed, int32_t mutations, int32_t volume) {
  return "create " + std::to_string(seed) + " " + std::to_string(mutations) + " " +
         std::to_string(volume);
}

}  // namespace

extern "C" {
int32_t __real_CreateWubble(int32_t, int32_t, int32_t, int32_t, uint8_t *);
int32_t __real_StartSound(int32_t);
void __real_HaltSound(int32_t);

int32_t __wrap_CreateWubble(int32_t seed, int32_t mutations, int32_t volume, int32_t slot,
                            uint8_t *dest) {
  calls.push_back(CreateCall(seed, mutations, volume) + (dest ? " copy" : "") +
                  (slot == 1 ? "" : " wrong slot"));
  return __real_CreateWubble(seed, mutations, volume, slot, dest);
}
int32_t __wrap_StartSound(int32_t slot) {
  calls.push_back("start " + std::to_string(slot));
  return __real_StartSound(slot);
}
void __wrap_HaltSound(int32_t slot) {
  calls.push_back("halt " + std::to_string(slot));
  __real_HaltSound(slot);
}
}

namespace {

#ifdef WUBBLE_SCOPE
const std::string kCopy = " copy";
constexpr int kCodeFieldY = 108;
#else
const std::string kCopy = "";
constexpr int kCodeFieldY = 42;
#endif

// One regeneration as the refresh step makes it.
std::vector<std::string> Regeneration(int32_t seed, int32_t mutations, int32_t volume) {
  return {CreateCall(seed, mutations, volume) + kCopy, "start 1"};
}

std::vector<std::string> operator+(std::vector<std::string> a, const std::vector<std::string> &b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// wubble-lite's wait has no time-out; a timer wakes it so that the test's
// loop never sleeps for good.
void Wake(void *) { Fl::repeat_timeout(0.02, Wake); }

// Owns the clipboard on a connection of its own and answers the requests
// for its text, as another program the user copied from would.
class ClipboardOwner {
 public:
  ClipboardOwner() {
    display_ = XOpenDisplay(nullptr);
    window_ = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, 1, 1, 0, 0, 0);
  }
  ~ClipboardOwner() {
    XDestroyWindow(display_, window_);
    XCloseDisplay(display_);
  }

  void Offer(const std::string &text) {
    text_ = text;
    served_ = 0;
    XSetSelectionOwner(display_, Intern("CLIPBOARD"), window_, CurrentTime);
    XSync(display_, False);
  }

  // Answers what has been asked; the number of times the text went out.
  int Serve() {
    while (XPending(display_) > 0) {
      XEvent event;
      XNextEvent(display_, &event);
      if (event.type == SelectionRequest &&
          AnswerClipboardRequest(display_, event.xselectionrequest, text_)) {
        ++served_;
      }
    }
    return served_;
  }

  Display *display() const { return display_; }

 private:
  Atom Intern(const char *name) { return XInternAtom(display_, name, False); }

  Display *display_ = nullptr;
  Window window_ = 0;
  std::string text_;
  int served_ = 0;
};

class ShellWindow : public ::testing::Test {
 protected:
  // Tests of the fixture at scale 2 set this before SetUp.
  explicit ShellWindow(int scale = 1) : scale_(scale) {}

  void SetUp() override {
    calls.clear();
    setenv("WUBBLE_SCALE", std::to_string(scale_).c_str(), 1);
    StartUp();
#ifndef WUBBLE_SCOPE
    Fl::add_timeout(0.02, Wake);
#endif
    window_ = fl_xid(Fl::first_window());
    // Up, managed, focused, and the first pass's sound made.
    XWindowAttributes attributes;
    ASSERT_TRUE(PassUntil([&] {
      XGetWindowAttributes(fl_display, window_, &attributes);
      return attributes.map_state == IsViewable && IsActiveWindow(fl_display, window_) &&
             Text(CodeField) == "CreateWubble(9837320,0,5,1)";
    }, 15)) << "map state " << attributes.map_state << ", focus "
            << IsActiveWindow(fl_display, window_) << ", code " << Text(CodeField);
    Settle();
  }

  void TearDown() override {
    Fl::remove_timeout(Wake);
    ShutDown();
  }

  // Runs loop passes until `done` holds or time runs out; once the loop
  // has ended it only waits.
  bool PassUntil(const std::function<bool()> &done, double seconds) {
    double give_up = Now() + seconds;
    while (!done()) {
      if (Now() > give_up) return false;
      if (closed_) {
        usleep(5000);
        continue;
      }
      if (!RunLoopPass()) closed_ = true;
      ++passes_;
    }
    return true;
  }

  // Once the input sent so far has all reached the window (the round trip
  // of XSync comes back after it), runs passes until none of it is left
  // to act on.
  void Settle() {
    XSync(fl_display, False);
    ASSERT_TRUE(PassUntil([&] { return closed_ || !InputPending(); }, 30)) << "input still pending";
  }

  // Runs an xdotool command to its end, the loop running meanwhile unless
  // `pile_up`: then its input waits until the command has ended.
  void Drive(std::vector<std::string> argv, bool pile_up = false) {
    argv.insert(argv.begin(), "xdotool");
    pid_t pid = Spawn(argv);
    ASSERT_GT(pid, 0);
    int status = -1;
    if (pile_up) {
      ASSERT_TRUE(WaitExit(pid, 30, &status)) << argv[1];
    } else {
      ASSERT_TRUE(PassUntil([&] { return WaitExit(pid, 0, &status); }, 30)) << argv[1];
    }
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << argv[1];
    ASSERT_TRUE(MarkInputEnd(fl_display, window_, 30)) << "the input's end never showed";
    Settle();
  }

  // The count of calls stays put for half a second of passes: ten periods
  // of the repeat, which would have added calls had it run on.
  bool StaysQuiet() {
    size_t before = calls.size();
    double until = Now() + 0.5;
    PassUntil([&] { return Now() > until; }, 5);
    return calls.size() == before;
  }

  // A position of the window at scale 1, in screen pixels.
  std::string At(int units) const { return std::to_string(units * scale_); }
  std::string WindowId() const { return std::to_string(window_); }

  // Offers `text` on the clipboard and pastes it with Ctrl+V into the seed
  // field, its caret at the end; returns once the field has had the text.
  void PasteIntoSeedField(const std::string &text) {
    Click(89, 11);
    Keys({"End"});
    calls.clear();
    clipboard_.Offer(text);
    Drive({"key", "--clearmodifiers", "ctrl+v"});
    ASSERT_TRUE(PassUntil([&] { return clipboard_.Serve() > 0; }, 30)) << "no paste asked for";
    Settle();
  }

  static int VolumeOf(const std::string &call) {
    int seed, mutations, volume = -1;
    std::sscanf(call.c_str(), "create %d %d %d", &seed, &mutations, &volume);
    return volume;
  }

  void Click(int x, int y) {
    Drive({"mousemove", "--window", WindowId(), At(x), At(y), "click", "1"});
  }
  void Keys(std::vector<std::string> keys) {
    keys.insert(keys.begin(), {"key", "--delay", "30"});
    Drive(keys);
  }
  void Type(const std::string &text) { Drive({"type", "--delay", "40", text}); }

  // Seed field, emptied by the user: one regeneration with seed 0.
  void EmptySeedField() {
    Click(89, 11);
    calls.clear();
    Keys({"End", "shift+Home", "BackSpace"});
    ASSERT_EQ(calls, Regeneration(0, 0, 5));
    ASSERT_EQ(Text(SeedField), "");
    calls.clear();
  }

  static std::string Text(int32_t id) {
    const char *text = GetControlText(id);
    return text ? text : "(none)";
  }

  // Tests run at both scales.
  void CheckCaptionsFit();
  void CheckMutateThreeTimes();
  void CheckVolumeArrowsAndTrough();
  void CheckThumbDragToTheEnd();
  void CheckScopeImageShowsEachPassPicture();

  const int scale_;
  Window window_ = 0;
  bool closed_ = false;
  long passes_ = 0;
  ClipboardOwner clipboard_;
};

class ShellWindowAtScale2 : public ShellWindow {
 protected:
  ShellWindowAtScale2() : ShellWindow(2) {}
};

TEST_F(ShellWindow, StartsWithTheFirstSoundAndItsTexts) {
  EXPECT_EQ(calls, Regeneration(9837320, 0, 5));
  EXPECT_EQ(Text(SeedField), "9837320");
  EXPECT_EQ(Text(MutateButton), "Mutate: 0");
  EXPECT_EQ(Text(CodeField), "CreateWubble(9837320,0,5,1)");
  EXPECT_EQ(GetControlState(VolumeBar), 5);
  EXPECT_STREQ(Fl::first_window()->label(), "ZR-Wubble - Tarsk 08");
  EXPECT_EQ(shell.seed, 9837320);
  EXPECT_EQ(shell.mutations, 0);
  EXPECT_EQ(shell.volume, 5);
  EXPECT_EQ(shell.refresh, RefreshNone);
}

// The window, each control and its font grow with the scale.
TEST_F(ShellWindow, EveryCaptionFitsItsControl) { CheckCaptionsFit(); }
TEST_F(ShellWindowAtScale2, EveryCaptionFitsItsControl) { CheckCaptionsFit(); }

void ShellWindow::CheckCaptionsFit() {
  Fl_Window *window = Fl::first_window();
  EXPECT_EQ(window->w(), 194 * scale_);
  EXPECT_EQ(window->h(), (kCodeFieldY + 20) * scale_);
  SetControlText(MutateButton, "Mutate: 999");
  SetControlText(SeedField, "-2147483648");
  int checked = 0;
  for (int k = 0; k < window->children(); ++k) {
    Fl_Widget *control = window->child(k);
    int room_w = control->w() - Fl::box_dw(control->box());
    int room_h = control->h() - Fl::box_dh(control->box());
    if (Fl_Input *field = dynamic_cast<Fl_Input *>(control)) {
      EXPECT_EQ(field->textsize(), 10 * scale_);
      fl_font(field->textfont(), field->textsize());
      EXPECT_LE(fl_height(), room_h);
      if (field->w() < 100) {
        EXPECT_LE(fl_width(field->value()), room_w - 2);
      }
      ++checked;
    } else if (control->label() != nullptr) {
      EXPECT_EQ(control->labelsize(), 10 * scale_);
      fl_font(control->labelfont(), control->labelsize());
      EXPECT_LE(fl_width(control->label()), room_w) << control->label();
      EXPECT_LE(fl_height(), room_h) << control->label();
      ++checked;
    }
  }
  EXPECT_EQ(checked, 8);  // six buttons, two text fields and the label
}

TEST_F(ShellWindow, MutateThreeTimes) { CheckMutateThreeTimes(); }
TEST_F(ShellWindowAtScale2, MutateThreeTimes) { CheckMutateThreeTimes(); }

void ShellWindow::CheckMutateThreeTimes() {
  calls.clear();
  for (int press = 0; press < 3; ++press) Click(34, 31);
  EXPECT_EQ(calls, Regeneration(9837320, 1, 5) + Regeneration(9837320, 2, 5) +
                       Regeneration(9837320, 3, 5));
  EXPECT_EQ(Text(MutateButton), "Mutate: 3");
  EXPECT_EQ(Text(CodeField), "CreateWubble(9837320,3,5,1)");
  EXPECT_EQ(Text(SeedField), "9837320");
}

TEST_F(ShellWindow, TypedDigitsRegenerateAndStayAsTyped) {
  EmptySeedField();
  Type("007");
  EXPECT_EQ(calls, Regeneration(0, 0, 5) + Regeneration(0, 0, 5) + Regeneration(7, 0, 5));
  EXPECT_EQ(Text(SeedField), "007");
  EXPECT_EQ(Text(CodeField), "CreateWubble(7,0,5,1)");
  EXPECT_EQ(Text(MutateButton), "Mutate: 0");
}

TEST_F(ShellWindow, TypedNonDigitsAreRefused) {
  Click(89, 11);
  Keys({"End"});
  calls.clear();
  Type("a-+x ,");
  EXPECT_EQ(Text(SeedField), "9837320");
  EXPECT_TRUE(calls.empty());
}

TEST_F(ShellWindow, TypingResetsTheMutations) {
  Click(34, 31);
  Click(89, 11);
  Keys({"End"});
  calls.clear();
  Type("1");
  EXPECT_EQ(calls, Regeneration(98373201, 0, 5));
  EXPECT_EQ(Text(MutateButton), "Mutate: 0");
}

TEST_F(ShellWindow, PlusStepsFromTheEmptiedField) {
  EmptySeedField();
  Click(152, 11);
  EXPECT_EQ(calls, Regeneration(1, 0, 5));
  EXPECT_EQ(Text(SeedField), "1");
  EXPECT_EQ(Text(CodeField), "CreateWubble(1,0,5,1)");
}

TEST_F(ShellWindow, MinusAndPlusWrapAroundIn32Bits) {
  EmptySeedField();
  Type("0");
  calls.clear();
  Click(134, 11);
  EXPECT_EQ(calls, Regeneration(-1, 0, 5));
  EXPECT_EQ(Text(SeedField), "-1");
  EXPECT_EQ(Text(CodeField), "CreateWubble(-1,0,5,1)");

  EmptySeedField();
  Type("2147483647");
  calls.clear();
  Click(152, 11);
  EXPECT_EQ(calls, Regeneration(INT32_MIN, 0, 5));
  EXPECT_EQ(Text(SeedField), "-2147483648");
  calls.clear();
  Click(134, 11);
  EXPECT_EQ(calls, Regeneration(2147483647, 0, 5));
  EXPECT_EQ(Text(SeedField), "2147483647");
}

TEST_F(ShellWindow, MinusStepsFromTheFieldTextNotTheSeed) {
  Click(34, 31);  // mutations 1, seed unchanged
  Click(89, 11);
  Keys({"End", "BackSpace"});  // "983732": seed 983732
  calls.clear();
  Click(134, 11);
  EXPECT_EQ(calls, Regeneration(983731, 0, 5));
  EXPECT_EQ(Text(SeedField), "983731");
}

TEST_F(ShellWindow, RandomDrawsANonNegativeSeedAndClearsTheMutations) {
  Click(34, 31);
  calls.clear();
  Click(27, 11);
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_GE(shell.seed, 0);
  EXPECT_EQ(calls, Regeneration(shell.seed, 0, 5));
  EXPECT_EQ(Text(SeedField), FormatInt(shell.seed).text);
  EXPECT_EQ(Text(MutateButton), "Mutate: 0");
}

TEST_F(ShellWindow, PlayRestartsWithoutRegenerating) {
  calls.clear();
  Click(177, 11);
  EXPECT_EQ(calls, std::vector<std::string>{"start 1"});
  EXPECT_EQ(Text(CodeField), "CreateWubble(9837320,0,5,1)");
  EXPECT_EQ(Text(MutateButton), "Mutate: 0");
}

// One click on an arrow or in the trough is two notifications: the step or
// page, and the end of the scroll action. Each halts, regenerates, restarts.
std::vector<std::string> TwoNotifications(int32_t volume) {
  std::vector<std::string> one = {"halt 1"};
  one = one + Regeneration(9837320, 0, volume);
  return one + one;
}

TEST_F(ShellWindow, VolumeArrowsAndTroughMoveByOne) { CheckVolumeArrowsAndTrough(); }
TEST_F(ShellWindowAtScale2, VolumeArrowsAndTroughMoveByOne) { CheckVolumeArrowsAndTrough(); }

void ShellWindow::CheckVolumeArrowsAndTrough() {
  calls.clear();
  Click(184, 30);  // right arrow
  EXPECT_EQ(calls, TwoNotifications(6));
  EXPECT_EQ(Text(CodeField), "CreateWubble(9837320,0,6,1)");
  calls.clear();
  Click(100, 30);  // left arrow
  EXPECT_EQ(calls, TwoNotifications(5));
  calls.clear();
  Click(150, 30);  // trough right of the thumb
  EXPECT_EQ(calls, TwoNotifications(6));
  EXPECT_EQ(GetControlState(VolumeBar), 6);
  calls.clear();
  Click(109, 30);  // trough left of the thumb
  EXPECT_EQ(calls, TwoNotifications(5));
  EXPECT_EQ(GetControlState(VolumeBar), 5);
}

TEST_F(ShellWindow, VolumeThumbDragsToTheEndAndStaysThere) { CheckThumbDragToTheEnd(); }
TEST_F(ShellWindowAtScale2, VolumeThumbDragsToTheEndAndStaysThere) { CheckThumbDragToTheEnd(); }

void ShellWindow::CheckThumbDragToTheEnd() {
  std::string w = WindowId();
  calls.clear();
  // The thumb at position 5 spans x 111 to 119.
  Drive({"mousemove", "--window", w, At(115), At(30), "mousedown", "1",
         "mousemove", "--window", w, At(150), At(30), "sleep", "0.05",
         "mousemove", "--window", w, At(200), At(30), "sleep", "0.05", "mouseup", "1"});
  EXPECT_EQ(GetControlState(VolumeBar), 127);
  EXPECT_EQ(Text(CodeField), "CreateWubble(9837320,0,127,1)");
  // At least one move and the two notifications of the release; each one
  // halts and regenerates.
  ASSERT_GE(calls.size(), 9u);
  ASSERT_EQ(calls.size() % 3, 0u);
  int previous = 5;
  for (size_t k = 0; k < calls.size(); k += 3) {
    EXPECT_EQ(calls[k], "halt 1");
    int volume = VolumeOf(calls[k + 1]);
    EXPECT_GT(volume, 5);
    EXPECT_GE(volume, previous);
    previous = volume;
  }
  std::vector<std::string> tail(calls.end() - 6, calls.end());
  EXPECT_EQ(tail, TwoNotifications(127));

  calls.clear();
  Click(184, 30);  // a step right at the end keeps 127 and still regenerates
  EXPECT_EQ(calls, TwoNotifications(127));
  EXPECT_EQ(GetControlState(VolumeBar), 127);
}

// Pasted text in the seed field: the tool's own call text loads all three
// values and makes the sound once; pasted digits go in as typed ones;
// anything else, a call text with a number beyond wubble-render's ranges,
// or digits beyond what the field holds, is refused.
TEST_F(ShellWindow, PasteIntoTheSeedField) {
  struct Case {
    std::string pasted;
    std::string field;  // afterwards
    std::vector<std::string> calls;
    int volume;
  };
  const std::string too_long(32768, '7');
  const Case cases[] = {
      {"CreateWubble(9837319,0,5,1)", "9837319", Regeneration(9837319, 0, 5), 5},
      {" CreateWubble ( -12 ,\t3 , 127 , 7 ) \n", "-12", Regeneration(-12, 3, 127), 127},
      {"CreateWubble(4294967295,2,-5,0)\r\n", "-1", Regeneration(-1, 2, 0), 0},
      {"CreateWubble(1,2147483647,5,1)", "9837320", {}, 5},
      {"CreateWubble(4294967296,0,5,1)", "9837320", {}, 5},
      {"CreateWubble(1,-3,5,1)", "9837320", {}, 5},
      {"CreateWubble(1,0,200,1)", "9837320", {}, 5},
      {"42", "983732042", Regeneration(983732042, 0, 5), 5},
      {"12ab", "9837320", {}, 5},
      {"-5", "9837320", {}, 5},
      {"CreateWubble(1,2,3)", "9837320", {}, 5},
      {"CreateWubble(0,0,0.5,1)", "9837320", {}, 5},
      {"createwubble(1,2,3,1)", "9837320", {}, 5},
      {"CreateWubble(1,2,3,1);", "9837320", {}, 5},
      {too_long, "9837320", {}, 5},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.pasted.substr(0, 40));
    SetControlText(SeedField, "9837320");
    SetControlState(VolumeBar, 5);
    PasteIntoSeedField(c.pasted);
    EXPECT_EQ(calls, c.calls);
    EXPECT_EQ(Text(SeedField), c.field);
    EXPECT_EQ(GetControlState(VolumeBar), c.volume);
  }
  // The call text took the mutation count too, and the code shows it.
  PasteIntoSeedField("CreateWubble(77,4,9,1)");
  EXPECT_EQ(Text(CodeField), "CreateWubble(77,4,9,1)");
  EXPECT_EQ(Text(MutateButton), "Mutate: 4");
}

// A press on the right arrow repeats until the press ends, however it
// ends: released outside the window, or the window unmapped (as when it is
// minimised), which ends its grab of the pointer. The end of the scroll action
// then regenerates once at the bar's position, and nothing follows.
TEST_F(ShellWindow, VolumeRepeatEndsWithThePress) {
  enum Ending { ReleasedOutside, Unmapped };
  for (Ending ending : {ReleasedOutside, Unmapped}) {
    SCOPED_TRACE(ending);
    SetControlState(VolumeBar, 5);
    Drive({"mousemove", "--window", WindowId(), At(184), At(30), "mousedown", "1"});
    ASSERT_TRUE(PassUntil([] { return GetControlState(VolumeBar) >= 8; }, 30)) << "no repeat";
    if (ending == ReleasedOutside) {
      Drive({"mousemove", "1", "1", "mouseup", "1"});
    } else if (ending == Unmapped) {
      XUnmapWindow(clipboard_.display(), window_);
      XSync(clipboard_.display(), False);
      ASSERT_TRUE(PassUntil([&] {
        XWindowAttributes attributes;
        XGetWindowAttributes(fl_display, window_, &attributes);
        return attributes.map_state != IsViewable;
      }, 30));
      Settle();
      EXPECT_TRUE(StaysQuiet()) << "repeats while the button is still down";
      Drive({"mouseup", "1"});
      XMapWindow(clipboard_.display(), window_);
      XSync(clipboard_.display(), False);
      ASSERT_TRUE(PassUntil([&] { return FindClientWindow(fl_display, "ZR-Wubble - Tarsk 08", 0); }, 30));
    }
    Settle();
    EXPECT_TRUE(StaysQuiet()) << "repeats after the release";
    int volume = GetControlState(VolumeBar);
    ASSERT_GE(calls.size(), 3u);
    std::vector<std::string> last(calls.end() - 3, calls.end());
    EXPECT_EQ(last, std::vector<std::string>{"halt 1"} + Regeneration(9837320, 0, volume));
    calls.clear();
  }
}

// A drag whose input piles up while the loop is busy ends where the
// button came up, not at the last motion the loop got to see.
TEST_F(ShellWindow, VolumeDragEndsAtTheRelease) {
  struct Case {
    int via, release;  // x of a motion on the way, and of the release
    int position;      // afterwards; -1: as a drag made slowly to the same x
  };
  const Case cases[] = {{150, 200, 127}, {100, 40, 0}, {130, 150, -1}};
  std::string w = WindowId();
  for (const Case &c : cases) {
    SCOPED_TRACE(c.release);
    int expected = c.position;
    if (expected < 0) {
      SetControlState(VolumeBar, 5);
      Drive({"mousemove", "--window", w, At(115), At(30), "mousedown", "1", "mousemove", "--window",
             w, At(c.via), At(30), "sleep", "0.05", "mousemove", "--window", w, At(c.release),
             At(30), "sleep", "0.05", "mouseup", "1"});
      expected = GetControlState(VolumeBar);
      ASSERT_GT(expected, 5);
      ASSERT_LT(expected, 127);
    }
    SetControlState(VolumeBar, 5);  // the thumb back at x 111 to 119
    calls.clear();
    // The press first: the window manager's click-to-focus grab holds the
    // pointer until it has passed the press on, and a release it still
    // holds would go to it.
    Drive({"mousemove", "--window", w, At(115), At(30), "mousedown", "1"});
    ASSERT_NE(Fl::pushed(), nullptr);
    Drive({"mousemove", "--window", w, At(c.via), At(30), "mousemove", "--window", w,
           At(c.release), At(30), "mouseup", "1"}, true);
    EXPECT_EQ(GetControlState(VolumeBar), expected);
    ASSERT_GE(calls.size(), 6u);
    std::vector<std::string> tail(calls.end() - 6, calls.end());
    EXPECT_EQ(tail, TwoNotifications(expected));
  }
}

// Tab and Shift+Tab visit the buttons and text fields in creation order,
// wrapping around; the label, the scroll bar and the image are passed by.
// Which control has the focus shows in what Space or typing then does.
TEST_F(ShellWindow, TabVisitsButtonsAndFieldsInCreationOrder) {
  calls.clear();
  Keys({"Tab", "space"});  // nothing focused yet: the first, "Random"
  ASSERT_EQ(calls, Regeneration(shell.seed, 0, 5));
  calls.clear();
  Keys({"Tab"});  // the seed field, its text selected
  Type("5");
  EXPECT_EQ(calls, Regeneration(5, 0, 5));
  calls.clear();
  Keys({"Tab", "space"});  // "-"
  EXPECT_EQ(calls, Regeneration(4, 0, 5));
  calls.clear();
  Keys({"Tab", "space"});  // "+"
  EXPECT_EQ(calls, Regeneration(5, 0, 5));
  calls.clear();
  Keys({"Tab", "space"});  // "Play"
  EXPECT_EQ(calls, std::vector<std::string>{"start 1"});
  calls.clear();
  Keys({"Tab", "space"});  // "Mutate"
  EXPECT_EQ(calls, Regeneration(5, 1, 5));
  calls.clear();
  Keys({"Tab"});  // the code field: editable, and changes nothing
  Type("9");
  EXPECT_EQ(Text(CodeField), "9");
  EXPECT_TRUE(calls.empty());
  Keys({"Tab", "space"});  // around to "Random"
  ASSERT_EQ(calls, Regeneration(shell.seed, 0, 5));
  calls.clear();
  Keys({"shift+Tab"});  // back to the code field
  Type("1");
  EXPECT_TRUE(calls.empty());
  Keys({"shift+Tab", "space"});  // back to "Mutate"
  EXPECT_EQ(calls, Regeneration(shell.seed, 1, 5));
}

TEST_F(ShellWindow, CodeFieldLabelAndImageChangeNothing) {
  calls.clear();
  Click(97, kCodeFieldY + 9);
  Keys({"End"});
  Type("00");
  Click(80, 31);  // the label
#ifdef WUBBLE_SCOPE
  Click(97, 74);  // the scope image
#endif
  Click(89, 11);  // focus moves into the seed field and out again
  Click(97, kCodeFieldY + 9);
  EXPECT_TRUE(calls.empty());
  EXPECT_EQ(Text(CodeField), "CreateWubble(9837320,0,5,1)00");
  EXPECT_EQ(Text(SeedField), "9837320");
}

TEST_F(ShellWindow, EscapeDoesNothingAndAltF4EndsTheLoop) {
  calls.clear();
  Keys({"Escape"});
  Click(89, 11);
  Keys({"Escape"});
  EXPECT_FALSE(closed_);
  EXPECT_TRUE(calls.empty());
  XWindowAttributes attributes;
  XGetWindowAttributes(fl_display, window_, &attributes);
  EXPECT_EQ(attributes.map_state, IsViewable);

  Drive({"key", "alt+F4"});
  EXPECT_TRUE(PassUntil([&] { return closed_; }, 5));
  EXPECT_EQ(shell.event, CloseEvent);
  // The window stays until the end sequence destroys it.
  XGetWindowAttributes(fl_display, window_, &attributes);
  EXPECT_EQ(attributes.map_state, IsViewable);
}

#ifdef WUBBLE_SCOPE
TEST_F(ShellWindow, ScopeImageShowsEachPassPictureAtOnce) { CheckScopeImageShowsEachPassPicture(); }
TEST_F(ShellWindowAtScale2, ScopeImageShowsEachPassPictureAtOnce) {
  CheckScopeImageShowsEachPassPicture();
}

// The strip shows the pass's picture, each picture pixel a square block of
// scale x scale screen pixels; the trace shows and moves while a sound plays.
void ShellWindow::CheckScopeImageShowsEachPassPicture() {
  Click(177, 11);  // play from the start
  int with_trace = 0;
  std::vector<uint8_t> first_trace;
  bool moved = false;
  const int w = kScopeWidth * scale_, h = kScopeHeight * scale_;
  double give_up = Now() + 20;
  while (!moved && Now() < give_up) {
    ASSERT_TRUE(RunLoopPass());
    XSync(fl_display, False);
    std::vector<uint8_t> shown = GrabPixels(fl_display, window_, 2 * scale_, 42 * scale_, w, h);
    ASSERT_EQ(shown.size(), size_t(w) * h * 3);
    std::vector<uint8_t> drawn(scope_image.pixels, scope_image.pixels + kScopeBytes);
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        const uint8_t *screen = &shown[(size_t(y) * w + x) * 3];
        const uint8_t *picture = &drawn[(size_t(y / scale_) * kScopeWidth + x / scale_) * 3];
        ASSERT_TRUE(std::equal(screen, screen + 3, picture)) << "at " << x << ", " << y;
      }
    }
    bool white = false;
    for (size_t k = 0; k + 2 < drawn.size() && !white; k += 3) {
      white = drawn[k] == 255 && drawn[k + 1] == 255 && drawn[k + 2] == 255;
    }
    if (!white) {
      // The sound played to its end before the trace moved: play it again.
      if (with_trace > 0) Click(177, 11);
      continue;
    }
    ++with_trace;
    if (first_trace.empty()) {
      first_trace = drawn;
    } else if (drawn != first_trace) {
      moved = true;
    }
  }
  EXPECT_GT(with_trace, 0);
  EXPECT_TRUE(moved);
}

// Counted over one second: a measurement, not a wait. A wait that does not
// sleep runs thousands of passes; one that never wakes, none.
TEST_F(ShellWindow, IdleLoopRunsAboutAHundredPassesASecond) {
  long before = passes_;
  double until = Now() + 1.0;
  PassUntil([&] { return Now() > until; }, 2);
  long per_second = passes_ - before;
  EXPECT_GE(per_second, 20);
  EXPECT_LE(per_second, 150);
}
#endif

}  // namespace
