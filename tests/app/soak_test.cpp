// A soak of the real wubble-scope: thousands of randomized real inputs
// (clicks on every control, digits and non-digits typed into the seed field,
// edits of the code field, Tab, Shift+Tab, Escape, volume arrows, trough
// pages and thumb drags, "Play" while a sound plays), then the close box.
// The test keeps its own model of the seed, the mutation count, the volume
// and the two field texts from the inputs it sends, learns what it cannot
// know (the seed "Random" draws, where a page click or a drag leaves the
// thumb) from the code text it copies out of the program, and checks every
// text it reads against the model. The program must never die, must keep
// answering, must not grow by more than 2 MiB of resident memory after its
// first 300 inputs, and must end with status 0.
//
// WUBBLE_SOAK_EVENTS sets the number of inputs (3000), WUBBLE_SOAK_SEED the
// seed of the input sequence (otherwise drawn, and printed).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "program_driver.h"
#include "x_session.h"

namespace {

// Points in wubble-scope's client area.
struct Point {
  int x, y;
};
constexpr Point kRandom = {27, 11}, kSeedField = {89, 11}, kMinus = {134, 11}, kPlus = {152, 11},
                kPlay = {177, 11}, kMutate = {34, 31}, kLabel = {80, 33}, kScope = {97, 74},
                kCodeField = {97, 117};
// The volume bar spans x 92..191 at y 22..38; its arrows are at the ends.
constexpr int kBarY = 30, kLeftArrowX = 95, kRightArrowX = 188;
constexpr int kTrackLeft = 108, kTrackRight = 176;

long EnvNumber(const char *name, long fallback) {
  const char *value = std::getenv(name);
  return value != nullptr && *value != '\0' ? std::strtol(value, nullptr, 10) : fallback;
}

// How the seed field reads a text: blanks and tabs, a sign, digits wrapping
// in 32 bits, up to the first other character.
int32_t ReadSeedText(const std::string &text) {
  size_t at = 0;
  while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == '-' || text[at] == '+')) negative = text[at++] == '-';
  uint32_t value = 0;
  for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
    value = value * 10u + uint32_t(text[at] - '0');
  }
  return int32_t(negative ? 0u - value : value);
}

int32_t Wrap(int64_t value) { return int32_t(uint32_t(uint64_t(value))); }

// What the program should show, from the inputs sent.
struct Model {
  int32_t seed = 9837320;
  int32_t mutations = 0;
  int32_t volume = 5;
  std::string seed_text = "9837320";
  std::string code_text = "CreateWubble(9837320,0,5,1)";
  bool seed_known = true;    // false after "Random" until read back
  bool volume_known = true;  // false after a page click or a drag until read back

  // A refresh step: the code text, and the seed field unless the user typed it.
  void Regenerate(bool rewrite_seed) {
    if (rewrite_seed) seed_text = std::to_string(seed);
    code_text = "CreateWubble(" + std::to_string(seed) + "," + std::to_string(mutations) + "," +
                std::to_string(volume) + ",1)";
  }
  void NewSeed(int32_t value, bool rewrite_seed) {
    seed = value;
    mutations = 0;
    Regenerate(rewrite_seed);
  }
};

class Soak : public ::testing::Test {
 protected:
  void SetUp() override {
    unsigned seed = unsigned(EnvNumber("WUBBLE_SOAK_SEED", long(std::random_device{}() & 0x7fffffff)));
    std::printf("soak: input sequence seed %u (WUBBLE_SOAK_SEED)\n", seed);
    RecordProperty("input_sequence_seed", int(seed));
    random_.seed(seed);
  }

  int Draw(int below) { return std::uniform_int_distribution<int>(0, below - 1)(random_); }

