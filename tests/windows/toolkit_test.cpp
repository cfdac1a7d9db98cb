// The Windows binding of the window toolkit, in the test's own process
// under wine: the window classes, styles and numbers of the controls, the
// events that the controls' messages give, and what a change of DPI and
// a picture do to the window. The program tests drive the same binding
// with real input from outside.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "toolkit.h"

namespace {

struct Event {
  int32_t code, id, kind;
  std::string text;
};

// Every event the queue holds and the messages waiting give.
std::vector<Event> Drain() {
  std::vector<Event> events;
  for (int k = 0; k < 1000; ++k) {
    int32_t code = WaitEvent(0);
    if (code == EventNone) break;
    if (code != WindowActivity) events.push_back({code, EventControlId(), EventKind(), EventText()});
  }
  return events;
}

bool Has(const std::vector<Event> &events, int32_t id, int32_t kind) {
  for (const Event &e : events) {
    if (e.code == ControlEvent && e.id == id && e.kind == kind) return true;
  }
  return false;
}

void SetClipboard(const wchar_t *text) {
  size_t bytes = (wcslen(text) + 1) * sizeof(wchar_t);
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
  memcpy(GlobalLock(memory), text, bytes);
  GlobalUnlock(memory);
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  SetClipboardData(CF_UNICODETEXT, memory);
  CloseClipboard();
}

uint8_t black[190 * 64 * 3];

class Toolkit : public ::testing::Test {
 protected:
  void SetUp() override {
    SetProgramName("wubble-toolkit-test");
    ChooseDrawingScale("toolkit_test");
    OpenMainWindow(194, 128, "toolkit test");
    picture_ = {190, 64, black};
    AddImageControl(999, 2, 42, 190, 64, &picture_);
    AddButton(1, 2, 2, 50, 18, "Random");
    AddTextField(2, 54, 2, 70, 18, "0", true);
    AddTextField(7, 2, 108, 190, 18, "code", false);
    AddLabel(8, 70, 24, 20, 18, "Vol:");
    AddScrollBar(9, 92, 22, 100, 17, 0, 127, 1);
    window_ = FindWindowA("wubble-toolkit-test", "toolkit test");
    ASSERT_NE(window_, nullptr);
    Drain();
  }
  void TearDown() override { CloseMainWindow(); }

  HWND Child(int id) { return GetDlgItem(window_, id); }

  RECT ClientRectOf(int id) {
    RECT rect;
    GetWindowRect(Child(id), &rect);
    MapWindowPoints(nullptr, window_, reinterpret_cast<POINT *>(&rect), 2);
    return rect;
  }

  Picture picture_;
  HWND window_ = nullptr;
};

// The classes, the styles beyond a visible child, and the numbers.
TEST_F(Toolkit, ControlsAreTheSystemsOwnClassesAndStyles) {
  struct Expected {
    int id;
    const char *window_class;
    DWORD style;  // within the mask
    DWORD mask;
    DWORD extended;
  };
  const DWORD edit = WS_GROUP | WS_TABSTOP | ES_AUTOHSCROLL;
  const Expected expected[] = {
      {999, "Static", SS_NOTIFY | SS_BITMAP, 0xFFFF, 0},
      {1, "Button", WS_GROUP | WS_TABSTOP | BS_PUSHBUTTON, WS_GROUP | WS_TABSTOP | 0xF, 0},
      {2, "Edit", edit | ES_NUMBER, edit | ES_NUMBER, WS_EX_CLIENTEDGE},
      {7, "Edit", edit, edit | ES_NUMBER, WS_EX_CLIENTEDGE},
      {8, "Static", WS_GROUP | SS_LEFT, WS_GROUP | 0x1F, 0},
      {9, "ScrollBar", SBS_HORZ, SBS_VERT | WS_TABSTOP, 0},
  };
  for (const Expected &e : expected) {
    SCOPED_TRACE(e.id);
    HWND child = Child(e.id);
    ASSERT_NE(child, nullptr);
    char name[32] = "";
    GetClassNameA(child, name, sizeof name);
    EXPECT_STRCASEEQ(name, e.window_class);
    DWORD style = static_cast<DWORD>(GetWindowLongA(child, GWL_STYLE));
    EXPECT_EQ(style & (WS_CHILD | WS_VISIBLE), static_cast<DWORD>(WS_CHILD | WS_VISIBLE));
    EXPECT_EQ(style & e.mask, e.style) << std::hex << style;
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(child, GWL_EXSTYLE)) & WS_EX_CLIENTEDGE, e.extended);
  }
  RECT client;
  GetClientRect(window_, &client);
  EXPECT_EQ(client.right, 194);
  EXPECT_EQ(client.bottom, 128);
  RECT image = ClientRectOf(999);
  EXPECT_EQ(image.left, 2);
  EXPECT_EQ(image.top, 42);
  EXPECT_EQ(image.right - image.left, 190);  // the bitmap's size
  EXPECT_EQ(image.bottom - image.top, 64);
}

