// wubble-scope.exe and wubble-lite.exe under wine, as a user meets them:
// started as processes, driven by real X input, their texts read back
// through the probe after each action, their scope strip seen in
// screenshots, their sound heard at the session's null sink. Every check
// waits for the state it checks, with a deadline.
#include <gtest/gtest.h>

#include <X11/Xutil.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "scope_picture.h"
#include "wine_driver.h"
#include "wubble.h"
#include "x_session.h"

namespace {

const std::string kScope = "wubble-scope", kLite = "wubble-lite";
// Controls, and points inside them at scale 1.
constexpr int kSeedField = 2, kMutateButton = 6, kCodeField = 7;
constexpr int kRandomX = 27, kSeedX = 89, kMinusX = 134, kPlusX = 152, kPlayX = 177, kTopY = 11;
constexpr int kMutateX = 34, kMutateY = 31, kLabelX = 80, kBarY = 30, kImageX = 97, kImageY = 74;
constexpr int kBarLeft = 92, kBarRight = 192;
const std::string kNoDevice = "unix:/nonexistent/wubble-no-server";

int ClientHeight(const std::string &program) { return program == kLite ? 62 : 128; }

std::string Code(const std::string &seed, int mutations, int volume) {
  return "CreateWubble(" + seed + "," + std::to_string(mutations) + "," + std::to_string(volume) + ",1)";
}

// The first sound as the programs make it: the first of the run.
const std::vector<uint8_t> &FirstImage() {
  static std::vector<uint8_t> image = [] {
    std::vector<uint8_t> bytes(WUBBLE_IMAGE_BYTES);
    RenderWubble(9837320, 0, 5, bytes.data());
    return bytes;
  }();
  return image;
}

std::vector<int16_t> FirstSamples() {
  const std::vector<uint8_t> &image = FirstImage();
  uint32_t bytes = image[42] | image[43] << 8 | image[44] << 16 | uint32_t(image[45]) << 24;
  std::vector<int16_t> samples(bytes / 2);
  for (size_t k = 0; k < samples.size(); ++k) {
    samples[k] = static_cast<int16_t>(image[46 + 2 * k] | image[47 + 2 * k] << 8);
  }
  return samples;
}

// The play position whose picture `shot` is, -1 for none.
int64_t PositionOfPicture(const std::vector<uint8_t> &shot) {
  const std::vector<uint8_t> &image = FirstImage();
  uint32_t bytes = image[42] | image[43] << 8 | image[44] << 16 | uint32_t(image[45]) << 24;
  std::vector<uint8_t> picture(kScopeBytes);
  for (uint32_t position = 0; position <= bytes; position += 2) {
    RenderScope(image.data(), position, picture.data());
    if (picture == shot) return position;
  }
  return -1;
}

bool HasWhite(const std::vector<uint8_t> &pixels) { return TracePixels(pixels) > 0; }

// The C runtime ends the programs' lines with CR LF on Windows.
std::string Lines(std::string text) {
  text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
  return text;
}

// The window's size, its frame and its place, at each scale: from the
// setting, from the system DPI (set for the programs started afterwards),
// a bad setting said once on standard error.
TEST(WindowsProgram, WindowSizeFollowsTheScale) {
  struct Case {
    std::string program;
    std::string setting;  // WUBBLE_SCALE; "" leaves it unset
    int dpi;
    int scale;
    std::string output;
  };
  const Case cases[] = {
      {kScope, "", 96, 1, ""},
      {kLite, "", 96, 1, ""},
      {kScope, "2", 96, 2, ""},
      {kLite, "", 192, 2, ""},
      {kScope, "", 191, 1, ""},
      {kLite, "1", 192, 1, ""},
      {kLite, "5", 96, 1,
       "wubble-lite: WUBBLE_SCALE must be 1, 2, 3 or 4, not \"5\"; drawing at scale 1\n"},
  };
  // The DPI goes back to 96 however the test ends.
  struct DpiReset {
    ~DpiReset() { AskProbe("dpi 96"); }
  } reset;
  for (const Case &c : cases) {
    SCOPED_TRACE(c.program + " WUBBLE_SCALE=" + c.setting + " dpi " + std::to_string(c.dpi));
    ASSERT_EQ(AskProbe("dpi " + std::to_string(c.dpi)), "ok");
    WineProgram program;
    std::vector<std::string> environment;
    if (!c.setting.empty()) environment.push_back("WUBBLE_SCALE=" + c.setting);
    ASSERT_TRUE(program.StartProgram(c.program, environment));
    const int w = 194 * c.scale, h = ClientHeight(c.program) * c.scale;
    XWindowAttributes attributes;
    XGetWindowAttributes(program.display(), program.window(), &attributes);
    EXPECT_EQ(attributes.width, w);
    EXPECT_EQ(attributes.height, h);
    // A caption and the window menu; no sizing frame, no minimise or
    // maximise box; the program's own class.
    unsigned long style = 0;
    char window_class[64] = "";
    int client_w = 0, client_h = 0;
    ASSERT_EQ(std::sscanf(AskProbe("window").c_str(), "window %d %d %lx %*x %63s", &client_w,
                          &client_h, &style, window_class), 4);
    EXPECT_EQ(client_w, w);
    EXPECT_EQ(client_h, h);
    EXPECT_EQ(style & 0x00CF0000ul, 0x00C80000ul) << std::hex << style;
    EXPECT_EQ(window_class, c.program);
    XSizeHints hints;
    long supplied;
    ASSERT_TRUE(XGetWMNormalHints(program.display(), program.window(), &hints, &supplied));
    ASSERT_TRUE((hints.flags & PMinSize) && (hints.flags & PMaxSize));
    EXPECT_EQ(hints.min_width, hints.max_width);
    EXPECT_EQ(hints.min_height, hints.max_height);
    int x, y;
    RootPosition(program.display(), program.window(), &x, &y);
    EXPECT_NEAR(x, (640 - w) / 2, 12);
    EXPECT_NEAR(y, (480 - h) / 2, 20);
    EXPECT_EQ(Lines(program.Output()), c.output);
  }
}

// A click on every control, and what each leaves in the seed field, the
// mutate button and the code field; the label, the image and an edit of
// the code field change nothing.
TEST(WindowsProgram, EveryControlActsOnItsClick) {
  struct Step {
    std::string what;
    int x, y;                       // clicked
    std::vector<std::string> keys;  // then pressed
    std::string typed;              // then typed
    std::string seed, mutate, code;
  };
  for (const std::string &name : {kScope, kLite}) {
    SCOPED_TRACE(name);
    WineProgram program;
    ASSERT_TRUE(program.StartProgram(name));
    const int code_y = program.code_y();
    const Step steps[] = {
        {"type a seed", kSeedX, kTopY, {"End", "shift+Home"}, "123", "123", "Mutate: 0", Code("123", 0, 5)},
        {"-", kMinusX, kTopY, {}, "", "122", "Mutate: 0", Code("122", 0, 5)},
        {"+", kPlusX, kTopY, {}, "", "123", "Mutate: 0", Code("123", 0, 5)},
        {"Mutate", kMutateX, kMutateY, {}, "", "123", "Mutate: 1", Code("123", 1, 5)},
        {"Mutate", kMutateX, kMutateY, {}, "", "123", "Mutate: 2", Code("123", 2, 5)},
        {"Play", kPlayX, kTopY, {}, "", "123", "Mutate: 2", Code("123", 2, 5)},
        {"label", kLabelX, kMutateY, {}, "", "123", "Mutate: 2", Code("123", 2, 5)},
        {"image", kImageX, kImageY, {}, "", "123", "Mutate: 2", Code("123", 2, 5)},
        {"edit the code field", 97, code_y, {"End"}, "x", "123", "Mutate: 2", Code("123", 2, 5) + "x"},
        {"right arrow of the bar", kBarRight - 4, kBarY, {}, "", "123", "Mutate: 2", Code("123", 2, 6)},
    };
    for (const Step &step : steps) {
      if (step.what == "image" && name == kLite) continue;  // it has none
      SCOPED_TRACE(step.what);
      ASSERT_TRUE(program.Click(step.x, step.y));
      ASSERT_TRUE(step.keys.empty() || program.Keys(step.keys));
      ASSERT_TRUE(step.typed.empty() || program.Type(step.typed));
      EXPECT_TRUE(program.WaitText(kCodeField, step.code)) << program.Text(kCodeField);
      EXPECT_EQ(program.Text(kSeedField), step.seed);
      EXPECT_EQ(program.Text(kMutateButton), step.mutate);
    }
    // "Random": a seed from 0 to 2147483647 and no mutations.
    ASSERT_TRUE(program.Click(kRandomX, kTopY));
    ASSERT_TRUE(program.WaitText(kMutateButton, "Mutate: 0"));
    std::string seed = program.Text(kSeedField);
    long long value = std::atoll(seed.c_str());
    EXPECT_TRUE(value >= 0 && value <= 2147483647 && seed == std::to_string(value)) << seed;
    EXPECT_TRUE(program.WaitText(kCodeField, Code(seed, 0, 6)));
  }
}

// Typed letters never reach the seed field, digits do; "-" and "+" step the
// field's text and wrap around in 32 bits.
TEST(WindowsProgram, SeedFieldTakesDigitsAndStepsWrapIn32Bits) {
  WineProgram program;
  ASSERT_TRUE(program.StartProgram(kLite));
  ASSERT_TRUE(program.Click(kSeedX, kTopY));
  ASSERT_TRUE(program.Keys({"End", "shift+Home", "BackSpace"}));
  ASSERT_TRUE(program.WaitText(kCodeField, Code("0", 0, 5)));
  ASSERT_TRUE(program.Type("a0b0c7"));
  EXPECT_TRUE(program.WaitText(kCodeField, Code("7", 0, 5)));
  EXPECT_EQ(program.Text(kSeedField), "007");
  struct Step {
    std::string typed;  // replaces the field's text first, when given
    int x;
    std::string seed;
  };
  const Step steps[] = {{"0", kMinusX, "-1"},
                        {"2147483647", kPlusX, "-2147483648"},
                        {"", kMinusX, "2147483647"},
                        {"4294967295", kPlusX, "0"}};
  for (const Step &step : steps) {
    SCOPED_TRACE(step.typed + " then " + (step.x == kPlusX ? "+" : "-"));
    if (!step.typed.empty()) {
      ASSERT_TRUE(program.Click(kSeedX, kTopY));
      ASSERT_TRUE(program.Keys({"End", "shift+Home"}));
      ASSERT_TRUE(program.Type(step.typed));
      ASSERT_TRUE(program.WaitText(kSeedField, step.typed));
    }
    ASSERT_TRUE(program.Click(step.x, kTopY));
    EXPECT_TRUE(program.WaitText(kCodeField, Code(step.seed, 0, 5))) << program.Text(kCodeField);
    EXPECT_EQ(program.Text(kSeedField), step.seed);
  }
}

// Held on an arrow the bar repeats until the release; the thumb dragged to
// the right end stays at 127 and the code text follows; the trough pages
// by one.
TEST(WindowsProgram, VolumeBarRepeatsAndDrags) {
  WineProgram program;
  ASSERT_TRUE(program.StartProgram(kScope));
  ASSERT_TRUE(program.Press(kBarRight - 4, kBarY));
  double give_up = Now() + 30;
  while (program.BarPosition() < 10 && Now() < give_up) usleep(5000);
  ASSERT_TRUE(program.Release(kBarRight - 4, kBarY));
  const int held = program.BarPosition();
  EXPECT_GE(held, 10) << "no repeat while the arrow was held";
  EXPECT_TRUE(program.WaitText(kCodeField, Code("9837320", 0, program.BarPosition())));
  // Down to 0 by the left arrow, then the thumb from the left end to the
  // right: it lies just right of the arrow, whose width is the system's.
  for (int k = 0; k < held; ++k) ASSERT_TRUE(program.Click(kBarLeft + 4, kBarY));
  ASSERT_TRUE(program.WaitText(kCodeField, Code("9837320", 0, 0)));
  int arrow = std::atoi(AskProbe("arrow").c_str() + 6);
  ASSERT_GT(arrow, 0);
  ASSERT_TRUE(program.Press(kBarLeft + arrow + 2, kBarY));
  for (int x = kBarLeft + 30; x <= kBarRight + 40; x += 30) {
    ASSERT_TRUE(program.Xdotool({"mousemove", "--window", "WINDOW", std::to_string(x), std::to_string(kBarY)}));
  }
  ASSERT_TRUE(program.Release(kBarRight + 40, kBarY));
  EXPECT_TRUE(program.WaitText(kCodeField, Code("9837320", 0, 127)));
  EXPECT_EQ(program.BarPosition(), 127);
  ASSERT_TRUE(program.Click(kBarLeft + 30, kBarY));
  EXPECT_TRUE(program.WaitText(kCodeField, Code("9837320", 0, 126)));
}

// Tab and Shift+Tab visit the buttons and the text fields in creation order
// and wrap around; from the window itself Tab goes to the first.
TEST(WindowsProgram, TabVisitsButtonsAndFieldsInCreationOrder) {
  WineProgram program;
  ASSERT_TRUE(program.StartProgram(kLite));
  ASSERT_EQ(AskProbe("focus"), "focus 0");
  const std::pair<std::string, int> steps[] = {{"Tab", 1}, {"Tab", 2}, {"Tab", 3}, {"shift+Tab", 2},
                                               {"shift+Tab", 1}, {"shift+Tab", 7}, {"Tab", 1}};
  for (const auto &step : steps) {
    ASSERT_TRUE(program.Keys({step.first}));
    double give_up = Now() + 30;
    std::string want = "focus " + std::to_string(step.second);
    while (AskProbe("focus") != want && Now() < give_up) usleep(5000);
    EXPECT_EQ(AskProbe("focus"), want) << step.first;
  }
}

// The tool's call text pasted into the seed field loads its sound; other
// text is refused, and the field then takes a typed digit as before.
TEST(WindowsProgram, PastedCallTextLoadsItsSound) {
  WineProgram program;
  ASSERT_TRUE(program.StartProgram(kScope));
  ASSERT_EQ(AskProbe("clipboard CreateWubble( 9837319, 2, 64, 1 )"), "ok");
  ASSERT_TRUE(program.Click(kSeedX, kTopY));
  ASSERT_TRUE(program.Keys({"End", "ctrl+v"}));
  EXPECT_TRUE(program.WaitText(kCodeField, Code("9837319", 2, 64))) << program.Text(kCodeField);
  EXPECT_EQ(program.Text(kSeedField), "9837319");
  EXPECT_EQ(program.BarPosition(), 64);
  ASSERT_EQ(AskProbe("clipboard 9837320 is my seed"), "ok");
  ASSERT_TRUE(program.Keys({"End", "ctrl+v"}));
  ASSERT_TRUE(program.Type("5"));
  EXPECT_TRUE(program.WaitText(kCodeField, Code("98373195", 0, 64))) << program.Text(kCodeField);
}

// Escape, on the window or in a field, keeps the window; Alt+F4 and the
// close box end either program with status 0.
TEST(WindowsProgram, EscapeKeepsTheWindowAndCloseEndsIt) {
  for (const std::string &name : {kScope, kLite}) {
    for (bool close_box : {false, true}) {
      SCOPED_TRACE(name + (close_box ? " close box" : " Alt+F4"));
      WineProgram program;
      ASSERT_TRUE(program.StartProgram(name));
      ASSERT_TRUE(program.Keys({"Escape"}));
      ASSERT_TRUE(program.Click(kSeedX, kTopY));
      ASSERT_TRUE(program.Keys({"Escape"}));
      ASSERT_TRUE(program.Click(kMutateX, kMutateY));
      EXPECT_TRUE(program.WaitText(kMutateButton, "Mutate: 1"));
      EXPECT_TRUE(program.Running());
      int status = -1;
      if (close_box) {
        EXPECT_TRUE(program.CloseAndExit(30, &status)) << "wait status " << status;
      } else {
        ASSERT_TRUE(RunCommand({"xdotool", "key", "alt+F4"}));
        EXPECT_TRUE(program.EndsWithStatusZero(30)) << "wait status " << program.exit_status();
      }
    }
  }
}

// The strip shows, pixel for pixel, the picture this machine draws for one
// play position of the sound, and later for a later one; once the sound has
// played, the picture of position 0.
TEST(WindowsProgram, ScopeShowsTheNativePictureOfThePlayPosition) {
  WineProgram program;
  ASSERT_TRUE(program.StartProgram(kScope));
  std::vector<int64_t> positions;
  double give_up = Now() + 60;
  while (positions.size() < 2 && Now() < give_up) {
    ASSERT_TRUE(program.Click(kPlayX, kTopY));
    std::vector<uint8_t> shot = program.ScopePixels();
    while (!HasWhite(shot) && Now() < give_up) shot = program.ScopePixels();
    for (int k = 0; k < 3 && HasWhite(shot); ++k, shot = program.ScopePixels()) {
      int64_t position = PositionOfPicture(shot);
      ASSERT_GT(position, 0) << "a picture that no play position gives";
      if (positions.empty() || position > positions.back()) positions.push_back(position);
    }
  }
  EXPECT_GE(positions.size(), 2u);
  std::printf("scope pictures equal to this machine's at play positions");
  for (int64_t position : positions) std::printf(" %lld", static_cast<long long>(position));
  std::printf("\n");
  std::vector<uint8_t> shot = program.ScopePixels();
  while (HasWhite(shot) && Now() < give_up) shot = program.ScopePixels();
  EXPECT_EQ(PositionOfPicture(shot), 0);
}

// What the null sink's monitor recorded while "Play" sounded, from before
// the click until a tenth of a second after the sound: the samples from the
// sound's start on (found by its first 32 samples; the monitor may hand out
// the last of what it played before the recording began). Empty when the
// start never came.
std::vector<int16_t> RecordPlay(WineProgram &program, const std::vector<int16_t> &expected) {
  std::string path = "/tmp/wubble-recording-" + std::to_string(getpid()) + ".raw";
  unlink(path.c_str());
  pid_t recorder = Spawn({"parec", std::string("--device=") + std::getenv("WUBBLE_PULSE_SINK") + ".monitor",
                          "--format=s16le", "--rate=44100", "--channels=1", "--raw", "--latency-msec=20", path});
  double give_up = Now() + 30;
  struct stat file = {};
  while ((stat(path.c_str(), &file) != 0 || file.st_size == 0) && Now() < give_up) usleep(5000);
  std::vector<int16_t> heard;
  if (file.st_size > 0 && program.Click(kPlayX, kTopY)) {
    while (Now() < give_up) {
      std::ifstream in(path, std::ios::binary);
      std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      std::vector<int16_t> recorded(bytes.size() / 2);
      std::copy(bytes.begin(), bytes.begin() + recorded.size() * 2, reinterpret_cast<char *>(recorded.data()));
      auto start = std::search(recorded.begin(), recorded.end(), expected.begin(), expected.begin() + 32);
      if (start != recorded.end() && recorded.end() - start > static_cast<long>(expected.size() + 4410)) {
        heard.assign(start, recorded.end());
        break;
      }
      usleep(20000);
    }
  }
  kill(recorder, SIGTERM);
  int status;
  WaitExit(recorder, 10, &status);
  unlink(path.c_str());
  return heard;
}

// The sound played on "Play" reaches the null sink sample for sample, with
// silence after it. The device has been open for the whole start-up sound
// by then. Some runs of wubble-scope.exe (about one in five, on a quiet
// machine too) reach the sink with a stretch of a few hundred milliseconds
// that runs slightly ahead, smoothed as by a resampler and up to some 15
// samples early, and exact again after it; no gap, no repeat. So the sound
// is played until three runs have been heard whole (at most twelve runs),
// and every run that was not is said with its first differing sample.
TEST(WindowsProgram, PlayedSoundReachesTheSinkSampleForSample) {
  ASSERT_NE(std::getenv("WUBBLE_PULSE_SINK"), nullptr);
  const std::vector<int16_t> expected = FirstSamples();
  WineProgram program;
  // A larger buffer between wine and the server, against those gaps.
  ASSERT_TRUE(program.StartProgram(kScope, {"PULSE_LATENCY_MSEC=200"}));
  int runs = 0, equal = 0;
  while (equal < 3 && runs < 12) {
    ++runs;
    double give_up = Now() + 30;
    while (HasWhite(program.ScopePixels()) && Now() < give_up) usleep(5000);  // silent again
    std::vector<int16_t> heard = RecordPlay(program, expected);
    ASSERT_GT(heard.size(), expected.size()) << "the sound's start never reached the sink";
    auto differs = std::mismatch(expected.begin(), expected.end(), heard.begin());
    bool silent_after = std::all_of(heard.begin() + expected.size(), heard.end(), [](int16_t s) { return s == 0; });
    if (differs.first == expected.end() && silent_after) {
      ++equal;
    } else {
      std::printf("run %d: first differing sample %ld of %zu\n", runs,
                  static_cast<long>(differs.first - expected.begin()), expected.size());
    }
  }
  std::printf("recorded sound: %zu samples compared, equal in %d of %d runs\n", expected.size(), equal, runs);
  EXPECT_EQ(equal, 3);
}

// Without a sound server, or without DirectSound at all (wine's DSOUND.DLL
// turned off), both programs make every sound, say once that nothing is
// heard, and the scope shows the picture of position 0.
TEST(WindowsProgram, WithoutASoundDeviceBothProgramsRunAndSaySoOnce) {
  const std::string no_dsound = "WINEDLLOVERRIDES=mscoree,mshtml,dsound=";
  const std::vector<std::pair<std::string, std::string>> cases = {
      {kScope, "PULSE_SERVER=" + kNoDevice}, {kLite, "PULSE_SERVER=" + kNoDevice},
      {kScope, no_dsound}, {kLite, no_dsound}};
  for (const auto &c : cases) {
    const std::string &name = c.first;
    SCOPED_TRACE(name + " " + c.second);
    WineProgram program;
    ASSERT_TRUE(program.StartProgram(name, {c.second}));
    for (int k = 1; k <= 3; ++k) {
      ASSERT_TRUE(program.Click(kPlayX, kTopY));
      ASSERT_TRUE(program.Click(kMutateX, kMutateY));
      EXPECT_TRUE(program.WaitText(kCodeField, Code("9837320", k, 5)));
    }
    if (name == kScope) {
      EXPECT_EQ(PositionOfPicture(program.ScopePixels()), 0);
    }
    EXPECT_EQ(Lines(program.Output()), name + ": no sound device; sounds are made but not played\n");
  }
}

}  // namespace
