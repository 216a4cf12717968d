// The tray icon, its menu, the About box and the accelerators of the shipped
// executable, driven from outside as the notification area and a user would.

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>

#include "tests/windows/support/ShellControls.h"
#include "tests/windows/support/ShellProcess.h"

namespace {

constexpr DWORD kAboutCommand = 104;
constexpr DWORD kQuitCommand = 105;

class RunningShell : public testing::Test {
 protected:
  void SetUp() override {
    mainWindow_ = shell_.WaitForMainWindow();
    ASSERT_NE(mainWindow_, nullptr);
    // The icon is added right after the window appears.
    ASSERT_TRUE(WaitUntil([&] { return TrayIconExists(mainWindow_); }, 10000)) << "no tray icon";
  }

  void CloseAboutBox(HWND box) {
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box); }, 10000));
  }

  void CloseMenu(HWND menu) {
    PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    ASSERT_TRUE(WaitUntil([&] { return WaitForPopupMenu(0) == nullptr; }, 10000));
  }

  ShellProcess shell_{{L"vestrel-pelvar.exe", SW_SHOWNORMAL, L""}};
  HWND mainWindow_ = nullptr;
};

TEST_F(RunningShell, QuitRemovesTheIconAndEndsWithExitCodeZero) {
  PostMessageW(mainWindow_, WM_COMMAND, kQuitCommand, 0);
  DWORD exitCode = 1234;
  ASSERT_TRUE(shell_.WaitForExit(15000, &exitCode));
  EXPECT_EQ(exitCode, 0u);
  EXPECT_FALSE(TrayIconExists(mainWindow_));
}

TEST_F(RunningShell, OtherCommandsLeaveItRunning) {
  PostMessageW(mainWindow_, WM_COMMAND, 0xFFFF, 0);  // "&Hilfe", which nothing handles
  PostMessageW(mainWindow_, WM_COMMAND, 106, 0);
  PostMessageW(mainWindow_, WM_TIMER, 1, 0);
  Sleep(500);
  EXPECT_TRUE(shell_.Running());
  EXPECT_TRUE(TrayIconExists(mainWindow_));
}

struct TrayClick {
  const char* name;
  UINT notification;
  bool opensMenu;
};

class TrayNotification : public RunningShell, public testing::WithParamInterface<TrayClick> {};

TEST_P(TrayNotification, OpensTheMenuAtThePointerOnlyForRightReleaseAndLeftDoubleClick) {
  SetCursorPos(200, 150);
  POINT pointer = {};
  GetCursorPos(&pointer);
  NotifyFromTray(mainWindow_, GetParam().notification);
  HWND menu = WaitForPopupMenu(GetParam().opensMenu ? 10000 : 700);
  if (!GetParam().opensMenu) {
    EXPECT_EQ(menu, nullptr);
    return;
  }
  ASSERT_NE(menu, nullptr);
  RECT frame = {};
  GetWindowRect(menu, &frame);
  EXPECT_EQ(frame.left, pointer.x);
  EXPECT_EQ(frame.top, pointer.y);
  CloseMenu(menu);
  EXPECT_TRUE(shell_.Running());
}

INSTANTIATE_TEST_SUITE_P(Clicks, TrayNotification,
                         testing::Values(TrayClick{"RightRelease", WM_RBUTTONUP, true},
                                         TrayClick{"LeftDoubleClick", WM_LBUTTONDBLCLK, true},
                                         TrayClick{"LeftClick", WM_LBUTTONUP, false},
                                         TrayClick{"LeftPress", WM_LBUTTONDOWN, false},
                                         TrayClick{"RightPress", WM_RBUTTONDOWN, false},
                                         TrayClick{"PointerMove", WM_MOUSEMOVE, false}),
                         [](const testing::TestParamInfo<TrayClick>& info) { return info.param.name; });

// The menu's handle cannot be read from another process, so its entries are
// checked the way a user reaches them: by keyboard.
TEST_F(RunningShell, MenuFirstEntryIsQuit) {
  NotifyFromTray(mainWindow_, WM_RBUTTONUP);
  HWND menu = WaitForPopupMenu(10000);
  ASSERT_NE(menu, nullptr);
  PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
  PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
  DWORD exitCode = 1234;
  ASSERT_TRUE(shell_.WaitForExit(15000, &exitCode));
  EXPECT_EQ(exitCode, 0u);
}

TEST_F(RunningShell, MenuSecondEntryOpensTheAboutBoxAndLeavesTheProgramRunning) {
  NotifyFromTray(mainWindow_, WM_RBUTTONUP);
  HWND menu = WaitForPopupMenu(10000);
  ASSERT_NE(menu, nullptr);
  PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
  PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
  PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
  HWND box = WaitForAboutBox(mainWindow_, 10000);
  ASSERT_NE(box, nullptr);
  CloseAboutBox(box);
  EXPECT_TRUE(shell_.Running());
}

