// The network client against a scripted server on 127.0.0.1: connecting
// without waiting, carrying the handshake across calls, the requests on the
// wire, dispatching what arrives, and every way a connection is lost.

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

#include "sim/SimConnect.h"
#include "sim/simconnect/Net/ByteOrder.h"
#include "sim/simconnect/Net/NetTuning.h"
#include "support/LoopbackServer.h"
#include "support/ObjectData.h"
#include "support/TempFolder.h"

namespace {

using namespace std::chrono_literals;
using simwire::Bytes;
using testnet::LoopbackServer;

struct Received {
  std::uint32_t kind;
  Bytes bytes;
};

std::vector<Received>* gReceived = nullptr;

void Record(SIMCONNECT_RECV* message, SimConnectDword size, void*) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(message);
  gReceived->push_back(Received{message->dwID, Bytes(bytes, bytes + size)});
}

class NetClient : public ::testing::Test {
 protected:
  void SetUp() override {
    gReceived = &received_;
    SimConnectNetTuning tuning;
    tuning.retryInterval = 0ms;
    tuning.stallLimit = 100ms;
    tuning.openTimeout = 300ms;
    SetSimConnectNetTuning(tuning);
    folder_.PointAt(server_.port());
  }
  void TearDown() override {
    if (handle_ != nullptr) SimConnect_Close(handle_);
    gReceived = nullptr;
  }

  SimConnectResult Open() { return SimConnect_Open(&handle_, "Request Data", nullptr, 0, nullptr, 0); }

  // Opens against the loopback server, answering the handshake.
  void Connect() {
    bool accepted = false;
    for (int pass = 0; pass < 200 && !accepted; ++pass) {
      ASSERT_LT(Open(), 0) << "no answer yet, so not open yet";
      accepted = server_.Accept(10ms);
    }
    ASSERT_TRUE(accepted);
    ASSERT_TRUE(server_.AnswerOpen());
    ASSERT_TRUE(OpenWithin(2s));
  }

  bool OpenWithin(std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
      if (Open() >= 0) return true;
      std::this_thread::sleep_for(1ms);
    }
    return false;
  }

  SimConnectResult Dispatch() { return SimConnect_CallDispatch(handle_, Record, nullptr); }

  // Dispatches until `count` messages have arrived or the dispatch fails.
  SimConnectResult DispatchUntil(std::size_t count, std::chrono::milliseconds limit = 2s) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    SimConnectResult result = 0;
    while (received_.size() < count && std::chrono::steady_clock::now() < deadline) {
      result = Dispatch();
      if (result < 0) return result;
      std::this_thread::sleep_for(1ms);
    }
    return result;
  }

  // Dispatches until the connection is reported lost.
  bool LostWithin(std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
      if (Dispatch() < 0) return true;
      std::this_thread::sleep_for(2ms);
    }
    return false;
  }

  static Bytes DataMessage(std::uint32_t request, const std::vector<double>& values) {
    return ObjectDataMessage(request, values);
  }

  LoopbackServer server_;
  testnet::TempFolder folder_;
  SimConnectHandle handle_ = nullptr;
  std::vector<Received> received_;
};

TEST_F(NetClient, ClosedPortFailsWithoutAHandle) {
  folder_.PointAt(testnet::ClosedPort());
  for (int pass = 0; pass < 5; ++pass) {
    EXPECT_LT(Open(), 0);
    EXPECT_EQ(handle_, nullptr);
  }
}

