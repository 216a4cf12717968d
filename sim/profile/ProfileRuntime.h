#pragma once

// The aircraft profile side of one simulator connection: who the aircraft
// is, which profile applies, and what the simulator knows of it. Lives on
// the heap for the whole process (the supervisor is never joined) and is
// used from the supervisor thread alone.

#include <cstdint>
#include <string>
#include <vector>

#include "sim/ClientEvents.h"
#include "sim/SimConnect.h"
#include "sim/profile/AircraftProfile.h"
#include "sim/profile/ProfileLibrary.h"

namespace profile {

// Identifiers of the identity requests, beside the catalogue's.
constexpr SimConnectDword kTitleDefinition = 2;        // also its request
constexpr SimConnectDword kAircraftLoadedRequest = 3;  // system state request
constexpr ClientEventId kAircraftLoadedEvent = 0x10000;
// A profile's event names are mapped from here up, for the whole connection.
constexpr ClientEventId kFirstProfileEvent = kClientEventCount;
constexpr std::size_t kMaxMappedNames = 4096;
// How long a load event waits for a changed title before the profile is
// chosen with the title as it stands (the same aircraft loaded again keeps
// its title): four passes, 100 ms, three frames of data.
constexpr int kTitleWaitPasses = 4;
// Each profile's variables get definitions (and requests) of their own,
// alternating between two ranges, so that a block still in flight for the
// previous profile's variables is never taken for the new one's.
constexpr SimConnectDword kVariableDefinitionRanges[2] = {16, 16 + kMaxVariables};

struct ProfileRuntime {
  AircraftIdentity aircraft;
  bool titleKnown = false;
  bool pathKnown = false;
  bool aircraftChanged = false;
  // Passes left to wait for the new title after a load event: the event
  // comes at once, the title with the next frame of data.
  int titleWait = 0;

  bool active = false;
  AircraftProfile profile;
  std::vector<ClientEventId> eventIds;  // per profile.events
  std::vector<double> values;           // per profile.variables: the latest value
  std::vector<unsigned char> received;  // whether a value has arrived since applied
  SimConnectDword variableBase = kVariableDefinitionRanges[0];
  std::size_t definedVariables = 0;

  // Event names mapped on this connection, under kFirstProfileEvent + index.
  std::vector<std::string> mappedNames;

  // The requests sent for the profile and the identity, by serial, so that
  // an exception can name what was refused.
  struct SentRequest {
    SimConnectDword serial;
    enum What : std::uint8_t { kEvent, kVariable, kIdentity } what;
    std::uint16_t index;
  };
  std::vector<SentRequest> sent;
};

}  // namespace profile
