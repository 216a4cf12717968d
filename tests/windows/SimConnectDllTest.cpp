// The Windows SimConnect backend hands every call to SimConnect.dll with its
// arguments unchanged and returns the library's answer unchanged. Built with
// no library on the search path (VP_SIMCONNECT_DLL 0), beside one that lacks
// a function (1) and beside the recording stand-in (2): without a usable
// library every call fails, as when no simulator runs.

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>

#include "sim/SimConnect.h"

namespace {

const SimConnectHandle kHandle = reinterpret_cast<SimConnectHandle>(std::uintptr_t{0x5C0FFEE});
SimConnectHandle opened = reinterpret_cast<SimConnectHandle>(std::uintptr_t{1});
std::string delivered;  // what our dispatch callback was handed

void See(SIMCONNECT_RECV* message, SimConnectDword size, void* seen) {
  *static_cast<std::string*>(seen) = "kind " + std::to_string(message->dwID) + " size " + std::to_string(size) +
      " request " + std::to_string(static_cast<SIMCONNECT_RECV_SIMOBJECT_DATA*>(message)->dwRequestID);
}

// Each call, and the line the stand-in library logs for it.
const std::pair<std::function<SimConnectResult()>, std::string> kCalls[] = {
    {[] { return SimConnect_Open(&opened, "Request Data", (void*)0x111, 0x402, (void*)0x333, 0); },
     "Open Request Data 111 1026 333 0"},
    {[] { return SimConnect_MapClientEventToSimEvent(kHandle, 7, "NAV1_STBY_SET"); }, "Map 5c0ffee 7 NAV1_STBY_SET"},
    {[] {
       return SimConnect_AddToDataDefinition(kHandle, 1, "NAV STANDBY FREQUENCY:1", "MHz", SIMCONNECT_DATATYPE_FLOAT64,
                                             0.25f, SIMCONNECT_UNUSED);
     },
     "Define 5c0ffee 1 NAV STANDBY FREQUENCY:1 MHz 4 0.25 4294967295"},
    {[] { return SimConnect_RequestDataOnSimObject(kHandle, 1, 2, 3, 4, 5, 6, 7, 8); },
     "Request 5c0ffee 1 2 3 4 5 6 7 8"},
    // NAV1 standby to 111.50 MHz, as the bridge sends it: the user's aircraft, highest priority.
    {[] { return SimConnect_TransmitClientEvent(kHandle, 0, 42, 0x11150, 1, 0x10); },
     "Transmit 5c0ffee 0 42 0x11150 1 0x10"},
    {[] { return SimConnect_CallDispatch(kHandle, See, &delivered); }, "Dispatch 5c0ffee"},
    {[] { return SimConnect_Close(kHandle); }, "Close 5c0ffee"},
};

TEST(SimConnectDll, ForwardsEveryCallOrFailsThemAllWithoutAUsableLibrary) {
  constexpr bool usable = VP_SIMCONNECT_DLL == 2;
  std::string logged;
  for (std::size_t i = 0; i < std::size(kCalls); ++i) {
    const SimConnectResult result = kCalls[i].first();
    EXPECT_EQ(result, usable ? -static_cast<SimConnectResult>(i + 1) : (result < 0 ? result : -1)) << kCalls[i].second;
    logged += kCalls[i].second + "\n";
  }
  const auto log = reinterpret_cast<const char* (*)()>(
      reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(L"SimConnect.dll"), "FakeSimConnect_Log")));
  EXPECT_EQ(log ? log() : "", usable ? logged : "");
  EXPECT_EQ(opened, usable ? kHandle : nullptr);
  EXPECT_EQ(delivered, usable ? "kind 8 size 44 request 1" : "");
  // The situation meant: the incomplete library is there to be refused.
  EXPECT_EQ(LoadLibraryW(L"SimConnect.dll") != nullptr, VP_SIMCONNECT_DLL > 0);
}

}  // namespace
