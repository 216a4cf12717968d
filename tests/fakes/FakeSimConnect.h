#pragma once

// A recording stand-in for the simulator's client library: every call is
// recorded with its arguments, in order; tests queue raw messages for the
// next dispatch and can make opening or dispatching fail.
// SimConnect_GetLastSentPacketID is answered from the record, not recorded.

#include <cstdint>
#include <string>
#include <vector>

#include "sim/SimConnect.h"

namespace fakesim {

using Bytes = std::vector<unsigned char>;

struct Call {
  std::string function;
  SimConnectHandle handle;
  std::vector<std::uint32_t> numbers;  // the numeric arguments, in order
  std::vector<std::string> texts;      // the string arguments, in order
  float epsilon;                       // AddToDataDefinition only
  Bytes data;                          // SetDataOnSimObject: a copy of the values given
  // The call's 1-based place among the calls on its handle: what
  // SimConnect_GetLastSentPacketID says right after it, and what an
  // exception about it names (0 for SimConnect_Open, made without a handle).
  std::uint32_t serial;
};

struct Transmission {
  SimConnectHandle handle;
  std::uint32_t objectId, eventId, data, groupId, flags;
};

void Reset();
void SetSimulatorRunning(bool running);  // SimConnect_Open succeeds only while running
void FailNextDispatch();                 // the next dispatch returns a negative result
void QueueMessage(const Bytes& bytes);   // handed to the callback by the next dispatch

const std::vector<Call>& Calls();
std::vector<Call> CallsTo(const std::string& function);
std::vector<Transmission> Transmissions();
void ClearCalls();

int OpenConnections();       // opened and not yet closed
int CallsOnClosedHandles();  // any call with a handle that is not open

}  // namespace fakesim
