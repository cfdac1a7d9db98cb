#include "program_driver.h"

#include <X11/Xatom.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "x_session.h"

extern char **environ;

namespace {

constexpr const char *kTitle = "ZR-Wubble - Tarsk 08";

Atom Intern(Display *display, const char *name) { return XInternAtom(display, name, False); }

// The current environment with `overrides` (NAME=value) put in.
std::vector<std::string> MergedEnvironment(const std::vector<std::string> &overrides) {
  std::vector<std::string> merged;
  for (char **e = environ; *e != nullptr; ++e) {
    std::string entry = *e;
    std::string name = entry.substr(0, entry.find('='));
    bool replaced = false;
    for (const std::string &o : overrides) replaced = replaced || o.substr(0, o.find('=')) == name;
    if (!replaced) merged.push_back(entry);
  }
  merged.insert(merged.end(), overrides.begin(), overrides.end());
  return merged;
}

}  // namespace

ProgramDriver::ProgramDriver() {
  display_ = XOpenDisplay(nullptr);
  if (display_ != nullptr) {
    own_ = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, 1, 1, 0, 0, 0);
  }
  char dir[] = "/tmp/wubble-driver-XXXXXX";
  if (mkdtemp(dir) != nullptr) log_dir_ = dir;
  log_path_ = log_dir_ + "/output.log";
}

ProgramDriver::~ProgramDriver() {
  if (Running()) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  if (display_ != nullptr) {
    XDestroyWindow(display_, own_);
    XCloseDisplay(display_);
  }
  unlink(log_path_.c_str());
  if (!log_dir_.empty()) rmdir(log_dir_.c_str());
}

bool ProgramDriver::Start(const std::string &path, const std::vector<std::string> &environment) {
  if (!Launch({path}, environment)) return false;
  // One copy from the code field, so that the program owns the clipboard
  // and Settle has someone to ask.
  std::string ignored;
  return ReadField(code_x(), code_y(), &ignored);
}

