#pragma once

// A bridge brought up the way it runs: panel plugged in, simulator running,
// supervisor passes until both are connected, and the aircraft reported by
// the simulator through the dispatch, not written into the mirror by hand.

#include <cstdint>
#include <vector>

#include "tests/fakes/FakeSimConnect.h"
#include "tests/support/CoreFixture.h"
#include "tests/support/PanelBytes.h"
#include "tests/support/SentEvents.h"

// The aircraft as the simulator reports it in its two data messages.
struct Aircraft {
  double com1Standby = 118.00;
  double com2Standby = 119.00;
  double nav1Standby = 110.50;
  double nav2Standby = 113.45;
  double headingBug = 355;
  double course1 = 90;
  double course2 = 5;
  double autopilotAltitude = 3000;
  double autopilotVerticalSpeed = 0;
  std::int32_t transponderCode = 0x1200;
  std::int32_t flags[6] = {0, 0, 0, 0, 0, 0};  // master, heading, NAV 1, approach, altitude, vertical speed

  fakesim::Bytes Request0() const {
    return fakesim::DataMessage(0, fakesim::Float64s({com1Standby, com2Standby, nav1Standby, nav2Standby, headingBug,
                                                      course1, course2}));
  }
  fakesim::Bytes Request1() const {
    return fakesim::DataMessage(
        1, fakesim::Concat(fakesim::Float64s({autopilotAltitude, autopilotVerticalSpeed}),
                           fakesim::Int32s({transponderCode, flags[0], flags[1], flags[2], flags[3], flags[4],
                                            flags[5]})));
  }
};

class ConnectedBridge : public CoreTest {
 protected:
  void SetUp() override {
    CoreTest::SetUp();
    fakehid::PlugIn();
    fakesim::SetSimulatorRunning(true);
    SupervisorPass();
    ASSERT_TRUE(deviceOpen && simConnected);
    SimulatorReports(Aircraft{});
  }

  // The simulator reports `aircraft`; the next pass's dispatch delivers it.
  void SimulatorReports(const Aircraft& aircraft) {
    fakesim::QueueMessage(aircraft.Request0());
    fakesim::QueueMessage(aircraft.Request1());
    SupervisorPass();
    fakesim::ClearCalls();
  }

  // Queues the reports and runs one pass; returns what reached the simulator.
  std::vector<Sent> Panel(const std::vector<std::vector<unsigned char>>& reports) {
    fakesim::ClearCalls();
    for (const auto& report : reports) fakehid::QueueReport(report);
    SupervisorPass();
    return SentEvents();
  }
};
