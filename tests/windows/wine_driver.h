// Drives the Windows programs under wine from Linux, as a user would: real
// X input through xdotool into the window wine made, screenshots of it,
// and the programs' standard error and exit status (ProgramDriver's). What
// the window holds (texts, the bar's position, the focus) is asked of a
// probe, a Windows program of ours under the same wine (window_probe.cpp).
//
// The session comes from outside (scripts/test-windows): DISPLAY with a
// window manager, WINEPREFIX, PULSE_SERVER, and WUBBLE_WINDOWS_BIN, the
// folder with the programs and the probe. Positions are in units of scale 1.
#pragma once
#include <string>
#include <vector>

#include "program_driver.h"

// One line a question, one line an answer; "" when the probe is gone.
std::string AskProbe(const std::string &question);

// The folder of the Windows programs.
std::string WindowsBin();

class WineProgram : public ProgramDriver {
 public:
  // Starts `name` (wubble-scope, wubble-lite) with `environment` added and
  // waits until its window is up, managed and focused and its first pass
  // has written the code text.
  bool StartProgram(const std::string &name, const std::vector<std::string> &environment = {});

  bool Press(int x, int y);  // the left button down at a point of the client area
  bool Release(int x, int y);
  bool Keys(const std::vector<std::string> &keys);
  bool Type(const std::string &text);

  // The text of control `id`, through the probe; "none" without one.
  std::string Text(int id);
  // Waits for the text to be `expected`; false after 30 s.
  bool WaitText(int id, const std::string &expected);
  int BarPosition();

  // True once the program has ended with status 0 within `seconds`.
  bool EndsWithStatusZero(double seconds);

 private:
  std::string At(int units) const { return std::to_string(units * scale()); }
};
