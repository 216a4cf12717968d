// The shipped executable as a user starts it: one instance per session, a
// main window that never shows, whatever the caller asks for.

#include <gtest/gtest.h>
#include <windows.h>

#include "tests/windows/support/ShellProcess.h"

namespace {

constexpr wchar_t kShell[] = L"vestrel-pelvar.exe";
constexpr DWORD kQuitCommand = 105;

ShellProcess::Options Shell(WORD showCommand = SW_SHOWNORMAL, const wchar_t* arguments = L"") {
  return {kShell, showCommand, arguments};
}

// Quits an instance through its menu command and returns its exit code.
DWORD Quit(ShellProcess& shell, HWND mainWindow) {
  PostMessageW(mainWindow, WM_COMMAND, kQuitCommand, 0);
  DWORD exitCode = 1234;
  EXPECT_TRUE(shell.WaitForExit(15000, &exitCode)) << "no exit after Quit";
  return exitCode;
}

TEST(SingleInstance, SecondStartExitsWithOneAndLeavesTheFirstUndisturbed) {
  ShellProcess first(Shell());
  ASSERT_TRUE(first.Started());
  HWND firstWindow = first.WaitForMainWindow();
  ASSERT_NE(firstWindow, nullptr);

  ShellProcess second(Shell());
  ASSERT_TRUE(second.Started());
  DWORD secondExit = 1234;
  ASSERT_TRUE(second.WaitForExit(15000, &secondExit));
  EXPECT_EQ(secondExit, 1u);

  EXPECT_TRUE(first.Running());
  EXPECT_TRUE(IsWindow(firstWindow));
  EXPECT_EQ(Quit(first, firstWindow), 0u);

  // The lock went with the first instance: a new start gets its own window.
  ShellProcess third(Shell());
  HWND thirdWindow = third.WaitForMainWindow();
  ASSERT_NE(thirdWindow, nullptr);
  EXPECT_EQ(Quit(third, thirdWindow), 0u);
}

TEST(SingleInstance, LockDoesNotOutliveAKilledInstance) {
  {
    ShellProcess killed(Shell());
    ASSERT_NE(killed.WaitForMainWindow(), nullptr);
    killed.Kill();
    ASSERT_FALSE(killed.Running());
  }
  ShellProcess next(Shell());
  HWND window = next.WaitForMainWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(Quit(next, window), 0u);
}

struct StartRequest {
  const char* name;
  WORD showCommand;
  const wchar_t* arguments;
};

class HiddenMainWindow : public testing::TestWithParam<StartRequest> {};

TEST_P(HiddenMainWindow, ExistsWithItsClassAndTitleButNeverShows) {
  ShellProcess shell(Shell(GetParam().showCommand, GetParam().arguments));
  HWND window = shell.WaitForMainWindow();
  ASSERT_NE(window, nullptr);

  wchar_t className[64] = {};
  wchar_t title[64] = {};
  GetClassNameW(window, className, 64);
  GetWindowTextW(window, title, 64);
  EXPECT_STREQ(className, L"TRAYICON2");
  EXPECT_STREQ(title, L"Vestrel Pelvar Plug-In");
  EXPECT_EQ(GetWindowLongW(window, GWL_STYLE) & WS_OVERLAPPEDWINDOW, static_cast<LONG>(WS_OVERLAPPEDWINDOW));

  // Still hidden once start-up is long over.
  Sleep(500);
  EXPECT_FALSE(IsWindowVisible(window));
  EXPECT_FALSE(IsZoomed(window));
  EXPECT_TRUE(shell.Running());
  EXPECT_EQ(Quit(shell, window), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    ShowCommands, HiddenMainWindow,
    testing::Values(StartRequest{"Maximised", SW_SHOWMAXIMIZED, L""},
                    StartRequest{"Normal", SW_SHOWNORMAL, L""},
                    StartRequest{"MaximisedWithArguments", SW_SHOWMAXIMIZED, L"/show --visible"}),
    [](const testing::TestParamInfo<StartRequest>& info) { return info.param.name; });

}  // namespace
