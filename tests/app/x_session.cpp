#include "x_session.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace {

pid_t xvfb = -1;
pid_t window_manager = -1;

[[noreturn]] void Fail(const char *what) {
  std::fprintf(stderr, "x session: %s\n", what);
  std::exit(2);
}

// The child gets no input; a quiet one's output goes nowhere either, as the
// servers' start-up chatter would only clutter the test log. Every child is
// ended with the test process, however that ends.
pid_t SpawnChild(const std::vector<std::string> &argv, bool quiet) {
  std::vector<char *> args;
  for (const std::string &a : argv) args.push_back(const_cast<char *>(a.c_str()));
  args.push_back(nullptr);
  pid_t parent = getpid();
  pid_t pid = fork();
  if (pid != 0) return pid;
  prctl(PR_SET_PDEATHSIG, SIGTERM);
  if (getppid() != parent) _exit(127);
  int nowhere = open("/dev/null", O_RDWR);
  dup2(nowhere, 0);
  if (quiet) {
    dup2(nowhere, 1);
    dup2(nowhere, 2);
  }
  execvp(args[0], args.data());
  _exit(127);
}

// Xvfb writes the display number it found free to the pipe once it listens.
std::string StartXvfb() {
  int fds[2];
  if (pipe(fds) != 0) Fail("no pipe");
  fcntl(fds[0], F_SETFD, FD_CLOEXEC);
  xvfb = SpawnChild({"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0",
                       "640x480x24", "-nolisten", "tcp", "-noreset"}, true);
  close(fds[1]);
  if (xvfb < 0) Fail("cannot start Xvfb");
  std::string number;
  pollfd wait_for = {fds[0], POLLIN, 0};
  char c;
  while (poll(&wait_for, 1, 10000) > 0 && read(fds[0], &c, 1) == 1 && c != '\n') number += c;
  close(fds[0]);
  if (number.empty()) Fail("Xvfb gave no display number");
  return ":" + number;
}

int IgnoreVanishedWindow(Display *, XErrorEvent *error) {
  if (error->error_code != BadWindow && error->error_code != BadDrawable) {
    std::fprintf(stderr, "X error %d, request %d\n", error->error_code, error->request_code);
  }
  return 0;
}

bool IsManaged(Display *display, Window window);

// openbox announces itself before it is done starting; a window mapped in
// between can stay unmanaged for good. A probe window that it takes on
// shows that it has got there.
bool WindowManagerManages() {
  Display *display = XOpenDisplay(nullptr);
  if (display == nullptr) return false;
  Window probe = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 10, 10, 0, 0, 0);
  XMapWindow(display, probe);
  XSync(display, False);
  double give_up = Now() + 2;
  bool managed = false;
  while (!(managed = IsManaged(display, probe)) && Now() < give_up) usleep(10000);
  XDestroyWindow(display, probe);
  XCloseDisplay(display);
  return managed;
}

bool WindowManagerReady() {
  Display *display = XOpenDisplay(nullptr);
  if (display == nullptr) return false;
  Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False);
  Atom type;
  int format;
  unsigned long count, after;
  unsigned char *data = nullptr;
  XGetWindowProperty(display, DefaultRootWindow(display), check, 0, 1, False, XA_WINDOW,
                     &type, &format, &count, &after, &data);
  bool ready = data != nullptr && count == 1;
  if (data) XFree(data);
  XCloseDisplay(display);
  return ready;
}

void Stop(pid_t *pid) {
  if (*pid <= 0) return;
  kill(*pid, SIGTERM);
  int status;
  if (!WaitExit(*pid, 5, &status)) {
    kill(*pid, SIGKILL);
    waitpid(*pid, &status, 0);
  }
  *pid = -1;
}

bool ReadCardinals(Display *display, Window window, const char *name, long *out, int count) {
  Atom atom = XInternAtom(display, name, False);
  Atom type;
  int format;
  unsigned long got, after;
  unsigned char *data = nullptr;
  if (XGetWindowProperty(display, window, atom, 0, count, False, AnyPropertyType, &type,
                         &format, &got, &after, &data) != Success || data == nullptr) {
    return false;
  }
  bool ok = format == 32 && got == static_cast<unsigned long>(count);
  if (ok) std::memcpy(out, data, sizeof(long) * count);
  XFree(data);
  return ok;
}

bool HasProperty(Display *display, Window window, const char *name) {
  Atom atom = XInternAtom(display, name, False);
  Atom type;
  int format;
  unsigned long got, after;
  unsigned char *data = nullptr;
  XGetWindowProperty(display, window, atom, 0, 1, False, AnyPropertyType, &type, &format,
                     &got, &after, &data);
  if (data) XFree(data);
  return type != None;
}

bool IsManaged(Display *display, Window window) { return HasProperty(display, window, "WM_STATE"); }

Window SearchTitled(Display *display, Window under, const char *title) {
  Window root, parent, *children = nullptr;
  unsigned int count = 0;
  if (!XQueryTree(display, under, &root, &parent, &children, &count)) return 0;
  Window found = 0;
  for (unsigned int i = 0; i < count && found == 0; ++i) {
    char *name = nullptr;
    if (XFetchName(display, children[i], &name) && name != nullptr) {
      if (std::strcmp(name, title) == 0 && IsManaged(display, children[i])) {
        found = children[i];
      }
      XFree(name);
    }
    if (found == 0) found = SearchTitled(display, children[i], title);
  }
  if (children) XFree(children);
  return found;
}

// A window that went away while a test looked at it is the test's failure
// to report, not a reason for Xlib to end the process.
int IgnoreXError(Display *, XErrorEvent *) { return 0; }

}  // namespace