// What each message gives: a user's typing TextChanged and nothing for a
// refused letter; the program's own writes nothing; a paste of digits goes
// in, any other is offered; a button press Activated; the close request
// CloseEvent with the window kept.
TEST_F(Toolkit, MessagesGiveTheirEvents) {
  SetControlText(2, "42");
  EXPECT_FALSE(Has(Drain(), 2, TextChanged));
  SendMessageA(Child(2), WM_CHAR, 'a', 0);
  EXPECT_FALSE(Has(Drain(), 2, TextChanged));
  EXPECT_STREQ(GetControlText(2), "42");
  SendMessageA(Child(2), EM_SETSEL, 2, 2);
  SendMessageA(Child(2), WM_CHAR, '7', 0);
  EXPECT_TRUE(Has(Drain(), 2, TextChanged));
  EXPECT_STREQ(GetControlText(2), "427");

  SetClipboard(L"CreateWubble(1,2,3,1)");
  SendMessageA(Child(2), WM_PASTE, 0, 0);
  std::vector<Event> events = Drain();
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].kind, TextOffered);
  EXPECT_EQ(events[0].text, "CreateWubble(1,2,3,1)");
  EXPECT_STREQ(GetControlText(2), "427");
  SetClipboard(L"15");
  SendMessageA(Child(2), WM_PASTE, 0, 0);
  EXPECT_TRUE(Has(Drain(), 2, TextChanged));
  EXPECT_STREQ(GetControlText(2), "42715");

  SendMessageA(Child(1), BM_CLICK, 0, 0);
  EXPECT_TRUE(Has(Drain(), 1, Activated));
  SetFocus(Child(7));
  EXPECT_TRUE(Has(Drain(), 7, FocusGained));
  SetFocus(Child(1));
  EXPECT_TRUE(Has(Drain(), 7, FocusLost));

  PostMessageA(window_, WM_CLOSE, 0, 0);
  events = Drain();
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].code, CloseEvent);
  EXPECT_TRUE(IsWindow(window_));
  EXPECT_EQ(WaitEvent(0), EventNone);
}

// The bar's position is held within its range, set without an event.
TEST_F(Toolkit, ScrollBarPositionStaysInItsRange) {
  const int32_t set[] = {5, 200, -3, 127, 0};
  const int32_t held[] = {5, 127, 0, 127, 0};
  for (int k = 0; k < 5; ++k) {
    SetControlState(9, set[k]);
    EXPECT_EQ(GetControlState(9), held[k]);
    EXPECT_EQ(SendMessageA(Child(9), SBM_GETPOS, 0, 0), held[k]);
  }
  EXPECT_TRUE(Drain().empty());
}

// The image control shows the picture's pixels, each a block of scale x
// scale; moved to a monitor of twice the density, every control and the
// client area double.
TEST_F(Toolkit, PicturesAndDpiChangesFollowTheScale) {
  std::vector<uint8_t> pixels(190 * 64 * 3);
  for (size_t k = 0; k < pixels.size(); ++k) pixels[k] = static_cast<uint8_t>(k * 7 + k / 570);
  Picture picture = {190, 64, pixels.data()};
  for (UINT dpi : {96u, 192u}) {
    SCOPED_TRACE(dpi);
    RECT suggested;
    GetWindowRect(window_, &suggested);
    SendMessageA(window_, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    const int scale = static_cast<int>(dpi / 96);
    RECT client;
    GetClientRect(window_, &client);
    EXPECT_EQ(client.right, 194 * scale);
    EXPECT_EQ(client.bottom, 128 * scale);
    RECT field = ClientRectOf(2);
    EXPECT_EQ(field.left, 54 * scale);
    EXPECT_EQ(field.right - field.left, 70 * scale);

    SetControlState(999, reinterpret_cast<intptr_t>(&picture));
    HBITMAP bitmap = reinterpret_cast<HBITMAP>(SendMessageA(Child(999), STM_GETIMAGE, IMAGE_BITMAP, 0));
    ASSERT_NE(bitmap, nullptr);
    BITMAPINFOHEADER header = {sizeof header, 190 * scale, -64 * scale, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    const int stride = (190 * scale * 3 + 3) & ~3;
    std::vector<uint8_t> shown(static_cast<size_t>(stride) * 64 * scale);
    HDC screen = GetDC(nullptr);
    ASSERT_EQ(GetDIBits(screen, bitmap, 0, 64 * scale, shown.data(),
                        reinterpret_cast<BITMAPINFO *>(&header), DIB_RGB_COLORS), 64 * scale);
    ReleaseDC(nullptr, screen);
    int wrong = 0;
    for (int y = 0; y < 64 * scale; ++y) {
      for (int x = 0; x < 190 * scale; ++x) {
        const uint8_t *want = &pixels[((y / scale) * 190 + x / scale) * 3];
        const uint8_t *got = &shown[static_cast<size_t>(y) * stride + x * 3];
        wrong += got[0] != want[2] || got[1] != want[1] || got[2] != want[0];
      }
    }
    EXPECT_EQ(wrong, 0);
  }
}

}  // namespace