TEST_F(NetClient, HandshakeIsCarriedAcrossCallsUntilTheSimulatorAnswers) {
  // The server has not even accepted: each open call returns at once,
  // failing, while the attempt stays under way.
  for (int pass = 0; pass < 3; ++pass) EXPECT_LT(Open(), 0);
  ASSERT_TRUE(server_.Accept());
  simwire::ClientRequest open;
  ASSERT_TRUE(server_.NextRequest(&open));
  EXPECT_EQ(open.kind, simwire::kRequestOpen);
  EXPECT_EQ(open.name, "Request Data");
  EXPECT_EQ(open.protocol, 5u);
  for (int pass = 0; pass < 3; ++pass) EXPECT_LT(Open(), 0) << "still no answer";
  EXPECT_EQ(handle_, nullptr);

  Bytes reply;
  simwire::EncodeOpenReply(&reply, 5, simwire::OpenReply{});
  ASSERT_TRUE(server_.Send(reply));
  ASSERT_TRUE(OpenWithin(2s));
  EXPECT_NE(handle_, nullptr);

  // The one TCP connection was used: no second attempt was started.
  EXPECT_FALSE(server_.Accept(50ms));
}

TEST_F(NetClient, SimulatorThatNeverAnswersIsGivenUpAndTriedAgain) {
  EXPECT_LT(Open(), 0);
  ASSERT_TRUE(server_.Accept());
  simwire::ClientRequest open;
  ASSERT_TRUE(server_.NextRequest(&open));
  std::this_thread::sleep_for(350ms);  // past the open timeout
  EXPECT_LT(Open(), 0);
  EXPECT_LT(Open(), 0);
  ASSERT_TRUE(server_.Accept()) << "a fresh attempt connects again";
  ASSERT_TRUE(server_.AnswerOpen());
  EXPECT_TRUE(OpenWithin(2s));
}

TEST_F(NetClient, AnswerOtherThanOpenRefusesTheConnection) {
  EXPECT_LT(Open(), 0);
  ASSERT_TRUE(server_.Accept());
  simwire::ClientRequest open;
  ASSERT_TRUE(server_.NextRequest(&open));
  Bytes refusal;
  simwire::EncodeException(&refusal, 5, simwire::ExceptionReport{5, open.serial, 0});  // version mismatch
  ASSERT_TRUE(server_.Send(refusal));
  EXPECT_FALSE(OpenWithin(200ms));
}

TEST_F(NetClient, RequestsReachTheSimulatorInOrderWithRisingSerials) {
  Connect();
  EXPECT_GE(SimConnect_MapClientEventToSimEvent(handle_, 2, "NAV1_STBY_SET"), 0);
  EXPECT_GE(SimConnect_AddToDataDefinition(handle_, 1, "TRANSPONDER CODE:1", "BCO16", SIMCONNECT_DATATYPE_INT32, 0.0f,
                                           SIMCONNECT_UNUSED),
            0);
  EXPECT_GE(SimConnect_RequestDataOnSimObject(handle_, 1, 1, SIMCONNECT_OBJECT_ID_USER, SIMCONNECT_PERIOD_SIM_FRAME, 0,
                                              0, 0, 0),
            0);
  EXPECT_GE(SimConnect_TransmitClientEvent(handle_, 0, 2, 0x11150, SIMCONNECT_GROUP_PRIORITY_HIGHEST,
                                           SIMCONNECT_EVENT_FLAG_GROUPID_IS_PRIORITY),
            0);

  simwire::ClientRequest r;
  ASSERT_TRUE(server_.NextRequest(&r));
  EXPECT_EQ(r.kind, simwire::kRequestMapClientEventToSimEvent);
  EXPECT_EQ(r.serial, 2u) << "the open request was 1";
  EXPECT_EQ(r.numbers[0], 2u);
  EXPECT_EQ(r.name, "NAV1_STBY_SET");

  ASSERT_TRUE(server_.NextRequest(&r));
  EXPECT_EQ(r.kind, simwire::kRequestAddToDataDefinition);
  EXPECT_EQ(r.serial, 3u);
  EXPECT_EQ(r.name, "TRANSPONDER CODE:1");
  EXPECT_EQ(r.units, "BCO16");
  EXPECT_EQ(r.numbers[1], 1u);

  ASSERT_TRUE(server_.NextRequest(&r));
  EXPECT_EQ(r.kind, simwire::kRequestDataOnSimObject);
  EXPECT_EQ(r.serial, 4u);
  EXPECT_EQ(r.numbers[3], 3u);

  ASSERT_TRUE(server_.NextRequest(&r));
  EXPECT_EQ(r.kind, simwire::kRequestTransmitClientEvent);
  EXPECT_EQ(r.serial, 5u);
  EXPECT_EQ(r.numbers[2], 0x11150u);
}