  void Queue(std::vector<std::string> args, int events) {
    for (const std::string &a : args) pending_note_ += (a == "--window" || a == "WINDOW" ? "" : a + " ");
    batch_.insert(batch_.end(), args.begin(), args.end());
    events_ += events;
  }
  // The last inputs and what the model made of them, for a failure report.
  void Note() {
    history_.push_back(pending_note_ + "=> " + model_.code_text + " [" + model_.seed_text + "]" +
                       (model_.seed_known ? "" : " seed?") + (model_.volume_known ? "" : " volume?"));
    pending_note_.clear();
    if (history_.size() > 12) history_.erase(history_.begin());
  }
  std::string History() const {
    std::string all = "\nlast inputs, each with the model after it:\n" + pending_note_ + "\n";
    for (const std::string &h : history_) all += "  " + h + "\n";
    return all;
  }
  std::vector<std::string> ClickAt(int x, int y) {
    return {"mousemove", "--window", "WINDOW", std::to_string(x), std::to_string(y), "click", "--delay", "0", "1"};
  }
  std::vector<std::string> ClickAt(Point p) { return ClickAt(p.x, p.y); }

  // Sends what is queued; the program must still be running afterwards.
  void Flush() {
    if (batch_.empty()) return;
    ASSERT_TRUE(driver_.Xdotool(batch_)) << "xdotool failed";
    batch_.clear();
    ASSERT_TRUE(driver_.Running()) << "the program died, wait status " << driver_.exit_status()
                                   << "; its output:\n" << driver_.Output();
  }

  void SettleOrFail() {
    Flush();
    ASSERT_TRUE(driver_.Settle()) << "the program stopped answering";
  }

  // Copies the code text out of the program and checks it against the
  // model, learning the seed or the volume where the model cannot know it.
  void CheckCodeText() {
    if (!pending_note_.empty()) Note();
    Flush();
    std::string text;
    ASSERT_TRUE(driver_.ReadField(kCodeField.x, kCodeField.y, &text)) << "no copy of the code text";
    reads_ += 3;
    if (model_.seed_known && model_.volume_known) {
      ASSERT_EQ(text, model_.code_text) << "after " << events_ << " inputs" << History();
      return;
    }
    long long seed = 0, mutations = 0, volume = 0;
    int end = 0;
    std::sscanf(text.c_str(), "CreateWubble(%lld,%lld,%lld,1)%n", &seed, &mutations, &volume, &end);
    ASSERT_TRUE(end > 0 && size_t(end) == text.size()) << "not a code text: " << text;
    if (!model_.seed_known) {
      // "Random" draws a seed in 0..2147483647 and clears the mutations.
      ASSERT_GE(seed, 0);
      ASSERT_LE(seed, 2147483647);
      model_.seed = int32_t(seed);
      model_.seed_known = true;
      ++randoms_read_;
    }
    if (!model_.volume_known) {
      ASSERT_GE(volume, 0);
      ASSERT_LE(volume, 127);
      model_.volume = int32_t(volume);
      model_.volume_known = true;
    }
    ASSERT_EQ(mutations, model_.mutations) << text << History();
    model_.Regenerate(true);
    ASSERT_EQ(text, model_.code_text) << History();
  }

  void CheckSeedText() {
    Flush();
    std::string text;
    ASSERT_TRUE(driver_.ReadField(kSeedField.x, kSeedField.y, &text)) << "no copy of the seed text";
    reads_ += 3;
    ASSERT_EQ(text, model_.seed_text) << "after " << events_ << " inputs" << History();
  }

