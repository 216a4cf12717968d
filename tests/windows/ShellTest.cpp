// The shell driven from outside, as the notification area and a user would:
// one start per behaviour.

#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
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
  // Opened by the menu's command, Alt+/ and Alt+?; closed by "OK", Enter, Escape and the close button.
  const std::vector<BYTE> chords[] = {{}, {VK_MENU, VK_OEM_2}, {VK_MENU, VK_SHIFT, VK_OEM_2}, {}};
  const UINT closings[][2] = {
      {BM_CLICK, 0}, {WM_KEYDOWN, VK_RETURN}, {WM_KEYDOWN, VK_ESCAPE}, {WM_SYSCOMMAND, SC_CLOSE}};
  for (int way = 0; way < 4; ++way) {
    const std::vector<BYTE>& chord = chords[way];
    if (chord.empty()) PostMessageW(window, WM_COMMAND, 104, 0);
    if (!chord.empty()) {
      // Opening the menu brings the hidden window to the front: its thread has the keyboard.
      PostMessageW(window, kTrayCallback, 100, WM_RBUTTONUP);
      PostMessageW(WaitFor(PopupMenu), WM_KEYDOWN, VK_ESCAPE, 0);
      ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == window; }));
      for (BYTE key : chord) keybd_event(key, 0, 0, 0);
      for (auto key = chord.rbegin(); key != chord.rend(); ++key) keybd_event(*key, 0, KEYEVENTF_KEYUP, 0);
    }
    HWND box = WaitFor([&] { return AboutBox(window); });
    ASSERT_NE(box, nullptr) << "way " << way;
    std::wstring controls;  // text, identifier, type
    for (HWND control = GetWindow(box, GW_CHILD); control != nullptr; control = GetWindow(control, GW_HWNDNEXT)) {
      wchar_t text[64] = {};
      GetWindowTextW(control, text, 64);
      controls += text + (L" #" + std::to_wstring(GetDlgCtrlID(control))) + L" type " +
                  std::to_wstring(GetWindowLongW(control, GWL_STYLE) & 0xF) + L"\n";
    }
    // Wine gives the icon, group 129, as its text.
    EXPECT_EQ(controls,
              L"\xFFFF\x81 #-1 type 3\nVESTREL MSFS Plug-In 0.5.0 #-1 type 0\n"
              L"Copyright \u00a9 2025 Vestrel #-1 type 0\nOK #1 type 1\n");
    const UINT* closing = closings[way];
    PostMessageW(closing[0] == WM_SYSCOMMAND ? box : GetDlgItem(box, IDOK), closing[0], closing[1], 0);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(box); })) << "way " << way << " left the box open";
  }
  EXPECT_EQ(shell.ExitCode(0), STILL_ACTIVE);
}

// What the shell asks of the notification area, in order, recorded by a build
// whose only difference is a recording Shell_NotifyIconW. Under Wine there is
// no panel, so after the standby of start-up every pass shows "waiting".
// Result and request, in the order they met the notification area.
std::vector<std::pair<int, std::string>> ReadTrayLog(const std::string& path) {
  std::vector<std::pair<int, std::string>> requests;
  std::ifstream in(path);
  for (std::pair<int, std::string> r; in >> r.first && std::getline(in, r.second);) requests.push_back(r);
  return requests;
}

TEST(TrayRecording, StandbyAtStartThenWaitingOnEveryPassUntilQuitRemovesTheIcon) {
  // In our working folder, which the shell inherits.
  const std::string log = "vestrel-tray-" + std::to_string(GetCurrentProcessId()) + ".log";
  DeleteFileA(log.c_str());
  SetEnvironmentVariableA("VESTREL_TRAY_LOG", log.c_str());
  ShellProcess shell(L"vestrel-pelvar-traylog.exe");
  HWND window = shell.WaitForMainWindow();
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(WaitFor([&] { return ReadTrayLog(log).size() >= 4; })) << "the state is not sent on every pass";
  PostMessageW(window, WM_COMMAND, 105, 0);
  EXPECT_EQ(shell.ExitCode(), 0u);
  const auto requests = ReadTrayLog(log);
  DeleteFileA(log.c_str());

  const std::string record = " window=main size=976 id=100 flags=7 callback=1025 icon=48x48 ";
  const std::string standby = record + "grey tip=VESTREL\\nStandby";
  const std::string waiting = record + "yellow tip=VESTREL\\nWaiting for Dorvik";
  const auto removal = std::find_if(requests.begin(), requests.end(),
                                    [](const auto& request) { return request.second.rfind(" DELETE", 0) == 0; });
  ASSERT_NE(removal, requests.end()) << "Quit did not remove the icon";
  EXPECT_GE(removal - requests.begin(), 3) << "the state is sent again on every pass";
  for (auto request = requests.begin(); request != requests.end(); ++request) {
    EXPECT_EQ(request->second, request == requests.begin() ? " ADD" + standby
                               : request == removal        ? " DELETE" + standby
                                                           : " MODIFY" + waiting);
    // A pass may still run after Quit, but it must not bring the icon back.
    EXPECT_EQ(request->first, request <= removal ? 1 : 0) << "request " << request - requests.begin();
  }
}