TEST_F(RunningShell, MenuInfoEntryAnswersToItsAccessKey) {
  NotifyFromTray(mainWindow_, WM_LBUTTONDBLCLK);
  HWND menu = WaitForPopupMenu(10000);
  ASSERT_NE(menu, nullptr);
  PostMessageW(menu, WM_CHAR, L'i', 0);
  HWND box = WaitForAboutBox(mainWindow_, 10000);
  ASSERT_NE(box, nullptr);
  CloseAboutBox(box);
}

TEST_F(RunningShell, AboutBoxShowsNameVersionYearAndOk) {
  PostMessageW(mainWindow_, WM_COMMAND, kAboutCommand, 0);
  HWND box = WaitForAboutBox(mainWindow_, 10000);
  ASSERT_NE(box, nullptr);

  const std::vector<ChildControl> controls = ChildControls(box);
  ASSERT_EQ(controls.size(), 4u);
  EXPECT_EQ(controls[0].style & SS_TYPEMASK, SS_ICON);
  EXPECT_EQ(controls[1].text, L"VESTREL MSFS Plug-In 0.5.0");
  EXPECT_NE(controls[2].text.find(L"2025"), std::wstring::npos) << "second line names the year";
  EXPECT_EQ(controls[3].text, L"OK");
  EXPECT_EQ(controls[3].id, IDOK);
  EXPECT_EQ(controls[3].style & BS_TYPEMASK, BS_DEFPUSHBUTTON);

  GUITHREADINFO focus = {};
  focus.cbSize = sizeof focus;
  if (GetGUIThreadInfo(GetWindowThreadProcessId(box, nullptr), &focus) && focus.hwndFocus != nullptr) {
    EXPECT_EQ(GetDlgCtrlID(focus.hwndFocus), IDOK) << "keyboard focus starts on OK";
  }
  CloseAboutBox(box);
  EXPECT_TRUE(shell_.Running());
  EXPECT_TRUE(TrayIconExists(mainWindow_));
}

struct CloseWay {
  const char* name;
  void (*close)(HWND box);
};

class AboutBoxClosing : public RunningShell, public testing::WithParamInterface<CloseWay> {};

TEST_P(AboutBoxClosing, ClosesAndTheProgramRunsOn) {
  PostMessageW(mainWindow_, WM_COMMAND, kAboutCommand, 0);
  HWND box = WaitForAboutBox(mainWindow_, 10000);
  ASSERT_NE(box, nullptr);
  GetParam().close(box);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(box); }, 10000));
  EXPECT_TRUE(shell_.Running());
  EXPECT_TRUE(TrayIconExists(mainWindow_));
}

INSTANTIATE_TEST_SUITE_P(
    Ways, AboutBoxClosing,
    testing::Values(
        CloseWay{"OkButton", [](HWND box) { PostMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0); }},
        CloseWay{"Enter", [](HWND box) { PostMessageW(GetDlgItem(box, IDOK), WM_KEYDOWN, VK_RETURN, 0); }},
        CloseWay{"Escape", [](HWND box) { PostMessageW(GetDlgItem(box, IDOK), WM_KEYDOWN, VK_ESCAPE, 0); }},
        CloseWay{"CloseButton", [](HWND box) { PostMessageW(box, WM_SYSCOMMAND, SC_CLOSE, 0); }}),
    [](const testing::TestParamInfo<CloseWay>& info) { return info.param.name; });

struct Accelerator {
  const char* name;
  std::vector<WORD> keys;
};

class AboutAccelerator : public RunningShell, public testing::WithParamInterface<Accelerator> {};

TEST_P(AboutAccelerator, OpensTheAboutBoxWhileTheMainWindowHasTheKeyboard) {
  // Opening the menu brings the hidden window to the front; that is how its
  // thread comes to have the keyboard.
  NotifyFromTray(mainWindow_, WM_RBUTTONUP);
  HWND menu = WaitForPopupMenu(10000);
  ASSERT_NE(menu, nullptr);
  CloseMenu(menu);
  ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == mainWindow_; }, 5000));

  TypeChord(GetParam().keys);
  HWND box = WaitForAboutBox(mainWindow_, 10000);
  ASSERT_NE(box, nullptr);
  CloseAboutBox(box);
}

INSTANTIATE_TEST_SUITE_P(Keys, AboutAccelerator,
                         testing::Values(Accelerator{"AltSlash", {VK_MENU, VK_OEM_2}},
                                         Accelerator{"AltQuestionMark", {VK_MENU, VK_SHIFT, VK_OEM_2}}),
                         [](const testing::TestParamInfo<Accelerator>& info) { return info.param.name; });

}  // namespace
