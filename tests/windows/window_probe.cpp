// A Windows program, run under wine beside the program under test, that
// answers the Linux side's questions about it through the system's own
// calls: one command a line on standard input, one answer a line on
// standard output.
//
//   window             "window CLIENT_W CLIENT_H STYLE EXSTYLE CLASS" of the
//                      main window found by its title, or "none"
//   text ID            the text of control ID (WM_GETTEXT), or "none"
//   position ID        the scroll bar's position (SBM_GETPOS)
//   focus              the number of the control that has the focus, 0 for
//                      the main window itself, -1 for none
//   clipboard TEXT     puts TEXT on the clipboard, as another program would
//   dpi N              the system DPI that programs started from now on get
//   arrow              the width of a scroll bar's arrow (SM_CXHSCROLL)
//   quit
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>

namespace {

constexpr const char *kTitle = "ZR-Wubble - Tarsk 08";

HWND MainWindow() { return FindWindowA(nullptr, kTitle); }

std::string WindowAnswer() {
  HWND window = MainWindow();
  if (window == nullptr) return "none";
  RECT client;
  GetClientRect(window, &client);
  char name[64] = "";
  GetClassNameA(window, name, sizeof name);
  char answer[160];
  std::snprintf(answer, sizeof answer, "window %ld %ld %lx %lx %s", client.right, client.bottom,
                static_cast<unsigned long>(GetWindowLongA(window, GWL_STYLE)),
                static_cast<unsigned long>(GetWindowLongA(window, GWL_EXSTYLE)), name);
  return answer;
}

// Sent, not read from the window's own copy: an edit control keeps its text
// itself, and the program answers from its message loop.
std::string TextAnswer(int id) {
  HWND control = GetDlgItem(MainWindow(), id);
  if (control == nullptr) return "none";
  char text[512] = "";
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutA(control, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                           SMTO_ABORTIFHUNG, 5000, &copied)) {
    return "none";
  }
  return "text " + std::string(text, copied);
}

std::string PositionAnswer(int id) {
  HWND control = GetDlgItem(MainWindow(), id);
  DWORD_PTR position = 0;
  if (control == nullptr ||
      !SendMessageTimeoutA(control, SBM_GETPOS, 0, 0, SMTO_ABORTIFHUNG, 5000, &position)) {
    return "none";
  }
  return "position " + std::to_string(static_cast<long>(position));
}

std::string FocusAnswer() {
  HWND window = MainWindow();
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  if (window == nullptr || !GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) {
    return "none";
  }
  if (info.hwndFocus == nullptr) return "focus -1";
  if (info.hwndFocus == window) return "focus 0";
  return "focus " + std::to_string(GetDlgCtrlID(info.hwndFocus));
}

std::string ClipboardAnswer(const std::string &text) {
  int length = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, length * sizeof(wchar_t));
  if (memory == nullptr) return "failed";
  MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, static_cast<wchar_t *>(GlobalLock(memory)), length);
  GlobalUnlock(memory);
  if (!OpenClipboard(nullptr)) return "failed";
  EmptyClipboard();
  bool set = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
  CloseClipboard();
  return set ? "ok" : "failed";
}

std::string DpiAnswer(DWORD dpi) {
  HKEY key;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, nullptr, 0, KEY_SET_VALUE,
                      nullptr, &key, nullptr) != ERROR_SUCCESS) {
    return "failed";
  }
  LONG set = RegSetValueExA(key, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE *>(&dpi),
                            sizeof dpi);
  RegCloseKey(key);
  return set == ERROR_SUCCESS ? "ok" : "failed";
}

std::string Answer(const std::string &line) {
  size_t blank = line.find(' ');
  std::string command = line.substr(0, blank);
  std::string argument = blank == std::string::npos ? "" : line.substr(blank + 1);
  if (command == "window") return WindowAnswer();
  if (command == "text") return TextAnswer(std::atoi(argument.c_str()));
  if (command == "position") return PositionAnswer(std::atoi(argument.c_str()));
  if (command == "focus") return FocusAnswer();
  if (command == "clipboard") return ClipboardAnswer(argument);
  if (command == "arrow") return "arrow " + std::to_string(GetSystemMetrics(SM_CXHSCROLL));
  if (command == "dpi") return DpiAnswer(static_cast<DWORD>(std::atoi(argument.c_str())));
  return "unknown " + command;
}

}  // namespace

int main() {
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
  std::string line;
  while (std::getline(std::cin, line) && line != "quit") {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::string answer = Answer(line);
    std::fwrite(answer.data(), 1, answer.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
  }
  return 0;
}
