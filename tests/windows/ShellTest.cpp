// The shell driven from outside, as the notification area and a user would:
// one start per behaviour.

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "tests/windows/support/ShellProcess.h"

namespace {

constexpr UINT kTrayCallback = WM_USER + 1;

HWND PopupMenu() {
  HWND menu = FindWindowW(L"#32768", nullptr);
  return IsWindowVisible(menu) ? menu : nullptr;
}

HWND AboutBox(HWND owner) {
  HWND box = FindWindowW(L"#32770", L"Info");
  return IsWindowVisible(box) && GetWindow(box, GW_OWNER) == owner ? box : nullptr;
}

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
    EXPECT_FALSE(IsWindowVisible(window) || IsZoomed(window)) << "start-up is long over, and nothing showed it";
  }
  ShellProcess third(L"vestrel-pelvar.exe");
  EXPECT_NE(third.WaitForMainWindow(), nullptr) << "the lock outlived the killed instance";
}

TEST(Shell, TrayMenuOpensAtThePointerOnRightReleaseAndDoubleClickOnly) {
  ShellProcess shell(L"vestrel-pelvar.exe");
  HWND window = shell.WaitForMainWindow();
  ASSERT_NE(window, nullptr);
  for (LPARAM mouse : {WM_LBUTTONUP, WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MOUSEMOVE}) {
    PostMessageW(window, kTrayCallback, 100, mouse);
  }
  EXPECT_EQ(WaitFor(PopupMenu, 700), nullptr) << "a single click, a press or a move opened the menu";
  auto openMenu = [&](LPARAM mouse, LONG x, LONG y) {
    SetCursorPos(x, y);
    PostMessageW(window, kTrayCallback, 100, mouse);
    RECT frame = {};
    GetWindowRect(WaitFor(PopupMenu), &frame);
    EXPECT_EQ(std::vector<LONG>({frame.left, frame.top}), std::vector<LONG>({x, y})) << "menu for " << mouse;
    return PopupMenu();
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
    UINT message;             // then this to "OK", or to the box itself
    WPARAM wParam;
  };
  for (const Way& way : {Way{{}, BM_CLICK, 0}, Way{{VK_MENU, VK_OEM_2}, WM_KEYDOWN, VK_RETURN},
                         Way{{VK_MENU, VK_SHIFT, VK_OEM_2}, WM_KEYDOWN, VK_ESCAPE}, Way{{}, WM_SYSCOMMAND, SC_CLOSE}}) {
    if (way.chord.empty()) PostMessageW(window, WM_COMMAND, 104, 0);
    if (!way.chord.empty()) {
      // Opening the menu brings the hidden window to the front: its thread has the keyboard.
      PostMessageW(window, kTrayCallback, 100, WM_RBUTTONUP);
      PostMessageW(WaitFor(PopupMenu), WM_KEYDOWN, VK_ESCAPE, 0);
      ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == window; }));
      for (BYTE key : way.chord) keybd_event(key, 0, 0, 0);
      for (auto key = way.chord.rbegin(); key != way.chord.rend(); ++key) keybd_event(*key, 0, KEYEVENTF_KEYUP, 0);
    }
    HWND box = WaitFor([&] { return AboutBox(window); });
    ASSERT_NE(box, nullptr) << "chord of " << way.chord.size() << " keys";
    std::wstring controls;  // text, identifier, type
    for (HWND control = GetWindow(box, GW_CHILD); control != nullptr; control = GetWindow(control, GW_HWNDNEXT)) {
      wchar_t text[64] = {};
      GetWindowTextW(control, text, 64);
      controls += text + (L" #" + std::to_wstring(GetDlgCtrlID(control))) + L" type " +
                  std::to_wstring(GetWindowLongW(control, GWL_STYLE) & 0xF) + L"\n";
    }
    // Wine gives the icon, group 129, as its text.
    EXPECT_EQ(controls, L"\xFFFF\x81 #-1 type 3\nVESTREL MSFS Plug-In 0.5.0 #-1 type 0\n"
                        L"Copyright \u00a9 2025 Vestrel #-1 type 0\nOK #1 type 1\n");
    GUITHREADINFO focus = {};
    focus.cbSize = sizeof focus;
    GetGUIThreadInfo(GetWindowThreadProcessId(box, nullptr), &focus);
    EXPECT_EQ(GetDlgCtrlID(focus.hwndFocus), IDOK) << "keyboard focus starts on OK";
    PostMessageW(way.message == WM_SYSCOMMAND ? box : GetDlgItem(box, IDOK), way.message, way.wParam, 0);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(box); })) << "message " << way.message << " left the box open";
  }
  EXPECT_EQ(shell.ExitCode(0), STILL_ACTIVE);
}

