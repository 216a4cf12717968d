// SimConnect on Windows with no usable SimConnect.dll (none beside us:
// VP_SIMCONNECT_DLL 0; one lacking a function: 1): the native client serves,
// over Winsock, against the simulator stand-in that the test fixture runs
// natively. Its SimConnect.cfg is in our working folder.

#include <winsock2.h>
#include <windows.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <thread>

#include "sim/SimConnect.h"
#include "sim/simconnect/Net/Socket.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

template <typename Condition>
bool Within(std::chrono::milliseconds limit, Condition condition) {
  for (const auto end = Clock::now() + limit; Clock::now() < end; std::this_thread::sleep_for(5ms)) {
    if (condition()) return true;
  }
  return false;
}

// Keeps the block of the latest data message of request 0: COM1 and NAV1 standby.
void KeepLatest(SIMCONNECT_RECV* message, SimConnectDword size, void* latest) {
  if (message->dwID == SIMCONNECT_RECV_ID_SIMOBJECT_DATA && size == kSimObjectDataBlockOffset + 16 &&
      static_cast<SIMCONNECT_RECV_SIMOBJECT_DATA*>(message)->dwRequestID == 0) {
    std::memcpy(latest, reinterpret_cast<const unsigned char*>(message) + kSimObjectDataBlockOffset, 16);
  }
}

TEST(NativeClient, OpensRegistersAndFollowsTheStandInsAircraft) {
  EXPECT_EQ(LoadLibraryW(L"SimConnect.dll") != nullptr, VP_SIMCONNECT_DLL == 1) << "the situation meant";
  SimConnectHandle handle = nullptr;
  ASSERT_TRUE(Within(5s, [&] { return SimConnect_Open(&handle, "Wine check", nullptr, 0, nullptr, 0) >= 0; }));
  SimConnect_MapClientEventToSimEvent(handle, 2, "NAV1_STBY_SET");
  for (const char* variable : {"COM STANDBY FREQUENCY:1", "NAV STANDBY FREQUENCY:1"}) {
    SimConnect_AddToDataDefinition(handle, 0, variable, "MHz", SIMCONNECT_DATATYPE_FLOAT64, 0, SIMCONNECT_UNUSED);
  }
  SimConnect_RequestDataOnSimObject(handle, 0, 0, SIMCONNECT_OBJECT_ID_USER, SIMCONNECT_PERIOD_SIM_FRAME, 0, 0, 0, 0);
  double latest[2] = {0, 0};
  const auto dispatched = [&] { return SimConnect_CallDispatch(handle, KeepLatest, latest) >= 0; };
  ASSERT_TRUE(Within(3s, [&] { return dispatched() && latest[0] == 121.5; })) << "the stand-in's COM1 standby";

  // Each build tunes its own frequency, so neither passes on the other's.
  const double nav1 = 111.5 + VP_SIMCONNECT_DLL;
  EXPECT_GE(SimConnect_TransmitClientEvent(handle, 0, 2, 0x11150 + 0x100 * VP_SIMCONNECT_DLL, 1, 0x10), 0);
  EXPECT_TRUE(Within(3s, [&] { return dispatched() && latest[1] == nav1; })) << latest[1];

  EXPECT_GE(SimConnect_Close(handle), 0);
  EXPECT_LT(SimConnect_CallDispatch(handle, KeepLatest, latest), 0) << "closed means closed";
}

TEST(NativeClient, ARefusedConnectIsSeenWithoutWaitingForTheTimeout) {
  // A port nobody listens on: one the system has just handed out and taken back.
  WSADATA data;
  ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
  const SOCKET probe = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int length = sizeof address;
  ASSERT_EQ(bind(probe, reinterpret_cast<sockaddr*>(&address), length), 0);
  getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
  closesocket(probe);

  const simnet::SocketHandle connecting = simnet::StartConnect("127.0.0.1", ntohs(address.sin_port));
  ASSERT_NE(connecting, simnet::kNoSocket) << "refused before returning: the check below is not reached";
  simnet::ConnectState state = simnet::ConnectState::kPending;
  Within(2s, [&] { return (state = simnet::CheckConnect(connecting)) != simnet::ConnectState::kPending; });
  simnet::CloseSocket(connecting);
  EXPECT_EQ(state, simnet::ConnectState::kFailed);
}

}  // namespace
