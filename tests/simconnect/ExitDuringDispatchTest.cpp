// exit() while the supervisor is inside the simulator client: the process
// must end without destroying anything the thread still uses. Such an object
// shows as a race or a use after free under the thread checker (or the
// address checker), which then ends the child with a failure.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "supervisor/SupervisorThread.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TempFolder.h"

namespace {

TEST(ExitDuringDispatch, DestroysNothingTheSupervisorStillUses) {
  ChildProcess standIn;
  ASSERT_TRUE(standIn.Start({SIMSTANDIN_PATH, "--port", "0", "--rate", "100"}));
  const std::string listening = standIn.WaitForLine("listening on 127.0.0.1:");
  ASSERT_NE(listening, "");
  TempFolder folder;
  folder.PointAt(static_cast<unsigned short>(std::stoi(listening.substr(listening.rfind(':') + 1))));
  // The checker lets the thread run on for 50 ms after the destructors (two
  // passes), not its default second: 50 runs must stay quick.
  const char* inherited = std::getenv("TSAN_OPTIONS");
  const std::string checker =
      std::string("TSAN_OPTIONS=") + (inherited ? inherited : "") + " halt_on_error=1 atexit_sleep_ms=50";
  // exit() lands at a different point of the pass in each run.
  for (int run = 0; run < 50; ++run) {
    ChildProcess bridge;
    const std::string delay = std::to_string(run % kSupervisorPeriodMilliseconds);
    ASSERT_TRUE(bridge.Start({EXIT_DURING_DISPATCH_PATH, delay}, {folder.Path(), {checker}}));
    ASSERT_EQ(bridge.WaitForExit(10000), 0) << "run " << run << ", exit " << delay << " ms after a dispatch";
  }
}

}  // namespace