// A panel (the scripted one) and the stand-in, which the SimConnect.cfg of
// its folder names: the icon turns green with the connected tooltip. The
// user's profile folder holds a broken profile, told once as a balloon, and
// one for the stand-in's aircraft, named in the tooltip's third line.
TEST(TrayRecording, ConnectedOnceBothThePanelAndTheSimulatorAreThere) {
  char log[MAX_PATH];
  GetFullPathNameA(("vestrel-connected-" + std::to_string(GetCurrentProcessId()) + ".log").c_str(), MAX_PATH, log,
                   nullptr);
  DeleteFileA(log);
  SetEnvironmentVariableA("VESTREL_TRAY_LOG", log);
  char appData[MAX_PATH];
  GetFullPathNameA(("appdata-" + std::to_string(GetCurrentProcessId())).c_str(), MAX_PATH, appData, nullptr);
  const std::string profiles = std::string(appData) + "\\Vestrel Pelvar\\aircraft";
  CreateDirectoryA(appData, nullptr);
  CreateDirectoryA((std::string(appData) + "\\Vestrel Pelvar").c_str(), nullptr);
  CreateDirectoryA(profiles.c_str(), nullptr);
  const struct {
    const char* name;
    const char* text;
  } files[] = {{"0-broken.toml", "name = \"x\"\n[match]\ntitle = \"*\"\n[controls]\nheading_outer_incc = \"none\"\n"},
               {"cessna.toml", "name = \"Test Skyhawk\"\n[match]\ntitle = \"Cessna Skyhawk*\"\n"}};
  for (const auto& file : files) {
    std::FILE* out = std::fopen((profiles + "\\" + file.name).c_str(), "wb");
    ASSERT_NE(out, nullptr);
    std::fputs(file.text, out);
    std::fclose(out);
  }
  char previousAppData[MAX_PATH] = {};
  const bool hadAppData = GetEnvironmentVariableA("APPDATA", previousAppData, MAX_PATH) > 0;
  SetEnvironmentVariableA("APPDATA", appData);
  wchar_t ours[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, ours);
  SetCurrentDirectoryA(VP_STANDIN_FOLDER);  // the shell inherits it
  ShellProcess shell(L"vestrel-pelvar-connected.exe");
  SetEnvironmentVariableA("APPDATA", hadAppData ? previousAppData : nullptr);
  SetCurrentDirectoryW(ours);
  HWND window = shell.WaitForMainWindow();
  ASSERT_NE(window, nullptr);
  const std::string connected =
      " MODIFY window=main size=976 id=100 flags=7 callback=1025 icon=48x48 green tip=VESTREL\\nConnected to MSFS";
  EXPECT_TRUE(WaitFor([&] {
    const auto requests = ReadTrayLog(log);
    return std::any_of(requests.begin(), requests.end(), [&](const auto& r) { return r.second == connected; });
  })) << "never shown connected";
  const std::string withProfile = connected + "\\nProfile: Test Skyhawk";
  const std::string balloon =
      " MODIFY window=main size=976 id=100 flags=16 callback=1025 icon=48x48 green "
      "tip=VESTREL\\nConnected to MSFS\\nProfile: Test Skyhawk info=Aircraft profile refused: " +
      profiles +
      "\\0-broken.toml:5:1: unknown function \"heading_outer_incc\"; did you mean "
      "\"heading_outer_inc\"?";
  EXPECT_TRUE(WaitFor([&] {
    const auto requests = ReadTrayLog(log);
    return std::any_of(requests.begin(), requests.end(), [&](const auto& r) { return r.second == withProfile; });
  })) << "the tooltip never named the profile";
  const auto requests = ReadTrayLog(log);
  EXPECT_EQ(std::count_if(requests.begin(), requests.end(), [&](const auto& r) { return r.second == balloon; }), 1)
      << "the refused profile was not told once as a balloon";
  PostMessageW(window, WM_COMMAND, 105, 0);
  EXPECT_EQ(shell.ExitCode(), 0u);
  DeleteFileA(log);
  for (const auto& file : files) DeleteFileA((profiles + "\\" + file.name).c_str());
}

}  // namespace
