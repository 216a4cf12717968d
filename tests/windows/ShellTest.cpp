// The shipped executable driven from outside, as the notification area and a
// user would: one start of the shell per behaviour.

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "tests/windows/support/ShellProcess.h"

namespace {

constexpr UINT kTrayCallback = WM_USER + 1;
constexpr WPARAM kAboutCommand = 104, kQuitCommand = 105;

TEST(Shell, RunsOncePerSessionAndItsWindowNeverShows) {
  {
    ShellProcess first(L"vestrel-pelvar.exe", SW_SHOWMAXIMIZED, L"/show --visible");
    HWND window = first.WaitForMainWindow();
    ASSERT_NE(window, nullptr);
    wchar_t title[64] = {};
    GetWindowTextW(window, title, 64);
    EXPECT_STREQ(title, L"Vestrel Pelvar Plug-In");
    EXPECT_EQ(GetWindowLongW(window, GWL_STYLE) & WS_OVERLAPPEDWINDOW, LONG{WS_OVERLAPPEDWINDOW});

    ShellProcess second(L"vestrel-pelvar.exe");
    EXPECT_EQ(second.ExitCode(), 1u) << "a second start ends at once";
    EXPECT_EQ(first.ExitCode(0), STILL_ACTIVE) << "the first runs on";
    EXPECT_FALSE(IsWindowVisible(window)) << "start-up is long over, and nothing showed it";
    EXPECT_FALSE(IsZoomed(window));
  }
  // The lock went with the killed instance.
  ShellProcess third(L"vestrel-pelvar.exe");
  EXPECT_NE(third.WaitForMainWindow(), nullptr);
}

TEST(Shell, TrayMenuOpensAtThePointerOnRightReleaseAndDoubleClickOnly) {
  ShellProcess shell(L"vestrel-pelvar.exe");
  HWND window = shell.WaitForMainWindow();
  ASSERT_NE(window, nullptr);
  for (LPARAM mouse : {WM_LBUTTONUP, WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MOUSEMOVE}) {
    PostMessageW(window, kTrayCallback, 100, mouse);
  }
  EXPECT_EQ(WaitFor(PopupMenu, 700), nullptr) << "a single click, a press or a move opened the menu";

  auto openMenu = [&](LPARAM mouse, int x, int y) {
    SetCursorPos(x, y);
    PostMessageW(window, kTrayCallback, 100, mouse);
    HWND menu = WaitFor(PopupMenu);
    RECT frame = {};
    GetWindowRect(menu, &frame);
    EXPECT_EQ(std::vector<LONG>({frame.left, frame.top}), std::vector<LONG>({x, y})) << "menu for " << mouse;
    return menu;
  };
  // "&Info..." by its access key, then "Quit" as the first entry.
  PostMessageW(openMenu(WM_RBUTTONUP, 200, 150), WM_CHAR, L'i', 0);
  HWND box = WaitFor([&] { return AboutBox(window); });
  ASSERT_NE(box, nullptr) << "no About box from the menu";
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(box); }));

  HWND menu = openMenu(WM_LBUTTONDBLCLK, 300, 250);
  PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
  PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
  EXPECT_EQ(shell.ExitCode(), 0u);
}

std::wstring Controls(HWND box) {
  std::wstring seen;
  for (HWND control = GetWindow(box, GW_CHILD); control != nullptr; control = GetWindow(control, GW_HWNDNEXT)) {
    wchar_t text[64] = {};
    GetWindowTextW(control, text, 64);
    seen += std::wstring(text) + L" #" + std::to_wstring(GetDlgCtrlID(control)) + L" style " +
            std::to_wstring(GetWindowLongW(control, GWL_STYLE) & 0xF) + L"\n";
  }
  return seen;
}

TEST(Shell, AboutBoxOpensByCommandOrAcceleratorAndClosesEveryWay) {
  ShellProcess shell(L"vestrel-pelvar.exe");
  HWND window = shell.WaitForMainWindow();
  ASSERT_NE(window, nullptr);
  // "&Hilfe", a command nobody sends, a timer: all leave it running.
  PostMessageW(window, WM_COMMAND, 0xFFFF, 0);
  PostMessageW(window, WM_COMMAND, 106, 0);
  PostMessageW(window, WM_TIMER, 1, 0);

  struct Way {
    std::vector<BYTE> chord;  // none: the menu's command
    bool toOkButton;
    UINT message;
    WPARAM wParam;
  };
  const Way ways[] = {{{}, true, BM_CLICK, 0},
                      {{VK_MENU, VK_OEM_2}, true, WM_KEYDOWN, VK_RETURN},
                      {{VK_MENU, VK_SHIFT, VK_OEM_2}, true, WM_KEYDOWN, VK_ESCAPE},
                      {{}, false, WM_SYSCOMMAND, SC_CLOSE}};
  for (const Way& way : ways) {
    if (way.chord.empty()) {
      PostMessageW(window, WM_COMMAND, kAboutCommand, 0);
    } else {
      // Opening the menu brings the hidden window to the front, which gives
      // its thread the keyboard.
      PostMessageW(window, kTrayCallback, 100, WM_RBUTTONUP);
      PostMessageW(WaitFor(PopupMenu), WM_KEYDOWN, VK_ESCAPE, 0);
      ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == window; }));
      TypeChord(way.chord);
    }
    HWND box = WaitFor([&] { return AboutBox(window); });
    ASSERT_NE(box, nullptr) << "way " << &way - ways;
    if (&way == ways) {
      // Wine names the icon's resource in its text: 0xFFFF, then group 129.
      EXPECT_EQ(Controls(box), L"\xFFFF\x81 #-1 style 3\n"
                               L"VESTREL MSFS Plug-In 0.5.0 #-1 style 0\n"
                               L"Copyright \u00a9 2025 Vestrel #-1 style 0\n"
                               L"OK #1 style 1\n");  // the default button
      GUITHREADINFO focus = {};
      focus.cbSize = sizeof focus;
      GetGUIThreadInfo(GetWindowThreadProcessId(box, nullptr), &focus);
      EXPECT_EQ(GetDlgCtrlID(focus.hwndFocus), IDOK) << "keyboard focus starts on OK";
    }
    PostMessageW(way.toOkButton ? GetDlgItem(box, IDOK) : box, way.message, way.wParam, 0);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(box); })) << "way " << &way - ways << " left the box open";
  }
  EXPECT_EQ(shell.ExitCode(0), STILL_ACTIVE);
}

}  // namespace
