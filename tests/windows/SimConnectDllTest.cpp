// SimConnect on Windows beside a usable SimConnect.dll (VP_SIMCONNECT_DLL 2,
// the recording stand-in): every call goes to the library with its
// arguments and the library's own handle, and the library's answer comes
// back unchanged. Beside no library (0) or one that lacks a function (1) the
// native client serves instead (NativeClientTest.cpp).

#include <windows.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "sim/SimConnect.h"

namespace {

SimConnectHandle opened = nullptr;
std::string delivered;  // what our dispatch callback was handed
SimConnectDword lastSent = 0;
double heading = 271.5;

void See(SIMCONNECT_RECV* message, SimConnectDword size, void* seen) {
  *static_cast<std::string*>(seen) = "kind " + std::to_string(message->dwID) + " size " + std::to_string(size) +
                                     " request " +
                                     std::to_string(static_cast<SIMCONNECT_RECV_SIMOBJECT_DATA*>(message)->dwRequestID);
}

// Each call, and the line the stand-in library logs for it: the library sees
// its own handle, 0x5C0FFEE, whatever handle we were given.
const std::pair<std::function<SimConnectResult()>, std::string> kCalls[] = {
    {[] { return SimConnect_Open(&opened, "Request Data", (void*)0x111, 0x402, (void*)0x333, 0); },
     "Open Request Data 111 1026 333 0"},
    {[] { return SimConnect_MapClientEventToSimEvent(opened, 7, "NAV1_STBY_SET"); }, "Map 5c0ffee 7 NAV1_STBY_SET"},
    {[] {
       return SimConnect_AddToDataDefinition(opened, 1, "NAV STANDBY FREQUENCY:1", "MHz", SIMCONNECT_DATATYPE_FLOAT64,
                                             0.25f, SIMCONNECT_UNUSED);
     },
     "Define 5c0ffee 1 NAV STANDBY FREQUENCY:1 MHz 4 0.25 4294967295"},
    {[] { return SimConnect_RequestDataOnSimObject(opened, 1, 2, 3, 4, 5, 6, 7, 8); },
     "Request 5c0ffee 1 2 3 4 5 6 7 8"},
    // NAV1 standby to 111.50 MHz, as the bridge sends it: the user's aircraft, highest priority.
    {[] { return SimConnect_TransmitClientEvent(opened, 0, 42, 0x11150, 1, 0x10); },
     "Transmit 5c0ffee 0 42 0x11150 1 0x10"},
    {[] { return SimConnect_RequestSystemState(opened, 3, "AircraftLoaded"); }, "State 5c0ffee 3 AircraftLoaded"},
    {[] { return SimConnect_SubscribeToSystemEvent(opened, 105, "AircraftLoaded"); },
     "Subscribe 5c0ffee 105 AircraftLoaded"},
    {[] { return SimConnect_SetDataOnSimObject(opened, 4, 0, 0, 0, sizeof heading, &heading); },
     "Set 5c0ffee 4 0 0 0 8 271.5"},
    {[] { return SimConnect_ClearDataDefinition(opened, 4); }, "Clear 5c0ffee 4"},
    {[] { return SimConnect_GetLastSentPacketID(opened, &lastSent); }, "LastSent 5c0ffee"},
    {[] { return SimConnect_CallDispatch(opened, See, &delivered); }, "Dispatch 5c0ffee"},
    {[] { return SimConnect_Close(opened); }, "Close 5c0ffee"},
};

TEST(SimConnectDll, ForwardsEveryCallWithTheLibrarysHandleAndAnswer) {
  const auto log = reinterpret_cast<const char* (*)()>(
      reinterpret_cast<void (*)()>(GetProcAddress(LoadLibraryW(L"SimConnect.dll"), "FakeSimConnect_Log")));
  ASSERT_NE(log, nullptr);
  std::string logged;
  for (std::size_t i = 0; i < std::size(kCalls); ++i) {
    EXPECT_EQ(kCalls[i].first(), i == 0 ? 1 : -static_cast<SimConnectResult>(i + 1)) << kCalls[i].second;
    logged += kCalls[i].second + "\n";
  }
  EXPECT_EQ(log(), logged);
  EXPECT_EQ(delivered, "kind 8 size 44 request 1");
  EXPECT_EQ(lastSent, 4711u) << "the library's serial";
  // Closed: the handle now names nothing, and nothing reaches the library.
  EXPECT_LT(SimConnect_TransmitClientEvent(opened, 0, 42, 0x11150, 1, 0x10), 0);
  EXPECT_EQ(log(), logged);
}

}  // namespace
