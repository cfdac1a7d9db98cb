#include "wine_driver.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "x_session.h"

namespace {

constexpr const char *kFirstCode = "CreateWubble(9837320,0,5,1)";

// The probe under wine, started on the first question and ended with the
// test process.
class Probe {
 public:
  ~Probe() {
    if (pid_ <= 0) return;
    Write("quit\n");
    close(to_);
    close(from_);
    int status;
    if (!WaitExit(pid_, 10, &status)) kill(pid_, SIGKILL);
  }

  std::string Ask(const std::string &question) {
    if (pid_ <= 0 && !Begin()) return "";
    if (!Write(question + "\n")) return "";
    return ReadLine(30);
  }

 private:
  bool Begin() {
    int in[2], out[2];
    if (pipe(in) != 0 || pipe(out) != 0) return false;
    std::string probe = WindowsBin() + "/window_probe.exe";
    pid_ = fork();
    if (pid_ == 0) {
      prctl(PR_SET_PDEATHSIG, SIGKILL);
      dup2(in[0], 0);
      dup2(out[1], 1);
      close(in[1]);
      close(out[0]);
      execlp("wine", "wine", probe.c_str(), static_cast<char *>(nullptr));
      _exit(127);
    }
    close(in[0]);
    close(out[1]);
    to_ = in[1];
    from_ = out[0];
    return pid_ > 0;
  }

  bool Write(const std::string &text) {
    return write(to_, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  }

  std::string ReadLine(double seconds) {
    double give_up = Now() + seconds;
    while (true) {
      size_t end = buffered_.find('\n');
      if (end != std::string::npos) {
        std::string line = buffered_.substr(0, end);
        buffered_.erase(0, end + 1);
        return line;
      }
      pollfd readable = {from_, POLLIN, 0};
      int left_ms = static_cast<int>((give_up - Now()) * 1000);
      if (left_ms <= 0 || poll(&readable, 1, left_ms) <= 0) return "";
      char chunk[512];
      ssize_t got = read(from_, chunk, sizeof chunk);
      if (got <= 0) return "";
      buffered_.append(chunk, static_cast<size_t>(got));
    }
  }

  pid_t pid_ = -1;
  int to_ = -1;
  int from_ = -1;
  std::string buffered_;
};

// Whether the X input focus lies in `window` or a window inside it.
bool HoldsInputFocus(Display *display, Window window) {
  Window focus = 0;
  int revert = 0;
  XGetInputFocus(display, &focus, &revert);
  while (focus != 0 && focus != PointerRoot && focus != window) {
    Window root = 0, parent = 0, *children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, focus, &root, &parent, &children, &count)) return false;
    if (children != nullptr) XFree(children);
    if (parent == root) return false;
    focus = parent;
  }
  return focus == window;
}

// "text ..." for "text", "" for anything else.
std::string AfterWord(const std::string &answer, const std::string &word) {
  if (answer.compare(0, word.size() + 1, word + " ") != 0) return answer == word ? "" : "none";
  return answer.substr(word.size() + 1);
}

}  // namespace

std::string AskProbe(const std::string &question) {
  static Probe probe;
  return probe.Ask(question);
}

std::string WindowsBin() {
  const char *bin = std::getenv("WUBBLE_WINDOWS_BIN");
  return bin != nullptr ? bin : ".";
}

bool WineProgram::StartProgram(const std::string &name, const std::vector<std::string> &environment) {
  IgnoreVanishedWindows();
  // The window of a program that ended just now may still be about.
  double gone_by = Now() + 20;
  while (AskProbe("window") != "none") {
    if (Now() > gone_by) return false;
    usleep(10000);
  }
  if (!Launch({"wine", WindowsBin() + "/" + name + ".exe"}, environment)) return false;
  // The window manager calls the window active before wine has taken the
  // X input focus, which it does from the program's message loop; keys
  // sent before that go elsewhere.
  double give_up = Now() + 20;
  while (!HoldsInputFocus(display(), window())) {
    if (Now() > give_up) return false;
    usleep(5000);
  }
  return WaitText(7, kFirstCode);
}

bool WineProgram::Press(int x, int y) {
  return Xdotool({"mousemove", "--window", "WINDOW", At(x), At(y), "mousedown", "1"});
}

bool WineProgram::Release(int x, int y) {
  return Xdotool({"mousemove", "--window", "WINDOW", At(x), At(y), "mouseup", "1"});
}

bool WineProgram::Keys(const std::vector<std::string> &keys) {
  std::vector<std::string> command = {"key", "--clearmodifiers", "--delay", "20"};
  command.insert(command.end(), keys.begin(), keys.end());
  return Xdotool(command);
}

bool WineProgram::Type(const std::string &text) {
  return Xdotool({"type", "--clearmodifiers", "--delay", "20", text});
}

std::string WineProgram::Text(int id) { return AfterWord(AskProbe("text " + std::to_string(id)), "text"); }

bool WineProgram::WaitText(int id, const std::string &expected) {
  double give_up = Now() + 30;
  while (Text(id) != expected) {
    if (Now() > give_up || !Running()) return false;
    usleep(10000);
  }
  return true;
}

int WineProgram::BarPosition() {
  std::string position = AfterWord(AskProbe("position 9"), "position");
  return position == "none" ? -1 : std::atoi(position.c_str());
}

bool WineProgram::EndsWithStatusZero(double seconds) {
  double give_up = Now() + seconds;
  while (Running()) {
    if (Now() > give_up) return false;
    usleep(5000);
  }
  return WIFEXITED(exit_status()) && WEXITSTATUS(exit_status()) == 0;
}
