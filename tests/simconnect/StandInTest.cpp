// The stand-in as a program: what it prints, its commands and exits, and the
// bridge's own registration met over the wire.

#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <thread>

#include "sim/FlightSimInterfaceMSFS.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TempFolder.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// The stand-in on a port the system picks, and our client pointed at it.
class StandIn : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(process_.Start({SIMSTANDIN_PATH, "--port", "0", "--rate", "100"}));
    const std::string listening = process_.WaitForLine("listening on 127.0.0.1:");
    ASSERT_NE(listening, "");
    port_ = static_cast<unsigned short>(std::stoi(listening.substr(listening.rfind(':') + 1)));
    folder_.PointAt(port_);
  }
  void TearDown() override { SimConnect_Close(handle_); }

  bool Open() {
    for (const auto end = Clock::now() + 3s; Clock::now() < end; std::this_thread::sleep_for(1ms)) {
      if (SimConnect_Open(&handle_, "Request Data", nullptr, 0, nullptr, 0) >= 0) return true;
    }
    return false;
  }
  ChildProcess process_;
  TempFolder folder_{/*enter=*/true};
  unsigned short port_ = 0;
  SimConnectHandle handle_ = nullptr;
};

// Dropping clients and quitting on command are the end-to-end tests' part.
TEST_F(StandIn, PrintsItsStateOutlivesItsInputAndRefusesBadArgumentsOrATakenPort) {
  process_.SendLine("state");
  EXPECT_EQ(process_.WaitForLine("state "),
            "state clients=0 events=0 com1_active=118.00 com1_standby=121.50 com2_active=119.00 "
            "com2_standby=122.80 nav1_active=108.00 nav1_standby=110.50 nav2_active=109.00 nav2_standby=113.45 "
            "heading_bug=355 course1=90 course2=5 baro=29.92 ap_master=0 ap_heading=0 ap_nav1=0 ap_approach=0 "
            "ap_altitude=0 ap_vs=0 ap_alt=3000 ap_vs_fpm=0 squawk=1200 ident=0 mapped=0");
  process_.CloseInput();
  ChildProcess taken, badRate;
  ASSERT_TRUE(taken.Start({SIMSTANDIN_PATH, "--port", std::to_string(port_)}));
  ASSERT_TRUE(badRate.Start({SIMSTANDIN_PATH, "--rate", "0"}));
  EXPECT_EQ(taken.WaitForExit(), 1);
  EXPECT_EQ(badRate.WaitForExit(), 2);
  ASSERT_TRUE(Open()) << "still serving after its input closed";
  process_.Signal(SIGTERM);
  EXPECT_EQ(process_.WaitForExit(), 0);
}

// The bridge's own simulator interface through our client: every event and
// variable it registers is known to the stand-in, whose aircraft then fills
// the bridge's mirror (the events it takes are the end-to-end tests' part).
TEST_F(StandIn, BridgeRegistrationMeetsTheStandIn) {
  ASSERT_TRUE(Open());
  msfs.connection = &handle_;
  msfs.Initialize();
  for (const auto end = Clock::now() + 3s; Clock::now() < end && msfs.transponderCode != 0x1200;) {
    ASSERT_GE(SimConnect_CallDispatch(handle_, OnSimMessage, nullptr), 0);
    std::this_thread::sleep_for(5ms);
  }
  process_.SendLine("state");  // the data came after every registration
  EXPECT_NE((process_.WaitForLine("state ") + " ").find(" mapped=104 "), std::string::npos) << "all but number 101";
  EXPECT_EQ(msfs.com1Standby, 121.50);
  EXPECT_EQ(msfs.nav2Standby, 113.45);
  EXPECT_EQ(msfs.headingBug, 355.0);
  EXPECT_EQ(msfs.course2, 5.0);
  EXPECT_EQ(msfs.autopilotAltitude, 3000.0);
  EXPECT_EQ(msfs.transponderCode, 0x1200);
  msfs.connection = nullptr;
}

}  // namespace
