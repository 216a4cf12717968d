// The network client against a scripted simulator end: an open carried across
// calls without waiting, messages handed over whole, and every way a
// connection is lost.

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "sim/SimConnect.h"
#include "sim/simconnect/Net/NetTuning.h"
#include "supervisor/WaitCauses.h"
#include "tests/simconnect/support/LoopbackServer.h"
#include "tests/support/ObjectData.h"
#include "tests/support/TempFolder.h"

namespace {

using namespace std::chrono_literals;
using objectdata::Concat;
using simwire::Bytes;
using Clock = std::chrono::steady_clock;
using ::testing::internal::CaptureStderr;
using ::testing::internal::GetCapturedStderr;

// Keeps a copy of each message, which comes aligned for SIMCONNECT_RECV.
void Record(SIMCONNECT_RECV* message, SimConnectDword size, void* context) {
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(message) % alignof(double), 0u);
  const auto* bytes = reinterpret_cast<const unsigned char*>(message);
  static_cast<std::vector<Bytes>*>(context)->emplace_back(bytes, bytes + size);
}

const Bytes kQuit = {12, 0, 0, 0, 5, 0, 0, 0, 3, 0, 0, 0};
const Bytes kFrame = objectdata::Definition0({118.0, 119.0, 110.5, 113.45, 355.0, 90.0, 5.0});

class NetClient : public ::testing::Test {
 protected:
  void SetUp() override {
    SetSimConnectNetTuning(Tuning(0ms));
    folder_.PointAt(server_.Port());
    ForgetWaitCauses();
  }
  void TearDown() override {
    SimConnect_Close(handle_);
    debugLogging = false;
  }

  static SimConnectNetTuning Tuning(std::chrono::milliseconds retryInterval, std::size_t outgoingLimit = 1 << 18) {
    return SimConnectNetTuning{100ms, 300ms, retryInterval, outgoingLimit};  // stall, open timeout, retry, queue
  }
  SimConnectResult Open() { return SimConnect_Open(&handle_, "Request Data", nullptr, 0, nullptr, 0); }
  bool OpenWithin(std::chrono::milliseconds limit) {
    for (const auto end = Clock::now() + limit; Clock::now() < end; std::this_thread::sleep_for(1ms)) {
      if (Open() >= 0) return true;
    }
    return false;
  }
  bool Accepted() {
    for (int pass = 0; pass < 200; ++pass) {
      if (Open() < 0 && server_.Accept(10)) return true;
    }
    return false;
  }
  // A fresh connection to the server, its open answered.
  bool Connect() {
    SimConnect_Close(handle_);
    received_.clear();
    return Accepted() && server_.AnswerOpen() && OpenWithin(2s);
  }
  SimConnectResult Dispatch() { return SimConnect_CallDispatch(handle_, Record, &received_); }
  // Dispatches until `count` messages have come or the connection is lost.
  bool DispatchUntil(std::size_t count, std::chrono::milliseconds limit = 2s) {
    for (const auto end = Clock::now() + limit; received_.size() < count && Clock::now() < end;) {
      if (Dispatch() < 0) return false;
      std::this_thread::sleep_for(1ms);
    }
    return received_.size() >= count;
  }
  bool LostWithin(std::chrono::milliseconds limit) { return !DispatchUntil(SIZE_MAX, limit) && Dispatch() < 0; }
  SimConnectResult Transmit(SimConnectHandle h) { return SimConnect_TransmitClientEvent(h, 0, 2, 0x11150, 1, 0x10); }

  LoopbackServer server_;
  TempFolder folder_{/*enter=*/true};
  SimConnectHandle handle_ = nullptr;
  std::vector<Bytes> received_;
};