TEST_F(NetClient, DispatchDeliversTheOpenAnswerThenEachMessageInOrder) {
  Connect();
  Bytes burst = DataMessage(0, {118.0, 121.5, 110.5, 113.0, 270.0, 90.0, 180.0});
  Bytes unknown;
  simwire::ByteWriter(&unknown).U32(20).U32(5).U32(15).U32(0xDEADBEEF).U32(7);  // a kind we do not read
  burst.insert(burst.end(), unknown.begin(), unknown.end());
  Bytes quit;
  simwire::EncodeQuit(&quit, 5);
  burst.insert(burst.end(), quit.begin(), quit.end());
  ASSERT_TRUE(server_.Send(burst));

  ASSERT_GE(DispatchUntil(4), 0);
  ASSERT_EQ(received_.size(), 4u);
  EXPECT_EQ(received_[0].kind, static_cast<std::uint32_t>(SIMCONNECT_RECV_ID_OPEN));
  EXPECT_EQ(received_[0].bytes.size(), 308u);

  const Bytes& data = received_[1].bytes;
  EXPECT_EQ(received_[1].kind, static_cast<std::uint32_t>(SIMCONNECT_RECV_ID_SIMOBJECT_DATA));
  ASSERT_EQ(data.size(), 40u + 56u);
  EXPECT_EQ(simwire::ReadU32(&data[kSimObjectDataRequestOffset]), 0u);
  EXPECT_EQ(simwire::ReadF64(&data[kSimObjectDataBlockOffset + 16]), 110.5) << "NAV1 standby";

  EXPECT_EQ(received_[2].bytes, unknown) << "other kinds pass untouched";
  EXPECT_EQ(received_[3].kind, static_cast<std::uint32_t>(SIMCONNECT_RECV_ID_QUIT));
}

TEST_F(NetClient, CallbackGetsAnAlignedMessageOfExactlyItsSize) {
  Connect();
  // A 13-byte message puts the following one off any word boundary in the
  // received stream.
  Bytes odd;
  simwire::ByteWriter(&odd).U32(13).U32(5).U32(15).Byte(1);
  Bytes stream = odd;
  const Bytes data = DataMessage(1, {3000.0});
  stream.insert(stream.end(), data.begin(), data.end());
  ASSERT_TRUE(server_.Send(stream));

  static std::vector<std::uintptr_t> addresses;
  static std::vector<SimConnectDword> sizes;
  addresses.clear();
  sizes.clear();
  const auto note = [](SIMCONNECT_RECV* message, SimConnectDword size, void*) {
    addresses.push_back(reinterpret_cast<std::uintptr_t>(message));
    sizes.push_back(size);
  };
  const auto deadline = std::chrono::steady_clock::now() + 2s;
  while (sizes.size() < 3 && std::chrono::steady_clock::now() < deadline) {
    ASSERT_GE(SimConnect_CallDispatch(handle_, note, nullptr), 0);
  }
  ASSERT_EQ(sizes, (std::vector<SimConnectDword>{308, 13, 48}));
  for (std::uintptr_t address : addresses) EXPECT_EQ(address % alignof(double), 0u);
}

TEST_F(NetClient, MessageSplitAcrossPassesIsDeliveredWhenComplete) {
  Connect();
  ASSERT_GE(DispatchUntil(1), 0);  // the open answer
  const Bytes data = DataMessage(1, {3000.0, -500.0});
  ASSERT_TRUE(server_.Send(Bytes(data.begin(), data.begin() + 30)));
  std::this_thread::sleep_for(10ms);
  ASSERT_GE(Dispatch(), 0) << "half a message is no fault yet";
  EXPECT_EQ(received_.size(), 1u);
  ASSERT_TRUE(server_.Send(Bytes(data.begin() + 30, data.end())));
  ASSERT_GE(DispatchUntil(2), 0);
  ASSERT_EQ(received_.size(), 2u);
  EXPECT_EQ(received_[1].bytes, data);
}

