// The tray icon's requests as the shell makes them, recorded by a test build
// of the shell whose only difference is a recording Shell_NotifyIconW. Under
// Wine there is no panel and no simulator (no SimConnect.dll), so after the
// grey standby form of start-up the supervisor keeps showing "waiting".

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "tests/windows/support/ShellProcess.h"
#include "tests/windows/support/TestFiles.h"

namespace {

struct TrayRequest {
  std::string message;  // ADD, MODIFY, DELETE
  unsigned begin = 0, end = 0;
  unsigned long size = 0;
  unsigned long long window = 0;
  unsigned id = 0, flags = 0, callback = 0;
  int width = 0, height = 0;
  int red = 0, green = 0, blue = 0;
  int result = -1;
  std::string tip;
};

std::vector<TrayRequest> ReadTrayLog(const std::wstring& path) {
  std::vector<TrayRequest> requests;
  std::string contents;
  ReadWholeFile(path, &contents);
  std::istringstream in(contents);
  std::string line;
  while (std::getline(in, line)) {
    TrayRequest request;
    char message[16] = {};
    char tip[160] = {};
    const int fields = std::sscanf(
        line.c_str(),
        "%15s begin=%u end=%u size=%lu window=%llx id=%u flags=%u callback=%u icon=%dx%d colour=%d,%d,%d "
        "result=%d tip=%159[^\n]",
        message, &request.begin, &request.end, &request.size, &request.window, &request.id, &request.flags,
        &request.callback, &request.width, &request.height, &request.red, &request.green, &request.blue,
        &request.result, tip);
    if (fields != 15) {
      ADD_FAILURE() << "unreadable tray log line: " << line;
      continue;
    }
    request.message = message;
    request.tip = tip;
    requests.push_back(request);
  }
  // In the order the requests were made, whichever thread made them.
  std::sort(requests.begin(), requests.end(),
            [](const TrayRequest& a, const TrayRequest& b) { return a.begin < b.begin; });
  return requests;
}

enum class Tint { Grey, Yellow, Green, Other };

Tint TintOf(const TrayRequest& request) {
  const int r = request.red, g = request.green, b = request.blue;
  if (std::max({r, g, b}) - std::min({r, g, b}) < 30) return Tint::Grey;
  if (r - b > 60 && g - b > 40) return Tint::Yellow;
  if (g - r > 40 && g - b > 25) return Tint::Green;
  return Tint::Other;
}

class TrayRecording : public testing::Test {
 protected:
  void SetUp() override {
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    logPath_ = std::wstring(folder) + L"vestrel-tray-" + std::to_wstring(GetCurrentProcessId()) + L".log";
    DeleteFileW(logPath_.c_str());
    SetEnvironmentVariableW(L"VESTREL_TRAY_LOG", logPath_.c_str());
  }
  void TearDown() override {
    SetEnvironmentVariableW(L"VESTREL_TRAY_LOG", nullptr);
    DeleteFileW(logPath_.c_str());
  }

  bool LogHolds(const std::string& tip) {
    const std::vector<TrayRequest> requests = ReadTrayLog(logPath_);
    return std::any_of(requests.begin(), requests.end(), [&](const TrayRequest& r) { return r.tip == tip; });
  }

  std::wstring logPath_;
};

TEST_F(TrayRecording, StartsGreyInStandbyThenShowsWaitingAndQuitRemovesTheIcon) {
  ShellProcess shell({L"vestrel-pelvar-traylog.exe", SW_SHOWNORMAL, L""});
  HWND mainWindow = shell.WaitForMainWindow();
  ASSERT_NE(mainWindow, nullptr);
  ASSERT_TRUE(WaitUntil([&] { return LogHolds("VESTREL\\nWaiting for Dorvik"); }, 10000))
      << "the supervisor never reported waiting";
  Sleep(200);  // a few more passes

  PostMessageW(mainWindow, WM_COMMAND, 105, 0);
  DWORD exitCode = 1234;
  ASSERT_TRUE(shell.WaitForExit(15000, &exitCode));
  EXPECT_EQ(exitCode, 0u);

  const std::vector<TrayRequest> requests = ReadTrayLog(logPath_);
  ASSERT_GE(requests.size(), 3u);
  const unsigned long long window = reinterpret_cast<UINT_PTR>(mainWindow);

  // Every request names the same icon with the full record.
  for (const TrayRequest& request : requests) {
    EXPECT_EQ(request.size, 976u);
    EXPECT_EQ(request.window, window);
    EXPECT_EQ(request.id, 100u);
  }

  // Start-up: the grey standby form, added once.
  const TrayRequest& added = requests.front();
  EXPECT_EQ(added.message, "ADD");
  EXPECT_EQ(added.tip, "VESTREL\\nStandby");
  EXPECT_EQ(added.flags, 7u) << "icon, tooltip and callback message";
  EXPECT_EQ(added.callback, 0x0401u);
  EXPECT_EQ(added.width, 48);
  EXPECT_EQ(added.height, 48);
  EXPECT_EQ(TintOf(added), Tint::Grey) << added.red << "," << added.green << "," << added.blue;
  EXPECT_EQ(added.result, 1) << "the notification area took the icon";
  EXPECT_EQ(std::count_if(requests.begin(), requests.end(), [](const TrayRequest& r) { return r.message == "ADD"; }),
            1);

  // Then, with no panel, waiting on every pass until the icon goes.
  const auto removal = std::find_if(requests.begin(), requests.end(),
                                    [](const TrayRequest& r) { return r.message == "DELETE"; });
  ASSERT_NE(removal, requests.end()) << "Quit did not remove the icon";
  EXPECT_EQ(removal->result, 1);
  int waitingShown = 0;
  for (auto request = requests.begin() + 1; request != requests.end(); ++request) {
    if (request == removal) continue;
    EXPECT_EQ(request->message, "MODIFY");
    EXPECT_EQ(request->tip, "VESTREL\\nWaiting for Dorvik");
    EXPECT_EQ(request->flags, 7u);
    EXPECT_EQ(request->callback, 0x0401u);
    EXPECT_EQ(request->width, 48);
    EXPECT_EQ(TintOf(*request), Tint::Yellow) << request->red << "," << request->green << "," << request->blue;
    // The two threads do not wait for each other: a pass that overlaps the
    // removal may land on either side of it. Before it, the icon is there to
    // change; after it, a pass must not bring the icon back.
    if (request->end < removal->begin) {
      EXPECT_EQ(request->result, 1);
      ++waitingShown;
    }
    if (request->begin > removal->end) {
      EXPECT_EQ(request->result, 0) << "the icon came back after Quit";
    }
  }
  EXPECT_GE(waitingShown, 2) << "the state is sent again on every pass";
}

}  // namespace
