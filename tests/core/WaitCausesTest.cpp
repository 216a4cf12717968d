// Why the bridge waits, on standard error: each cause once, again only after
// what it explains has succeeded or with another detail; the platform's panel
// probe only after a failed open; standard output keeps its two lines.

#include <gtest/gtest.h>

#include <cstdio>

#include "tests/support/CoreFixture.h"

namespace {

bool panelDenied = false;
int probes = 0;

bool ScriptedProbe(char* line, std::size_t size) {
  ++probes;
  std::snprintf(line, size, "panel denied");
  return panelDenied;
}

// What the simulator client says while it waits, twice over.
void TellTwice(WaitCause cause, std::uint32_t detail) {
  for (int time = 0; time < 2; ++time) TellWaitCause(cause, detail, "cause %d detail %u", int(cause), detail);
}

void LoseSimulator() {
  fakesim::FailNextDispatch();
  fakesim::SetSimulatorRunning(false);
  SupervisorPass();
}

TEST_F(CoreTest, EachWaitCauseIsToldOnceUntilWhatItExplainsSucceeds) {
  panelOpenProbe = ScriptedProbe;
  panelDenied = false;
  const struct {
    const char* what;
    void (*act)();
    int probes;  // over the two passes that follow
    const char* told;
  } steps[] = {
      {"panel opened, no debug log: nothing", [] { fakehid::PlugIn(); }, 0, ""},
      {"panel lost, debug log: asked after the failed open", [] { debugLogging = true, fakehid::Unplug(); }, 1,
       "debug: Dorvik panel lost: reading it failed (while waiting for the simulator)\n"},
      {"panel denied: told once", [] { panelDenied = true; }, 1, "panel denied\n"},
      {"simulator away", [] { TellTwice(WaitCause::kSimulatorUnreachable, 1); }, 0, "cause 1 detail 1\n"},
      {"another address", [] { TellTwice(WaitCause::kSimulatorUnreachable, 2); }, 0, "cause 1 detail 2\n"},
      {"both open: not asked", [] { fakehid::PlugIn(), fakesim::SetSimulatorRunning(true); }, 0,
       "debug: Dorvik panel opened\n"},
      {"an exception", [] { TellTwice(WaitCause::kSimulatorException, 3); }, 0, "cause 2 detail 3\n"},
      {"away again after connecting", [] { LoseSimulator(), TellTwice(WaitCause::kSimulatorUnreachable, 2); }, 0,
       "cause 1 detail 2\n"},
      {"the exception after reconnecting",
       [] { fakesim::SetSimulatorRunning(true), SupervisorPass(), TellTwice(WaitCause::kSimulatorException, 3); }, 0,
       "cause 2 detail 3\n"},
      {"panel lost and denied again", [] { LoseSimulator(), fakehid::Unplug(); }, 1,
       "debug: Dorvik panel lost: reading it failed (while waiting for the simulator)\npanel denied\n"},
  };
  ::testing::internal::CaptureStdout();
  for (const auto& step : steps) {
    ::testing::internal::CaptureStderr();
    probes = 0;
    step.act();
    SupervisorPass();
    SupervisorPass();
    EXPECT_EQ(probes, step.probes) << step.what;
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), step.told) << step.what;
  }
  debugLogging = false;
  ::testing::internal::GetCapturedStdout();  // the loss lines are the supervisor tests' subject
}

}  // namespace