TEST_F(NetClient, PeerCloseIsALossAfterTheMessagesBeforeIt) {
  Connect();
  Bytes quit;
  simwire::EncodeQuit(&quit, 5);
  ASSERT_TRUE(server_.Send(quit));
  server_.CloseClient();
  ASSERT_TRUE(LostWithin(2s));
  ASSERT_EQ(received_.size(), 2u);
  EXPECT_EQ(received_[1].kind, static_cast<std::uint32_t>(SIMCONNECT_RECV_ID_QUIT));
  EXPECT_LT(Dispatch(), 0) << "and stays lost";
}

TEST_F(NetClient, ResetIsALoss) {
  Connect();
  server_.CloseClient(/*reset=*/true);
  EXPECT_TRUE(LostWithin(2s));
}

TEST_F(NetClient, StalledHalfMessageIsALossAfterTheStallLimit) {
  Connect();
  ASSERT_GE(DispatchUntil(1), 0);
  const Bytes data = DataMessage(0, {118.0});
  ASSERT_TRUE(server_.Send(Bytes(data.begin(), data.begin() + 20)));
  std::this_thread::sleep_for(10ms);
  EXPECT_GE(Dispatch(), 0) << "within the limit";
  std::this_thread::sleep_for(150ms);  // stall limit is 100 ms here
  EXPECT_LT(Dispatch(), 0);
}

struct BrokenMessageCase {
  const char* name;
  Bytes bytes;
};

TEST_F(NetClient, BrokenMessagesAreALoss) {
  Bytes oversized, undersized, shortData, shortException;
  simwire::ByteWriter(&oversized).U32(64 * 1024 + 1).U32(5).U32(8);
  simwire::ByteWriter(&undersized).U32(8).U32(5);
  simwire::ByteWriter(&shortData).U32(24).U32(5).U32(8).U32(0).U32(0).U32(0);
  simwire::ByteWriter(&shortException).U32(16).U32(5).U32(1).U32(0);
  const BrokenMessageCase cases[] = {
      {"oversized", oversized},
      {"smaller than a header", undersized},
      {"object data without its fields", shortData},
      {"exception without its fields", shortException},
  };
  for (const BrokenMessageCase& c : cases) {
    SCOPED_TRACE(c.name);
    received_.clear();
    Connect();
    ASSERT_TRUE(server_.Send(c.bytes));
    EXPECT_TRUE(LostWithin(2s));
    for (const Received& r : received_) EXPECT_NE(r.bytes, c.bytes) << "never handed to the callback";
    SimConnect_Close(handle_);
    handle_ = nullptr;
  }
}

TEST_F(NetClient, WritingToAVanishedSimulatorNeitherKillsNorBlocks) {
  Connect();
  server_.CloseClient();
  // The first request after the close is taken by the kernel and answered
  // with a reset; the next one meets a broken pipe. Without MSG_NOSIGNAL that
  // raises SIGPIPE and ends this test process.
  SimConnectResult last = 0;
  for (int i = 0; i < 50 && last >= 0; ++i) {
    last = SimConnect_TransmitClientEvent(handle_, 0, 2, 0x11150, 1, 0x10);
    std::this_thread::sleep_for(2ms);
  }
  EXPECT_LT(last, 0);
  EXPECT_LT(Dispatch(), 0);
}

TEST_F(NetClient, SimulatorThatStopsReadingIsALossOnceTheQueueIsFull) {
  SimConnectNetTuning tuning = GetSimConnectNetTuning();
  tuning.outgoingLimit = 4096;
  SetSimConnectNetTuning(tuning);
  Connect();
  // The server never reads: the kernel's buffers fill, then our queue.
  SimConnectResult last = 0;
  int sent = 0;
  for (; sent < 500000 && last >= 0; ++sent) {
    last = SimConnect_TransmitClientEvent(handle_, 0, 2, 0x11150, 1, 0x10);
  }
  EXPECT_LT(last, 0) << "after " << sent << " requests";
  EXPECT_LT(Dispatch(), 0);
}