double Now() {
  timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return t.tv_sec + t.tv_nsec / 1e9;
}

void StartXSession() {
  XSetErrorHandler(IgnoreXError);
  std::string display = StartXvfb();
  setenv("DISPLAY", display.c_str(), 1);
  window_manager =
      SpawnChild({"openbox", "--sm-disable", "--config-file", WUBBLE_OPENBOX_RC}, true);
  if (window_manager < 0) Fail("cannot start openbox");
  double give_up = Now() + 10;
  while (!WindowManagerReady() || !WindowManagerManages()) {
    if (Now() > give_up) Fail("openbox did not come up");
    usleep(20000);
  }
}

void StopXSession() {
  Stop(&window_manager);
  Stop(&xvfb);
}

void IgnoreVanishedWindows() { XSetErrorHandler(IgnoreVanishedWindow); }

pid_t Spawn(const std::vector<std::string> &argv) { return SpawnChild(argv, false); }

bool WaitExit(pid_t pid, double seconds, int *status) {
  double give_up = Now() + seconds;
  do {
    pid_t done = waitpid(pid, status, WNOHANG);
    if (done == pid) return true;
    if (done < 0) return false;
    usleep(5000);
  } while (Now() < give_up);
  return false;
}

bool RunCommand(const std::vector<std::string> &argv, double seconds) {
  pid_t pid = Spawn(argv);
  if (pid < 0) return false;
  int status = 0;
  if (!WaitExit(pid, seconds, &status)) {
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    return false;
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

Window FindClientWindow(Display *display, const char *title, double seconds) {
  double give_up = Now() + seconds;
  do {
    Window found = SearchTitled(display, DefaultRootWindow(display), title);
    if (found != 0) {
      XWindowAttributes attributes;
      XGetWindowAttributes(display, found, &attributes);
      if (attributes.map_state == IsViewable) return found;
    }
    usleep(10000);
  } while (Now() < give_up);
  return 0;
}

bool IsActiveWindow(Display *display, Window window) {
  long active[1] = {0};
  return ReadCardinals(display, DefaultRootWindow(display), "_NET_ACTIVE_WINDOW", active, 1) &&
         static_cast<Window>(active[0]) == window;
}

bool FrameExtents(Display *display, Window window, long extents[4]) {
  return ReadCardinals(display, window, "_NET_FRAME_EXTENTS", extents, 4);
}

void RootPosition(Display *display, Window window, int *x, int *y) {
  Window child;
  XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, x, y, &child);
}

std::vector<uint8_t> GrabPixels(Display *display, Window window, int x, int y, int w, int h) {
  std::vector<uint8_t> rgb;
  XImage *image = XGetImage(display, window, x, y, w, h, AllPlanes, ZPixmap);
  if (image == nullptr) return rgb;
  // The session's screen is 24-bit true colour; anything else reads as empty.
  if (image->red_mask != 0xFF0000 || image->green_mask != 0xFF00 || image->blue_mask != 0xFF) {
    XDestroyImage(image);
    return rgb;
  }
  rgb.reserve(w * h * 3);
  for (int row = 0; row < h; ++row) {
    for (int column = 0; column < w; ++column) {
      unsigned long pixel = XGetPixel(image, column, row);
      rgb.push_back(static_cast<uint8_t>((pixel & image->red_mask) >> 16));
      rgb.push_back(static_cast<uint8_t>((pixel & image->green_mask) >> 8));
      rgb.push_back(static_cast<uint8_t>(pixel & image->blue_mask));
    }
  }
  XDestroyImage(image);
  return rgb;
}

bool MarkInputEnd(Display *display, Window window, double seconds) {
  static int count = 0;
  std::string mark = "wubble-input-end-" + std::to_string(getpid()) + "-" + std::to_string(++count);
  if (!RunCommand({"xdotool", "set_window", "--role", mark, std::to_string(window)}, seconds)) {
    return false;
  }
  Atom role = XInternAtom(display, "WM_WINDOW_ROLE", False);
  double give_up = Now() + seconds;
  do {
    Atom type;
    int format;
    unsigned long count_read, after;
    unsigned char *data = nullptr;
    if (XGetWindowProperty(display, window, role, 0, 256, False, AnyPropertyType, &type, &format,
                           &count_read, &after, &data) == Success && data != nullptr) {
      bool seen = std::string(reinterpret_cast<char *>(data), count_read) == mark;
      XFree(data);
      if (seen) return true;
    }
    usleep(1000);
  } while (Now() < give_up);
  return false;
}

bool AnswerClipboardRequest(Display *display, const XSelectionRequestEvent &request,
                            const std::string &text) {
  XSelectionEvent reply = {};
  reply.type = SelectionNotify;
  reply.requestor = request.requestor;
  reply.selection = request.selection;
  reply.target = request.target;
  reply.time = request.time;
  reply.property = request.property == None ? request.target : request.property;
  Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
  Atom targets = XInternAtom(display, "TARGETS", False);
  bool text_asked = request.target == utf8 || request.target == XA_STRING;
  if (request.target == targets) {
    Atom offered[] = {targets, utf8, XA_STRING};
    XChangeProperty(display, request.requestor, reply.property, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<unsigned char *>(offered), 3);
  } else if (text_asked) {
    XChangeProperty(display, request.requestor, reply.property, request.target, 8,
                    PropModeReplace, reinterpret_cast<const unsigned char *>(text.data()),
                    static_cast<int>(text.size()));
  } else {
    reply.property = None;
  }
  XSendEvent(display, request.requestor, False, 0, reinterpret_cast<XEvent *>(&reply));
  XSync(display, False);
  return text_asked;
}