  // Digits, BackSpace and refused characters typed at the end of the seed
  // field; every change of its text regenerates with the text kept.
  void TypeIntoSeedField() {
    std::vector<std::string> keys = {"End"};
    int count = 1 + Draw(4);
    for (int k = 0; k < count; ++k) {
      int kind = Draw(10);
      if (kind < 6) {
        int digit = Draw(10);
        keys.push_back(std::to_string(digit));
        model_.seed_text += char('0' + digit);
      } else if (kind < 8 || model_.seed_text.size() > 12) {
        keys.push_back("BackSpace");
        if (model_.seed_text.empty()) continue;  // nothing changes, nothing is reported
        model_.seed_text.pop_back();
      } else {
        static const char *const kRefused[] = {"a", "x", "minus", "plus", "space", "period", "slash"};
        keys.push_back(kRefused[Draw(7)]);
        continue;
      }
      model_.NewSeed(ReadSeedText(model_.seed_text), false);
    }
    std::vector<std::string> args = ClickAt(kSeedField);
    args.insert(args.end(), {"key", "--delay", "1"});
    args.insert(args.end(), keys.begin(), keys.end());
    Queue(args, int(keys.size()) + 1);
  }

  // Typing into the code field changes its text and nothing else.
  void EditCodeField() {
    static const struct {
      const char *key;
      char c;
    } kKeys[] = {{"a", 'a'}, {"z", 'z'}, {"1", '1'}, {"comma", ','}, {"parenright", ')'}, {"BackSpace", 0}};
    std::vector<std::string> args = ClickAt(kCodeField);
    args.insert(args.end(), {"key", "--delay", "1", "End"});
    int count = 1 + Draw(3);
    for (int k = 0; k < count; ++k) {
      const auto &key = kKeys[Draw(6)];
      args.push_back(key.key);
      if (key.c != 0) {
        model_.code_text += key.c;
      } else if (!model_.code_text.empty()) {
        model_.code_text.pop_back();
      }
    }
    Queue(args, count + 2);
  }

  // A click on an arrow: one step and the end of the scroll action, each
  // one regeneration. Sent on its own to a settled program, so that the
  // press and the release are never far enough apart to auto-repeat.
  void StepVolume(int direction) {
    SettleOrFail();
    model_.volume = std::min(127, std::max(0, model_.volume + direction));
    model_.Regenerate(true);
    Queue(ClickAt(direction < 0 ? kLeftArrowX : kRightArrowX, kBarY), 1);
    Flush();
  }

  // A click in the trough pages by one toward the pointer (or, on the
  // thumb, only ends the scroll action); a drag moves the thumb anywhere.
  // Where it ends is read back.
  void PageOrDragVolume(bool drag) {
    SettleOrFail();
    model_.volume_known = false;
    if (!drag) {
      Queue(ClickAt(kTrackLeft + Draw(kTrackRight - kTrackLeft), kBarY), 1);
    } else {
      int from = kTrackLeft + (kTrackRight - kTrackLeft) * model_.volume / 127;
      std::vector<std::string> args = {"mousemove", "--window", "WINDOW", std::to_string(from),
                                       std::to_string(kBarY), "mousedown", "1"};
      int steps = 2 + Draw(4);
      for (int k = 0; k < steps; ++k) {
        int x = 80 + Draw(130);  // past both ends at times
        args.insert(args.end(), {"mousemove", "--window", "WINDOW", std::to_string(x), std::to_string(kBarY)});
      }
      args.insert(args.end(), {"mouseup", "1"});
      Queue(args, steps + 2);
    }
    CheckCodeText();
  }

  void OneAction() {
    int choice = Draw(100);
    if (choice < 12) {
      Queue(ClickAt(kMutate), 1);
      model_.mutations = Wrap(int64_t(model_.mutations) + 1);
      model_.Regenerate(true);
    } else if (choice < 20) {
      Queue(ClickAt(kPlus), 1);
      model_.NewSeed(Wrap(int64_t(ReadSeedText(model_.seed_text)) + 1), true);
    } else if (choice < 28) {
      Queue(ClickAt(kMinus), 1);
      model_.NewSeed(Wrap(int64_t(ReadSeedText(model_.seed_text)) - 1), true);
    } else if (choice < 32) {
      Queue(ClickAt(kRandom), 1);
      model_.mutations = 0;
      model_.seed_known = false;
      CheckCodeText();
    } else if (choice < 42) {
      Queue(ClickAt(kPlay), 1);  // the sound of the last regeneration is playing
    } else if (choice < 58) {
      TypeIntoSeedField();
    } else if (choice < 63) {
      EditCodeField();
    } else if (choice < 67) {
      Queue(ClickAt(Draw(2) ? kLabel : kScope), 1);
    } else if (choice < 75) {
      static const char *const kKeys[] = {"Tab", "shift+Tab", "Escape"};
      Queue({"key", "--delay", "1", kKeys[Draw(3)]}, 1);
    } else if (choice < 87) {
      StepVolume(Draw(2) ? 1 : -1);
    } else if (choice < 94) {
      PageOrDragVolume(false);
    } else {
      PageOrDragVolume(true);
    }
    if (!pending_note_.empty()) Note();
    if (batch_.size() > 60) Flush();
  }