TEST_F(NetClient, ClosedNullAndMadeUpHandlesFailHarmlessly) {
  Connect();
  SimConnectHandle closed = handle_;
  EXPECT_GE(SimConnect_Close(handle_), 0);
  handle_ = nullptr;
  const SimConnectHandle made_up = reinterpret_cast<SimConnectHandle>(static_cast<std::uintptr_t>(0xBADC0DE));
  for (SimConnectHandle h : {closed, static_cast<SimConnectHandle>(nullptr), made_up}) {
    EXPECT_LT(SimConnect_CallDispatch(h, Record, nullptr), 0);
    EXPECT_LT(SimConnect_MapClientEventToSimEvent(h, 1, "AP_MASTER"), 0);
    EXPECT_LT(SimConnect_AddToDataDefinition(h, 0, "NAV OBS:1", "degrees", SIMCONNECT_DATATYPE_FLOAT64, 0.0f,
                                             SIMCONNECT_UNUSED),
              0);
    EXPECT_LT(SimConnect_RequestDataOnSimObject(h, 0, 0, 0, 3, 0, 0, 0, 0), 0);
    EXPECT_LT(SimConnect_TransmitClientEvent(h, 0, 1, 0, 1, 0x10), 0);
    EXPECT_LT(SimConnect_Close(h), 0);
  }
  EXPECT_LT(SimConnect_Open(nullptr, "Request Data", nullptr, 0, nullptr, 0), 0);
  // Null texts are sent as empty ones rather than followed.
  Connect();
  EXPECT_GE(SimConnect_MapClientEventToSimEvent(handle_, 71, nullptr), 0);
  simwire::ClientRequest r;
  ASSERT_TRUE(server_.NextRequest(&r));
  EXPECT_EQ(r.name, "");
}

SimConnectHandle gClosingHandle = nullptr;
int gCallbacks = 0;

TEST_F(NetClient, ClosingTheHandleInsideItsOwnDispatchIsSafe) {
  Connect();
  const Bytes data = DataMessage(0, {1.0});
  ASSERT_TRUE(server_.Send(data));
  ASSERT_TRUE(server_.Send(data));
  std::this_thread::sleep_for(20ms);
  gClosingHandle = handle_;
  gCallbacks = 0;
  const auto closeOnFirst = [](SIMCONNECT_RECV*, SimConnectDword, void*) {
    ++gCallbacks;
    SimConnect_Close(gClosingHandle);
  };
  SimConnect_CallDispatch(handle_, closeOnFirst, nullptr);
  EXPECT_EQ(gCallbacks, 1) << "nothing more is delivered on a closed handle";
  EXPECT_LT(SimConnect_CallDispatch(handle_, closeOnFirst, nullptr), 0);
  handle_ = nullptr;
}

TEST_F(NetClient, MalformedConfigIsReportedOnceAndTheDefaultUsed) {
  folder_.Write("SimConnect.cfg", "[SimConnect]\nPort=not-a-port\n");
  SimConnectNetTuning tuning = GetSimConnectNetTuning();
  SetSimConnectNetTuning(tuning);
  ::testing::internal::CaptureStderr();
  for (int pass = 0; pass < 3; ++pass) {
    SimConnectHandle h = nullptr;
    SimConnect_Open(&h, "Request Data", nullptr, 0, nullptr, 0);
    if (h != nullptr) SimConnect_Close(h);
  }
  const std::string errors = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(errors.find("Port=not-a-port"), std::string::npos) << errors;
  EXPECT_NE(errors.find("127.0.0.1:500"), std::string::npos) << "says what it uses instead: " << errors;
  EXPECT_EQ(errors.find('\n'), errors.size() - 1) << "one line, however many attempts: " << errors;
}

}  // namespace