// Each attempt's end is a debug line; only the first failure is told.
TEST_F(NetClient, HandshakeIsCarriedAcrossCallsAndGivenUpWhenUnansweredOrRefused) {
  SetSimConnectNetTuning(Tuning(300ms));
  debugLogging = true;
  CaptureStderr();
  simwire::ClientRequest open;
  for (int pass = 0; pass < 3; ++pass) EXPECT_LT(Open(), 0) << "nothing answers yet";
  ASSERT_TRUE(server_.Accept() && server_.Next(&open));
  EXPECT_EQ(open.kind, simwire::kRequestOpen);
  EXPECT_EQ(open.name, "Request Data");
  EXPECT_EQ(open.protocol, 5u);
  EXPECT_LT(Open(), 0) << "still no answer";
  std::this_thread::sleep_for(350ms);  // past the open timeout
  EXPECT_LT(Open(), 0);
  EXPECT_FALSE(server_.Accept(100)) << "given up, and not tried again within the retry interval";
  ASSERT_TRUE(Accepted() && server_.Next(&open)) << "but after it";
  Bytes refusal;
  simwire::EncodeException(&refusal, 5, {simwire::kExceptionVersionMismatch, open.serial, 0});
  ASSERT_TRUE(server_.Send(refusal));
  EXPECT_FALSE(OpenWithin(100ms)) << "an exception is no answer to the open request";
  EXPECT_FALSE(server_.Accept(50)) << "nor a reason to try again at once";
  EXPECT_TRUE(Connect());
  EXPECT_FALSE(server_.Accept(50)) << "no attempt beyond the answered one";
  const auto line = [this](const char* start, const char* result) {
    return start + ("127.0.0.1:" + std::to_string(server_.Port())) + ": " + result + " (address from " +
           folder_.Path() + "/SimConnect.cfg)\n";
  };
  EXPECT_EQ(GetCapturedStderr(), line("debug: simulator at ", "no answer to the open request") +
                                     line("No simulator at ", "no answer to the open request") +
                                     line("debug: simulator at ", "refused the open request with exception 5") +
                                     line("debug: simulator at ", "connected"));
}

TEST_F(NetClient, DispatchHandsOverEachMessageWholeAndInOrder) {
  ASSERT_TRUE(Connect());
  // 13 bytes put what follows off any word boundary in the stream.
  const Bytes odd = {13, 0, 0, 0, 5, 0, 0, 0, 14, 0, 0, 0, 1};
  const Bytes unknown = {16, 0, 0, 0, 5, 0, 0, 0, 0xEF, 0xBE, 0xAD, 0xDE, 7, 0, 0, 0};
  ASSERT_TRUE(server_.Send(Concat(Concat(odd, kFrame), Concat(unknown, kQuit))));
  ASSERT_TRUE(DispatchUntil(5));
  EXPECT_EQ(received_[0].size(), 308u) << "the open answer first";
  received_.erase(received_.begin());
  EXPECT_EQ(received_, (std::vector<Bytes>{odd, kFrame, unknown, kQuit}));
}

// A connection that opens says nothing; exceptions name the request by its
// serial and kind, and the same refusal is told once.
TEST_F(NetClient, AnExceptionIsToldOnceWithTheRequestItRefersTo) {
  Bytes exceptions;
  for (const simwire::ExceptionReport& report : {simwire::ExceptionReport{3, 2, 1},
                                                 {3, 2, 1},
                                                 {3, 1, ~0u},
                                                 {1, 3, 0},
                                                 {1, 4, 2},
                                                 {1, 5, 0},
                                                 {7, 6, 1},
                                                 {1, 999, 0}}) {
    simwire::EncodeException(&exceptions, 5, report);
  }
  CaptureStderr();
  EXPECT_TRUE(Connect() && Transmit(handle_) >= 0);
  EXPECT_GE(SimConnect_MapClientEventToSimEvent(handle_, 7, "AP_MASTER"), 0);
  EXPECT_GE(SimConnect_AddToDataDefinition(handle_, 0, "NAV STANDBY FREQUENCY:1", "MHz", SIMCONNECT_DATATYPE_FLOAT64,
                                           0.0f, ~0u),
            0);
  EXPECT_GE(SimConnect_RequestDataOnSimObject(handle_, 0, 0, 0, SIMCONNECT_PERIOD_VISUAL_FRAME, 0, 0, 0, 0), 0);
  EXPECT_GE(SimConnect_RequestSystemState(handle_, 1, "AircraftLoaded"), 0);
  SimConnectDword lastSent = 0;
  EXPECT_GE(SimConnect_GetLastSentPacketID(handle_, &lastSent), 0);
  EXPECT_EQ(lastSent, 6u) << "the serial an exception would name";
  EXPECT_TRUE(server_.Send(exceptions) && DispatchUntil(9));
  EXPECT_EQ(GetCapturedStderr(),
            "The simulator refused request 2 (TransmitClientEvent, argument 1) with exception 3\n"
            "The simulator refused request 1 (Open) with exception 3\n"
            "The simulator refused request 3 (MapClientEventToSimEvent, argument 0) with exception 1\n"
            "The simulator refused request 4 (AddToDataDefinition, argument 2) with exception 1\n"
            "The simulator refused request 5 (RequestDataOnSimObject, argument 0) with exception 1\n"
            "The simulator refused request 6 (RequestSystemState, argument 1) with exception 7\n"
            "The simulator refused request 999 (unknown, argument 0) with exception 1\n");
}

