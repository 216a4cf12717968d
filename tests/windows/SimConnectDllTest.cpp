// The Windows SimConnect backend with a SimConnect.dll beside the program:
// every call reaches the library with its arguments unchanged, and the
// library's results come back unchanged.

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "sim/SimConnect.h"
#include "tests/windows/FakeSimConnectDll.h"

namespace {

class SimConnectDll : public testing::Test {
 protected:
  void SetUp() override {
    // The first call loads the library; after that its test exports are
    // reachable too.
    SimConnectHandle handle = nullptr;
    SimConnect_Open(&handle, "warm-up", nullptr, 0, nullptr, 0);
    HMODULE library = GetModuleHandleW(L"SimConnect.dll");
    ASSERT_NE(library, nullptr) << "SimConnect.dll beside the test was not loaded";
    count_ = reinterpret_cast<FakeSimConnectCallCount>(
        reinterpret_cast<void (*)()>(GetProcAddress(library, "FakeSimConnect_CallCount")));
    at_ = reinterpret_cast<FakeSimConnectCallAt>(
        reinterpret_cast<void (*)()>(GetProcAddress(library, "FakeSimConnect_Call")));
    reset_ = reinterpret_cast<FakeSimConnectReset>(
        reinterpret_cast<void (*)()>(GetProcAddress(library, "FakeSimConnect_Reset")));
    ASSERT_TRUE(count_ && at_ && reset_) << "not the fake library";
    reset_(0);
  }

  const FakeSimConnectCall& OnlyCall(const char* function) {
    EXPECT_EQ(count_(), 1);
    const FakeSimConnectCall* call = at_(0);
    EXPECT_NE(call, nullptr);
    static FakeSimConnectCall none = {};
    if (call == nullptr) return none;
    EXPECT_STREQ(call->function, function);
    return *call;
  }

  FakeSimConnectCallCount count_ = nullptr;
  FakeSimConnectCallAt at_ = nullptr;
  FakeSimConnectReset reset_ = nullptr;
};

void* const kHandle = reinterpret_cast<void*>(std::uintptr_t{0x5C0FFEE});

TEST_F(SimConnectDll, OpenPassesTheClientNameAndReturnsTheLibrarysHandle) {
  SimConnectHandle handle = nullptr;
  EXPECT_EQ(SimConnect_Open(&handle, "Request Data", nullptr, 0, nullptr, 0), 0);
  EXPECT_EQ(handle, kHandle);
  const FakeSimConnectCall& call = OnlyCall("SimConnect_Open");
  EXPECT_STREQ(call.texts[0], "Request Data");
  EXPECT_EQ(call.pointers[0], nullptr);
  EXPECT_EQ(call.pointers[1], nullptr);
  EXPECT_EQ(call.numbers[0], 0u);
  EXPECT_EQ(call.numbers[1], 0u);
}

TEST_F(SimConnectDll, FailuresComeBackAsTheLibraryReportsThem) {
  const SimConnectResult notRunning = static_cast<SimConnectResult>(0x80004005u);
  reset_(notRunning);
  SimConnectHandle handle = nullptr;
  EXPECT_EQ(SimConnect_Open(&handle, "Request Data", nullptr, 0, nullptr, 0), notRunning);
  EXPECT_EQ(SimConnect_CallDispatch(kHandle, [](SIMCONNECT_RECV*, SimConnectDword, void*) {}, nullptr), notRunning);
  EXPECT_EQ(SimConnect_Close(kHandle), notRunning);
}

TEST_F(SimConnectDll, TransmitCarriesObjectEventValueAndPriority) {
  // NAV1 standby 110.50 MHz as the bridge sends it: BCD 0x1050.
  EXPECT_EQ(SimConnect_TransmitClientEvent(kHandle, SIMCONNECT_OBJECT_ID_USER, 42, 0x1050,
                                           SIMCONNECT_GROUP_PRIORITY_HIGHEST,
                                           SIMCONNECT_EVENT_FLAG_GROUPID_IS_PRIORITY),
            0);
  const FakeSimConnectCall& call = OnlyCall("SimConnect_TransmitClientEvent");
  EXPECT_EQ(call.handle, kHandle);
  EXPECT_EQ(call.numbers[0], 0u);
  EXPECT_EQ(call.numbers[1], 42u);
  EXPECT_EQ(call.numbers[2], 0x1050u);
  EXPECT_EQ(call.numbers[3], 1u);
  EXPECT_EQ(call.numbers[4], 0x10u);
}

TEST_F(SimConnectDll, MapAndDefinitionKeepTheirNamesAndNumbers) {
  SimConnect_MapClientEventToSimEvent(kHandle, 7, "NAV1_STBY_SET");
  SimConnect_AddToDataDefinition(kHandle, 1, "NAV STANDBY FREQUENCY:1", "MHz", SIMCONNECT_DATATYPE_FLOAT64, 0.25f,
                                 SIMCONNECT_UNUSED);
  ASSERT_EQ(count_(), 2);
  const FakeSimConnectCall& map = *at_(0);
  EXPECT_EQ(map.numbers[0], 7u);
  EXPECT_STREQ(map.texts[0], "NAV1_STBY_SET");
  const FakeSimConnectCall& define = *at_(1);
  EXPECT_EQ(define.numbers[0], 1u);
  EXPECT_EQ(define.numbers[1], 4u) << "FLOAT64";
  EXPECT_EQ(define.numbers[2], 0xFFFFFFFFu);
  EXPECT_STREQ(define.texts[0], "NAV STANDBY FREQUENCY:1");
  EXPECT_STREQ(define.texts[1], "MHz");
  EXPECT_EQ(define.epsilon, 0.25f) << "the float argument travels in its own register";
}

TEST_F(SimConnectDll, RequestPassesAllNineArgumentsInOrder) {
  SimConnect_RequestDataOnSimObject(kHandle, 1, 1, SIMCONNECT_OBJECT_ID_USER, SIMCONNECT_PERIOD_SIM_FRAME, 0, 0, 0, 0);
  const FakeSimConnectCall& call = OnlyCall("SimConnect_RequestDataOnSimObject");
  const std::uint32_t expected[] = {1, 1, 0, 3, 0, 0, 0, 0};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(call.numbers[i], expected[i]) << "argument " << i + 2;
}

TEST_F(SimConnectDll, DispatchDeliversTheLibrarysMessagesToOurCallback) {
  struct Seen {
    int messages = 0;
    SimConnectDword kind = 0, size = 0, request = 0;
  } seen;
  auto callback = [](SIMCONNECT_RECV* message, SimConnectDword size, void* context) {
    auto* into = static_cast<Seen*>(context);
    ++into->messages;
    into->kind = message->dwID;
    into->size = size;
    into->request = static_cast<SIMCONNECT_RECV_SIMOBJECT_DATA*>(message)->dwRequestID;
  };
  EXPECT_EQ(SimConnect_CallDispatch(kHandle, callback, &seen), 0);
  EXPECT_EQ(seen.messages, 1);
  EXPECT_EQ(seen.kind, static_cast<SimConnectDword>(SIMCONNECT_RECV_ID_SIMOBJECT_DATA));
  EXPECT_EQ(seen.size, 44u);
  EXPECT_EQ(seen.request, 1u);
  EXPECT_EQ(OnlyCall("SimConnect_CallDispatch").pointers[0], &seen);
}

}  // namespace
