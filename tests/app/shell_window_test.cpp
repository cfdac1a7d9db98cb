// The shell on its real window, driven by real X input (xdotool, XTEST).
// The test runs the loop passes itself and reads the controls and the
// shell state directly. Link-time wrappers record every CreateWubble,
// StartSound and HaltSound call on its way to the real one. Built twice:
// with WUBBLE_SCOPE against wubble-scope's shell, without against
// wubble-lite's.
#include <gtest/gtest.h>

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Window.H>
#include <FL/fl_draw.H>
#include <FL/x.H>

#include <unistd.h>

#include <cstdio>
#include <cstring>
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

class ShellWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    calls.clear();
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

  // Lets every event already on its way arrive and be handled.
  void Settle() {
    XSync(fl_display, False);
    double until = Now() + 0.15;
    PassUntil([&] { return Now() > until; }, 1);
  }

  // Runs an xdotool command to its end while the loop keeps running.
  void Drive(std::vector<std::string> argv) {
    argv.insert(argv.begin(), "xdotool");
    pid_t pid = Spawn(argv);
    ASSERT_GT(pid, 0);
    int status = -1;
    ASSERT_TRUE(PassUntil([&] { return WaitExit(pid, 0, &status); }, 10)) << argv[1];
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << argv[1];
    Settle();
  }

  static int VolumeOf(const std::string &call) {
    int seed, mutations, volume = -1;
    std::sscanf(call.c_str(), "create %d %d %d", &seed, &mutations, &volume);
    return volume;
  }

  void Click(int x, int y) {
    Drive({"mousemove", "--window", std::to_string(window_), std::to_string(x),
           std::to_string(y), "click", "1"});
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

  Window window_ = 0;
  bool closed_ = false;
  long passes_ = 0;
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

TEST_F(ShellWindow, EveryCaptionFitsItsControl) {
  SetControlText(MutateButton, "Mutate: 999");
  SetControlText(SeedField, "-2147483648");
  Fl_Window *window = Fl::first_window();
  int checked = 0;
  for (int k = 0; k < window->children(); ++k) {
    Fl_Widget *control = window->child(k);
    int room_w = control->w() - Fl::box_dw(control->box());
    int room_h = control->h() - Fl::box_dh(control->box());
    if (Fl_Input *field = dynamic_cast<Fl_Input *>(control)) {
      fl_font(field->textfont(), field->textsize());
      EXPECT_LE(fl_height(), room_h);
      if (field->w() < 100) {
        EXPECT_LE(fl_width(field->value()), room_w - 2);
      }
      ++checked;
    } else if (control->label() != nullptr) {
      fl_font(control->labelfont(), control->labelsize());
      EXPECT_LE(fl_width(control->label()), room_w) << control->label();
      EXPECT_LE(fl_height(), room_h) << control->label();
      ++checked;
    }
  }
  EXPECT_EQ(checked, 8);  // six buttons, two text fields and the label
}

TEST_F(ShellWindow, MutateThreeTimes) {
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

TEST_F(ShellWindow, VolumeArrowsAndTroughMoveByOne) {
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

TEST_F(ShellWindow, VolumeThumbDragsToTheEndAndStaysThere) {
  std::string w = std::to_string(window_);
  calls.clear();
  // The thumb at position 5 spans x 111 to 119.
  Drive({"mousemove", "--window", w, "115", "30", "mousedown", "1",
         "mousemove", "--window", w, "150", "30", "sleep", "0.05",
         "mousemove", "--window", w, "200", "30", "sleep", "0.05", "mouseup", "1"});
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
TEST_F(ShellWindow, ScopeImageShowsEachPassPictureAtOnce) {
  Click(177, 11);  // play from the start
  int with_trace = 0;
  std::vector<uint8_t> first_trace;
  bool moved = false;
  double until = Now() + 1.5;
  while (Now() < until) {
    ASSERT_TRUE(RunLoopPass());
    XSync(fl_display, False);
    std::vector<uint8_t> shown = GrabPixels(fl_display, window_, 2, 42, kScopeWidth, kScopeHeight);
    std::vector<uint8_t> drawn(scope_image.pixels, scope_image.pixels + kScopeBytes);
    ASSERT_EQ(shown, drawn);
    bool white = false;
    for (size_t k = 0; k + 2 < drawn.size() && !white; k += 3) {
      white = drawn[k] == 255 && drawn[k + 1] == 255 && drawn[k + 2] == 255;
    }
    if (!white) continue;
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

TEST_F(ShellWindow, IdleLoopRunsAboutAHundredPassesASecond) {
  long before = passes_;
  double until = Now() + 1.0;
  PassUntil([&] { return Now() > until; }, 2);
  long per_second = passes_ - before;
  // A wait that does not sleep runs thousands; one that never wakes, none.
  EXPECT_GE(per_second, 50);
  EXPECT_LE(per_second, 150);
}
#endif

}  // namespace