bool ProgramDriver::Launch(const std::vector<std::string> &command,
                           const std::vector<std::string> &environment) {
  if (display_ == nullptr || log_dir_.empty() || command.empty()) return false;
  // The window of a program that ended just now may still be about.
  double gone_by = Now() + 20;
  while (FindClientWindow(display_, kTitle, 0) != 0) {
    if (Now() > gone_by) return false;
  }
  std::vector<std::string> env = MergedEnvironment(environment);
  std::vector<char *> envp;
  for (std::string &e : env) envp.push_back(&e[0]);
  envp.push_back(nullptr);
  std::vector<char *> argv;
  for (const std::string &word : command) argv.push_back(const_cast<char *>(word.c_str()));
  argv.push_back(nullptr);
  int output = open(log_path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (output < 0) return false;
  pid_t parent = getpid();
  pid_ = fork();
  if (pid_ == 0) {
    // The program goes with the test process, however that ends.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(127);
    int nowhere = open("/dev/null", O_RDONLY);
    dup2(nowhere, 0);
    dup2(output, 1);
    dup2(output, 2);
    execvpe(argv[0], argv.data(), envp.data());
    _exit(127);
  }
  close(output);
  if (pid_ < 0) return false;
  window_ = FindClientWindow(display_, kTitle, 20);
  if (window_ == 0) return false;
  double give_up = Now() + 20;
  while (!IsActiveWindow(display_, window_)) {
    if (Now() > give_up) return false;
    usleep(10000);
  }
  XWindowAttributes attributes;
  XGetWindowAttributes(display_, window_, &attributes);
  scale_ = attributes.width >= 194 ? attributes.width / 194 : 1;
  code_y_ = attributes.height / scale_ < 100 ? 51 : 117;
  return true;
}

bool ProgramDriver::Xdotool(std::vector<std::string> args) {
  for (std::string &a : args) {
    if (a == "WINDOW") a = std::to_string(window_);
  }
  args.insert(args.begin(), "xdotool");
  return RunCommand(args, 30) && MarkInputEnd(display_, window_, 30);
}

bool ProgramDriver::Click(int x, int y) {
  return Xdotool({"mousemove", "--window", "WINDOW", At(x), At(y), "click", "--delay", "0", "1"});
}

bool ProgramDriver::Paste(int x, int y, const std::string &text) {
  Atom clipboard = Intern(display_, "CLIPBOARD");
  if (!Settle()) return false;
  XSetSelectionOwner(display_, clipboard, own_, CurrentTime);
  XSync(display_, False);
  if (!Xdotool({"mousemove", "--window", "WINDOW", At(x), At(y), "click", "--delay", "0", "1",
                "key", "--clearmodifiers", "End", "ctrl+v"})) {
    return false;
  }
  double give_up = Now() + 30;
  while (Now() < give_up && Running()) {
    XEvent event;
    if (!XCheckTypedWindowEvent(display_, own_, SelectionRequest, &event)) {
      usleep(1000);
      continue;
    }
    if (AnswerClipboardRequest(display_, event.xselectionrequest, text)) return true;
  }
  return false;
}

bool ProgramDriver::RequestClipboard(Atom target, double seconds, std::string *text) {
  Atom clipboard = Intern(display_, "CLIPBOARD");
  Atom property = Intern(display_, "WUBBLE_DRIVER_READ");
  XConvertSelection(display_, clipboard, target, property, own_, CurrentTime);
  XFlush(display_);
  double give_up = Now() + seconds;
  XEvent event;
  while (!XCheckTypedWindowEvent(display_, own_, SelectionNotify, &event)) {
    if (Now() > give_up || !Running()) return false;
    usleep(1000);
  }
  if (event.xselection.property == None) return false;
  Atom type;
  int format;
  unsigned long count, after;
  unsigned char *data = nullptr;
  XGetWindowProperty(display_, own_, property, 0, 4096, True, AnyPropertyType, &type, &format,
                     &count, &after, &data);
  if (text != nullptr) text->assign(data ? reinterpret_cast<char *>(data) : "", data ? count : 0);
  if (data) XFree(data);
  return true;
}

bool ProgramDriver::Settle(double seconds) {
  Atom clipboard = Intern(display_, "CLIPBOARD");
  Window owner = XGetSelectionOwner(display_, clipboard);
  if (owner == own_) {
    // The clipboard is the driver's since a paste: the program takes it
    // back by a copy from its code field, which also settles it.
    return ReadField(code_x(), code_y(), nullptr);
  }
  if (owner == None) return false;
  Atom targets = Intern(display_, "TARGETS");
  return RequestClipboard(targets, seconds, nullptr) && RequestClipboard(targets, seconds, nullptr);
}

bool ProgramDriver::ReadField(int x, int y, std::string *text) {
  Atom clipboard = Intern(display_, "CLIPBOARD");
  Window owner = XGetSelectionOwner(display_, clipboard);
  if (owner != None && owner != own_ && !Settle()) return false;
  XSetSelectionOwner(display_, clipboard, own_, CurrentTime);
  XSync(display_, False);
  if (!Xdotool({"mousemove", "--window", "WINDOW", At(x), At(y), "click", "--delay", "0", "1",
                "key", "--delay", "1", "--clearmodifiers", "ctrl+a", "ctrl+c"})) {
    return false;
  }
  double give_up = Now() + 30;
  while (XGetSelectionOwner(display_, clipboard) == own_) {
    if (Now() > give_up || !Running()) return false;
    usleep(2000);
  }
  XEvent ignored;
  while (XCheckTypedWindowEvent(display_, own_, SelectionClear, &ignored)) {
  }
  return RequestClipboard(Intern(display_, "UTF8_STRING"), 30, text);
}

bool ProgramDriver::Running() {
  if (pid_ <= 0 || exited_) return false;
  int status = 0;
  if (waitpid(pid_, &status, WNOHANG) != pid_) return true;
  exited_ = true;
  exit_status_ = status;
  return false;
}

long ProgramDriver::ResidentKb() {
  std::ifstream status("/proc/" + std::to_string(pid_) + "/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.compare(0, 6, "VmRSS:") == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
  }
  return -1;
}

std::string ProgramDriver::Output() {
  std::ifstream log(log_path_);
  std::stringstream all;
  all << log.rdbuf();
  return all.str();
}

std::vector<uint8_t> ProgramDriver::ScopePixels() {
  return GrabPixels(display_, window_, 2 * scale_, 42 * scale_, 190 * scale_, 64 * scale_);
}

bool ProgramDriver::CloseAndExit(double seconds, int *status) {
  *status = -1;
  long extents[4];
  if (!FrameExtents(display_, window_, extents)) return false;
  Window root;
  int x, y, wx, wy;
  unsigned int w, h, border, depth;
  XGetGeometry(display_, window_, &root, &wx, &wy, &w, &h, &border, &depth);
  RootPosition(display_, window_, &x, &y);
  // The close box is the rightmost button of the title bar.
  int box_x = x + static_cast<int>(w) + static_cast<int>(extents[1]) - 10;
  int box_y = y - static_cast<int>(extents[2]) / 2;
  if (!RunCommand({"xdotool", "mousemove", std::to_string(box_x), std::to_string(box_y), "click", "--delay", "0", "1"})) {
    return false;
  }
  double give_up = Now() + seconds;
  while (Running()) {
    if (Now() > give_up) return false;
    usleep(5000);
  }
  *status = exit_status_;
  return WIFEXITED(*status) && WEXITSTATUS(*status) == 0;
}

int TracePixels(const std::vector<uint8_t> &pixels) {
  int count = 0;
  for (size_t k = 0; k + 2 < pixels.size(); k += 3) {
    count += pixels[k] == 255 && pixels[k + 1] == 255 && pixels[k + 2] == 255;
  }
  return count;
}