TEST_F(NetClient, HalfAMessageStalledPastTheLimitIsALoss) {
  ASSERT_TRUE(Connect() && DispatchUntil(1));
  ASSERT_TRUE(server_.Send(Bytes(kFrame.begin(), kFrame.begin() + 30)));
  std::this_thread::sleep_for(10ms);
  EXPECT_GE(Dispatch(), 0) << "within the stall limit";
  std::this_thread::sleep_for(150ms);
  EXPECT_LT(Dispatch(), 0) << "past it";
}

TEST_F(NetClient, HangingUpIsALossAfterTheMessagesBeforeIt) {
  debugLogging = true;
  for (const bool reset : {false, true}) {
    ASSERT_TRUE(Connect());
    ASSERT_TRUE(server_.Send(kQuit));
    server_.HangUp(reset);
    CaptureStderr();
    EXPECT_TRUE(LostWithin(2s)) << reset;
    EXPECT_NE(GetCapturedStderr().find(reset ? "debug: simulator connection lost: connection reset\n"
                                             : "debug: simulator connection lost: closed by the simulator\n"),
              std::string::npos);
    EXPECT_TRUE(reset || (received_.size() == 2 && received_[1] == kQuit)) << "what came before is delivered";
    EXPECT_LT(Dispatch(), 0) << "and stays lost";
  }
}

// Gone: its close draws a reset, then a broken pipe (SIGPIPE without
// MSG_NOSIGNAL). Not reading: our queue fills. Neither blocks nor kills.
TEST_F(NetClient, SendingToASimulatorGoneOrNotReadingIsALoss) {
  SetSimConnectNetTuning(Tuning(0ms, 4096));
  for (const bool gone : {true, false}) {
    ASSERT_TRUE(Connect());
    if (gone) server_.HangUp();
    SimConnectResult last = 0;
    for (int sent = 0; sent < 500000 && last >= 0; ++sent) last = Transmit(handle_);
    EXPECT_LT(last, 0) << gone;
    EXPECT_LT(Dispatch(), 0) << gone;
  }
}

TEST_F(NetClient, ClosedNullAndMadeUpHandlesFailHarmlessly) {
  ASSERT_TRUE(Connect());
  const SimConnectHandle closed = handle_;
  EXPECT_GE(SimConnect_Close(closed), 0);
  const auto madeUp = reinterpret_cast<SimConnectHandle>(std::uintptr_t{0xBADC0DE});
  for (SimConnectHandle h : {closed, SimConnectHandle{}, madeUp}) {
    EXPECT_LT(SimConnect_CallDispatch(h, Record, &received_), 0);
    EXPECT_LT(Transmit(h), 0);
    SimConnectDword lastSent = 0;
    EXPECT_LT(SimConnect_GetLastSentPacketID(h, &lastSent), 0);
    EXPECT_LT(SimConnect_Close(h), 0);
  }
  EXPECT_LT(SimConnect_Open(nullptr, "Request Data", nullptr, 0, nullptr, 0), 0);
  handle_ = nullptr;
}

TEST_F(NetClient, ClosingTheHandleInsideItsOwnDispatchIsSafe) {
  static SimConnectHandle closing;
  static std::vector<std::uint32_t> kinds;
  const auto closeOnFirst = [](SIMCONNECT_RECV* message, SimConnectDword, void*) {
    EXPECT_GE(SimConnect_Close(closing), 0);
    EXPECT_LT(SimConnect_TransmitClientEvent(closing, 0, 1, 0, 1, 0x10), 0) << "closed means closed";
    kinds.push_back(message->dwID);  // the message outlives the handle until the callback returns
  };
  // Closed on the open answer, then on an object-data message.
  for (const std::uint32_t first : {SIMCONNECT_RECV_ID_OPEN, SIMCONNECT_RECV_ID_SIMOBJECT_DATA}) {
    ASSERT_TRUE(Connect() && (first == SIMCONNECT_RECV_ID_OPEN || DispatchUntil(1)));
    ASSERT_TRUE(server_.Send(Concat(kFrame, kFrame)));
    std::this_thread::sleep_for(20ms);
    std::swap(closing, handle_);
    kinds.clear();
    SimConnect_CallDispatch(closing, closeOnFirst, nullptr);
    EXPECT_EQ(kinds, std::vector<std::uint32_t>{first}) << "nothing more on a closed handle";
    EXPECT_LT(SimConnect_CallDispatch(closing, closeOnFirst, nullptr), 0);
  }
}

}  // namespace
