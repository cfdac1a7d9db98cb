// A private X server with a window manager for one test process, and the
// few process and screen helpers the window tests share.
#pragma once
#include <sys/types.h>

#include <X11/Xlib.h>

#include <string>
#include <vector>

// Starts Xvfb on a display number it picks itself, then openbox with the
// tests' configuration, and points DISPLAY at it. Dies loudly on failure.
void StartXSession();
void StopXSession();

// Windows that go away while a search walks the window tree (wine makes and
// drops windows of its own) are no failure: from this call on, X errors
// about them are ignored, and others are said on stderr, not fatal.
void IgnoreVanishedWindows();

double Now();

pid_t Spawn(const std::vector<std::string> &argv);
// Waits up to `seconds`; true with the exit status when the child ended.
bool WaitExit(pid_t pid, double seconds, int *status);
// Spawns, waits up to `seconds`, kills on time-out; true on exit status 0.
bool RunCommand(const std::vector<std::string> &argv, double seconds = 10);

// The top-level client window with this exact title, once it is mapped and
// managed, or 0 after `seconds`.
Window FindClientWindow(Display *display, const char *title, double seconds);
bool IsActiveWindow(Display *display, Window window);
// The window manager's frame extents: left, right, top, bottom.
bool FrameExtents(Display *display, Window window, long extents[4]);
void RootPosition(Display *display, Window window, int *x, int *y);

// A barrier behind input sent by xdotool: once an xdotool command has
// ended, a second one sets the window's role (WM_WINDOW_ROLE) to a new
// mark. By the time the server has taken the second client on and done
// its request, it has read and carried out the first one's requests, so
// once the mark is seen every input before it has been made and its events
// are on their way to the window's owner, ahead of the answer to any
// request sent after. (A mark at the end of the same command would do
// without the second client, but "key" and "type" take every argument
// after them as keys or text.) False when the mark never showed.
bool MarkInputEnd(Display *display, Window window, double seconds);

// 24-bit pixels of a rectangle of a window, RGB, rows top first.
std::vector<uint8_t> GrabPixels(Display *display, Window window, int x, int y,
                                int w, int h);

// Answers one request for the clipboard that `display` owns, as a program
// the user copied `text` from would: the targets it offers, or the text.
// True when the text itself went out.
bool AnswerClipboardRequest(Display *display, const XSelectionRequestEvent &request,
                            const std::string &text);
