// What the shell asks of the notification area, in order, as recorded by a
// build of it whose only difference is a recording Shell_NotifyIconW. Under
// Wine there is no panel and no SimConnect.dll, so after the grey standby of
// start-up every supervisor pass shows "waiting".

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "tests/windows/support/ShellProcess.h"

namespace {

struct Request {
  unsigned begin, end;
  int result;
  unsigned long long window;
  std::string what;
};

// In the order the requests were made, whichever thread made them.
std::vector<Request> ReadLog(const std::string& path) {
  std::vector<Request> requests;
  std::ifstream in(path);
  for (std::string line; std::getline(in, line);) {
    Request request = {};
    char what[200] = {};
    if (std::sscanf(line.c_str(), "%u %u %d %llx %199[^\n]", &request.begin, &request.end, &request.result,
                    &request.window, what) != 5) {
      ADD_FAILURE() << "unreadable: " << line;
    }
    request.what = what;
    requests.push_back(request);
  }
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
  ASSERT_TRUE(WaitFor([&] { return ReadLog(log).size() >= 4; })) << "the supervisor does not report every pass";
  PostMessageW(window, WM_COMMAND, 105, 0);
  EXPECT_EQ(shell.ExitCode(), 0u);
  const std::vector<Request> requests = ReadLog(log);
  DeleteFileA(log.c_str());

  const std::string record = " size=976 id=100 flags=7 callback=1025 icon=48x48 ";
  const std::string standby = record + "grey tip=VESTREL\\nStandby";
  ASSERT_GE(requests.size(), 4u);
  EXPECT_EQ(requests.front().what, "ADD" + standby);
  EXPECT_EQ(requests.front().result, 1) << "the notification area took the icon";
  const auto removal =
      std::find_if(requests.begin(), requests.end(), [](const Request& r) { return r.what.rfind("DELETE", 0) == 0; });
  ASSERT_NE(removal, requests.end()) << "Quit did not remove the icon";
  EXPECT_EQ(removal->what, "DELETE" + standby);
  EXPECT_EQ(removal->result, 1);
  int shownBeforeQuit = 0;
  for (auto request = requests.begin(); request != requests.end(); ++request) {
    EXPECT_EQ(request->window, reinterpret_cast<UINT_PTR>(window));
    if (request == requests.begin() || request == removal) continue;
    EXPECT_EQ(request->what, "MODIFY" + record + "yellow tip=VESTREL\\nWaiting for Dorvik");
    // The threads do not wait for each other: a pass that overlaps the
    // removal may land on either side of it, but none after it may bring
    // the icon back.
    if (request->end < removal->begin) shownBeforeQuit += request->result;
    EXPECT_FALSE(request->begin > removal->end && request->result == 1) << "the icon came back after Quit";
  }
  EXPECT_GE(shownBeforeQuit, 2) << "the state is sent again on every pass";
}

}  // namespace
