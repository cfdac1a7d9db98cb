// Drives a built program from outside, as a user would: real X input through
// xdotool, the code and seed texts read back by copying them to the
// clipboard (Ctrl+A, Ctrl+C in the field), text pasted from the clipboard,
// the scope's pixels, its resident memory, and its exit status. Positions
// are given at scale 1 and doubled for a window drawn at scale 2 (learnt
// from its width). Needs the X session of gui_test_main.
#pragma once
#include <sys/types.h>

#include <X11/Xlib.h>

#include <string>
#include <utility>
#include <vector>

class ProgramDriver {
 public:
  ProgramDriver();
  ~ProgramDriver();  // kills the program if it still runs

  // Starts `path` with `environment` (NAME=value) added, its output going to
  // a file, and waits until its window is up and has the focus and its loop
  // has answered.
  bool Start(const std::string &path, const std::vector<std::string> &environment = {});
  // The same up to the answer: the command `argv` started, its window up
  // and focused.
  bool Launch(const std::vector<std::string> &argv, const std::vector<std::string> &environment);

  // Runs one xdotool command line; "WINDOW" in an argument stands for the
  // program's window. Returns once the X server has carried out all of it.
  // False when xdotool failed or timed out.
  bool Xdotool(std::vector<std::string> args);
  // A left click at a point of the client area.
  bool Click(int x, int y);

  // Offers `text` on the clipboard, pastes it with Ctrl+V at the end of the
  // text field at (x, y), and answers the program's requests until it has
  // had the text. False when it never asked.
  bool Paste(int x, int y, const std::string &text);

  // Returns once the program has handled every input sent before the call:
  // two selection requests answered one after the other by the program's
  // event loop, which only reads new messages with its own queue empty.
  // False when the program did not answer within `seconds`.
  bool Settle(double seconds = 30);

  // The text of the text field at (x, y), copied by the program itself.
  // Settles first. False when the copy did not come.
  bool ReadField(int x, int y, std::string *text);

  // False once the program has ended, for whatever reason.
  bool Running();
  // Resident memory in KiB, -1 when unknown.
  long ResidentKb();
  // The program's output so far.
  std::string Output();

  // The scope image's pixels (190 x 64, RGB), empty when unreadable.
  std::vector<uint8_t> ScopePixels();

  // Clicks the close box; true when the program then ends with status 0
  // within `seconds`. `status` gets the raw wait status (-1 if it ran on).
  bool CloseAndExit(double seconds, int *status);

  // The raw wait status once the program has ended, -1 before.
  int exit_status() const { return exit_status_; }
  pid_t pid() const { return pid_; }
  Window window() const { return window_; }
  Display *display() const { return display_; }
  int scale() const { return scale_; }
  // The code field, at scale 1.
  int code_x() const { return 97; }
  int code_y() const { return code_y_; }

 private:
  bool RequestClipboard(Atom target, double seconds, std::string *text);
  std::string At(int units) const { return std::to_string(units * scale_); }

  Display *display_ = nullptr;
  Window own_ = 0;  // an unmapped window of the test's, to own and receive selections
  pid_t pid_ = -1;
  bool exited_ = false;
  int exit_status_ = -1;  // the raw wait status once exited_
  Window window_ = 0;
  int scale_ = 1;
  int code_y_ = 117;  // 51 in wubble-lite
  std::string log_dir_;
  std::string log_path_;
};

// White pixels in a scope picture: the trace, drawn only while the play
// position is above 0.
int TracePixels(const std::vector<uint8_t> &pixels);