  ProgramDriver driver_;
  std::mt19937 random_;
  Model model_;
  std::vector<std::string> batch_;
  std::vector<std::string> history_;
  std::string pending_note_;
  long events_ = 0;  // randomized inputs sent: clicks, keys, drag steps
  long reads_ = 0;   // inputs spent on copying texts out
  long randoms_read_ = 0;
};

TEST_F(Soak, ScopeTakesThousandsOfRandomInputs) {
  const long wanted = EnvNumber("WUBBLE_SOAK_EVENTS", 3000);
  const double budget = double(EnvNumber("WUBBLE_SOAK_SECONDS", 900));
  ASSERT_TRUE(driver_.Start(WUBBLE_SCOPE_PROGRAM));
  const double start = Now();
  // The first pass made the start-up sound.
  CheckCodeText();

  const long check_every = EnvNumber("WUBBLE_SOAK_CHECK_EVERY", 50);
  long rss_after_300 = -1, rss_peak = 0, next_check = check_every;
  while (events_ < wanted) {
    ASSERT_LT(Now() - start, budget) << "only " << events_ << " inputs in " << budget << " s";
    OneAction();
    if (HasFatalFailure()) return;
    if (rss_after_300 < 0 && events_ >= 300) {
      SettleOrFail();
      rss_after_300 = driver_.ResidentKb();
    }
    if (events_ >= next_check) {
      CheckCodeText();
      if (check_every < 50 || next_check % 200 < 50) CheckSeedText();
      if (HasFatalFailure()) return;
      long rss = driver_.ResidentKb();
      rss_peak = std::max(rss_peak, rss);
      next_check = events_ + check_every;
    }
  }
  CheckCodeText();
  CheckSeedText();
  if (HasFatalFailure()) return;
  SettleOrFail();
  const long rss_end = driver_.ResidentKb();
  rss_peak = std::max(rss_peak, rss_end);
  const double seconds = Now() - start;

  int status = -1;
  const bool clean_exit = driver_.CloseAndExit(30, &status);
  std::printf("soak: %ld randomized inputs (and %ld more to copy texts out, %ld random seeds read) "
              "in %.1f s; resident memory after 300 inputs %ld KiB, at the end %ld KiB (peak %ld KiB); "
              "final code text %s; wait status %d\n",
              events_, reads_, randoms_read_, seconds, rss_after_300, rss_end, rss_peak,
              model_.code_text.c_str(), status);
  RecordProperty("inputs", int(events_));
  RecordProperty("rss_after_300_kib", int(rss_after_300));
  RecordProperty("rss_end_kib", int(rss_end));
  ASSERT_GT(rss_after_300, 0);
#ifndef WUBBLE_SANITIZED_PROGRAM
  EXPECT_LE(rss_end - rss_after_300, 2048) << "resident memory grew by more than 2 MiB";
#else
  // AddressSanitizer keeps freed memory in quarantine, so resident memory
  // tells nothing here; LeakSanitizer checks the program as it exits, and
  // a leak would show in the exit status.
#endif
  EXPECT_TRUE(clean_exit) << "wait status " << status << "; output:\n" << driver_.Output();
}

}  // namespace