// What the shell asks of the notification area, in order, recorded by a build
// whose only difference is a recording Shell_NotifyIconW. Under Wine there is
// no panel, so after the standby of start-up every pass shows "waiting".
struct Request {
  unsigned begin, end;
  int result;
  unsigned long long window;
  std::string what;
};

std::vector<Request> ReadTrayLog(const std::string& path) {
  std::vector<Request> requests;
  std::ifstream in(path);
  for (Request r; in >> r.begin >> r.end >> r.result >> std::hex >> r.window >> std::dec && std::getline(in, r.what);) {
    requests.push_back(r);
  }
  // In the order the requests were made, whichever thread made them.
  std::sort(requests.begin(), requests.end(), [](const Request& a, const Request& b) { return a.begin < b.begin; });
  return requests;
}

TEST(TrayRecording, StandbyAtStartThenWaitingOnEveryPassUntilQuitRemovesTheIcon) {
  char folder[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, folder);
  const std::string log = folder + std::string("vestrel-tray-") + std::to_string(GetCurrentProcessId()) + ".log";
  DeleteFileA(log.c_str());
  SetEnvironmentVariableA("VESTREL_TRAY_LOG", log.c_str());
  ShellProcess shell(L"vestrel-pelvar-traylog.exe");
  HWND window = shell.WaitForMainWindow();
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(WaitFor([&] { return ReadTrayLog(log).size() >= 4; })) << "the state is not sent on every pass";
  PostMessageW(window, WM_COMMAND, 105, 0);
  EXPECT_EQ(shell.ExitCode(), 0u);
  const std::vector<Request> requests = ReadTrayLog(log);
  DeleteFileA(log.c_str());

  const std::string record = " size=976 id=100 flags=7 callback=1025 icon=48x48 ";
  ASSERT_GE(requests.size(), 4u);
  EXPECT_EQ(requests.front().what, " ADD" + record + "grey tip=VESTREL\\nStandby");
  const auto removal = std::find_if(requests.begin(), requests.end(), [&](const Request& r) {
    return r.what == " DELETE" + record + "grey tip=VESTREL\\nStandby";
  });
  ASSERT_NE(removal, requests.end()) << "Quit did not remove the icon";
  EXPECT_EQ(requests.front().result + removal->result, 2) << "the notification area took both";
  int shownBeforeQuit = 0;
  for (auto request = requests.begin(); request != requests.end(); ++request) {
    EXPECT_EQ(request->window, reinterpret_cast<UINT_PTR>(window));
    if (request == requests.begin() || request == removal) continue;
    EXPECT_EQ(request->what, " MODIFY" + record + "yellow tip=VESTREL\\nWaiting for Dorvik");
    // The threads do not wait for each other: a pass may overlap the removal
    // and land on either side of it, but none after it brings the icon back.
    if (request->end < removal->begin) shownBeforeQuit += request->result;
    EXPECT_FALSE(request->begin > removal->end && request->result == 1) << "the icon came back after Quit";
  }
  EXPECT_GE(shownBeforeQuit, 2) << "the state is sent again on every pass";
}

}  // namespace
