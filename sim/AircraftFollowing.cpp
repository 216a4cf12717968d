// Who the aircraft is, and which profile applies to it: the identity
// requests, their answers, the choice of profile at every aircraft change and
// its registration with the simulator.

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <unordered_set>

#include "sim/FlightSimInterfaceMSFS.h"
#include "sim/MessageFields.h"
#include "sim/profile/ProfileLibrary.h"
#include "sim/profile/ProfileRuntime.h"
#include "supervisor/TrayNotes.h"

using profile::ProfileRuntime;

namespace {

// A fixed-size text field, up to its first zero or its end.
std::string ReadText(const unsigned char* bytes, std::size_t size) {
  const void* zero = std::memchr(bytes, 0, size);
  const std::size_t length = zero != nullptr ? static_cast<const unsigned char*>(zero) - bytes : size;
  return std::string(reinterpret_cast<const char*>(bytes), length);
}

// Lines about profiles are told once per cause: a bad file once per content,
// so an unchanged mistake is not repeated at every aircraft change, and an
// edited file that is still wrong is told again. Never destroyed.
std::unordered_set<std::size_t>& ToldLines() {
  static std::unordered_set<std::size_t>& told = *new std::unordered_set<std::size_t>;
  return told;
}

void TellOnce(const std::string& line, const std::string& content, bool notify) {
  const std::size_t key = std::hash<std::string>()(line) ^ (std::hash<std::string>()(content) * 31);
  if (!ToldLines().insert(key).second) return;
  std::fprintf(stderr, "%s\n", line.c_str());
  std::fflush(stderr);
  if (notify) PublishProfileProblem(line.c_str());
}

void TellProfileProblem(const std::string& line, const std::string& content, void*) { TellOnce(line, content, true); }

// One for the process, made on first use and never destroyed: the
// supervisor, never joined, may still be using it while exit() runs.
ProfileRuntime& TheProfileRuntime() {
  static ProfileRuntime& runtime = *new ProfileRuntime;
  return runtime;
}

// The simulator's answer to a name it has never heard of.
constexpr SimConnectDword kExceptionNameUnrecognized = 7;

}  // namespace

void FlightSimInterfaceMSFS::NoteSent(int what, std::size_t index) {
  SimConnectDword serial = 0;
  if (SimConnect_GetLastSentPacketID(*connection, &serial) < 0) return;
  profiles->sent.push_back(ProfileRuntime::SentRequest{serial, static_cast<ProfileRuntime::SentRequest::What>(what),
                                                       static_cast<std::uint16_t>(index)});
}

void FlightSimInterfaceMSFS::StartFollowingAircraft() {
  if (profiles == nullptr) profiles = &TheProfileRuntime();
  ProfileRuntime& p = *profiles;
  // A new connection knows nothing of the last one's names or definitions.
  const bool hadProfile = p.active;
  p = ProfileRuntime{};
  if (hadProfile) PublishProfileName("");
  const SimConnectHandle handle = *connection;
  SimConnect_AddToDataDefinition(handle, profile::kTitleDefinition, "TITLE", nullptr, SIMCONNECT_DATATYPE_STRING256,
                                 0.0f, SIMCONNECT_UNUSED);
  SimConnect_RequestDataOnSimObject(handle, profile::kTitleDefinition, profile::kTitleDefinition,
                                    SIMCONNECT_OBJECT_ID_USER, SIMCONNECT_PERIOD_SIM_FRAME,
                                    SIMCONNECT_DATA_REQUEST_FLAG_CHANGED, 0, 0, 0);
  SimConnect_SubscribeToSystemEvent(handle, profile::kAircraftLoadedEvent, "AircraftLoaded");
  SimConnect_RequestSystemState(handle, profile::kAircraftLoadedRequest, "AircraftLoaded");
  NoteSent(ProfileRuntime::SentRequest::kIdentity, 0);
}

void FlightSimInterfaceMSFS::OnProfileData(SimConnectDword request, const unsigned char* block, SimConnectDword size) {
  if (profiles == nullptr) return;
  ProfileRuntime& p = *profiles;
  if (request == profile::kTitleDefinition) {
    if (size < SimConnectDataTypeSize(SIMCONNECT_DATATYPE_STRING256)) return;
    const std::string title = ReadText(block, SimConnectDataTypeSize(SIMCONNECT_DATATYPE_STRING256));
    if (p.titleKnown && title == p.aircraft.title) return;
    p.aircraft.title = title;
    p.titleKnown = true;
    p.aircraftChanged = true;
    p.titleWait = 0;
    return;
  }
  if (request < p.variableBase || request - p.variableBase >= p.definedVariables || size < sizeof(double)) return;
  const std::size_t variable = request - p.variableBase;
  p.values[variable] = ReadFloat64(block);
  p.received[variable] = 1;
}

void FlightSimInterfaceMSFS::OnAircraftMessage(const unsigned char* message, SimConnectDword size) {
  if (profiles == nullptr || size < 24) return;
  ProfileRuntime& p = *profiles;
  const SimConnectDword kind = ReadDword(message + 8);
  // The answer at connection, or the event at every load: loading the same
  // aircraft again counts as a change too, so its profile is read afresh.
  const bool loadedState =
      kind == SIMCONNECT_RECV_ID_SYSTEM_STATE && ReadDword(message + 12) == profile::kAircraftLoadedRequest;
  const bool loadedEvent =
      kind == SIMCONNECT_RECV_ID_EVENT_FILENAME && ReadDword(message + 16) == profile::kAircraftLoadedEvent;
  if (loadedState || loadedEvent) {
    p.aircraft.path = ReadText(message + 24, size - 24 < kSimConnectMaxPath ? size - 24 : kSimConnectMaxPath);
    p.pathKnown = true;
    p.aircraftChanged = true;
    if (loadedEvent) p.titleWait = profile::kTitleWaitPasses;
    return;
  }
  if (kind != SIMCONNECT_RECV_ID_EXCEPTION) return;
  const SimConnectDword exception = ReadDword(message + 12);
  const SimConnectDword serial = ReadDword(message + 16);
  for (const ProfileRuntime::SentRequest& sent : p.sent) {
    if (sent.serial != serial) continue;
    if (sent.what == ProfileRuntime::SentRequest::kIdentity) {
      // A simulator that cannot say where the aircraft came from still
      // gives its title: match on that alone.
      p.pathKnown = true;
      p.aircraftChanged = true;
      return;
    }
    const bool event = sent.what == ProfileRuntime::SentRequest::kEvent;
    const profile::NameOrigin origin =
        event ? p.profile.eventOrigins[sent.index] : p.profile.variableOrigins[sent.index];
    std::string line = profile::FileNameOf(p.profile.file);
    line += ": ";
    line += origin.lamp ? "lamp " : "";
    line += origin.lamp ? profile::LampName(origin.index) : profile::FunctionName(origin.index);
    line +=
        exception == kExceptionNameUnrecognized ? ": the simulator does not know the " : ": the simulator refused the ";
    line += event ? "event \"" : "variable \"";
    line += event ? p.profile.events[sent.index] : p.profile.variables[sent.index].name;
    line += "\"";
    if (exception != kExceptionNameUnrecognized) line += " (exception " + std::to_string(exception) + ")";
    TellOnce(line, p.profile.file, false);
    return;
  }
}

void FlightSimInterfaceMSFS::FollowAircraft() {
  if (profiles == nullptr || !IsConnected()) return;
  ProfileRuntime& p = *profiles;
  if (!p.aircraftChanged || !p.titleKnown || !p.pathKnown) return;
  if (p.titleWait > 0) {
    --p.titleWait;
    return;
  }
  p.aircraftChanged = false;
  profile::AircraftProfile chosen;
  const profile::ProblemSink problems{TellProfileProblem, nullptr};
  const bool found = profile::ChooseProfile(profile::ProfileFolders(), p.aircraft, &chosen, problems);
  if (found) {
    std::fprintf(stderr, "Aircraft \"%s\" (%s): profile \"%s\" from %s\n", p.aircraft.title.c_str(),
                 p.aircraft.path.c_str(), chosen.name.c_str(), chosen.file.c_str());
  } else {
    std::fprintf(stderr, "Aircraft \"%s\" (%s): no profile\n", p.aircraft.title.c_str(), p.aircraft.path.c_str());
  }
  std::fflush(stderr);
  ApplyProfile(found, &chosen);
}

void FlightSimInterfaceMSFS::ApplyProfile(bool found, profile::AircraftProfile* chosen) {
  ProfileRuntime& p = *profiles;
  const SimConnectHandle handle = *connection;
  // The previous profile's variables: no more blocks, and the definitions
  // free for a later profile.
  for (std::size_t i = 0; i < p.definedVariables; ++i) {
    const SimConnectDword definition = p.variableBase + static_cast<SimConnectDword>(i);
    SimConnect_RequestDataOnSimObject(handle, definition, definition, SIMCONNECT_OBJECT_ID_USER,
                                      SIMCONNECT_PERIOD_NEVER, 0, 0, 0, 0);
    SimConnect_ClearDataDefinition(handle, definition);
  }
  p.definedVariables = 0;
  p.sent.erase(std::remove_if(p.sent.begin(), p.sent.end(),
                              [](const ProfileRuntime::SentRequest& sent) {
                                return sent.what != ProfileRuntime::SentRequest::kIdentity;
                              }),
               p.sent.end());
  p.active = found;
  p.profile = found ? std::move(*chosen) : profile::AircraftProfile{};
  PublishProfileName(found ? p.profile.name.c_str() : "");
  if (!found) return;

  p.eventIds.assign(p.profile.events.size(), 0);
  for (std::size_t i = 0; i < p.profile.events.size(); ++i) {
    const std::string& name = p.profile.events[i];
    std::size_t slot = 0;
    while (slot < p.mappedNames.size() && p.mappedNames[slot] != name) ++slot;
    if (slot == p.mappedNames.size()) {
      // An id keeps its name for the whole connection; past the bound, the
      // event is simply not sent.
      if (slot >= profile::kMaxMappedNames) {
        p.eventIds[i] = SIMCONNECT_UNUSED;
        continue;
      }
      p.mappedNames.push_back(name);
      SimConnect_MapClientEventToSimEvent(handle, profile::kFirstProfileEvent + static_cast<ClientEventId>(slot),
                                          name.c_str());
      NoteSent(ProfileRuntime::SentRequest::kEvent, i);
    }
    p.eventIds[i] = profile::kFirstProfileEvent + static_cast<ClientEventId>(slot);
  }

  p.variableBase = p.variableBase == profile::kVariableDefinitionRanges[0] ? profile::kVariableDefinitionRanges[1]
                                                                           : profile::kVariableDefinitionRanges[0];
  p.values.assign(p.profile.variables.size(), 0.0);
  p.received.assign(p.profile.variables.size(), 0);
  for (std::size_t i = 0; i < p.profile.variables.size(); ++i) {
    const SimConnectDword definition = p.variableBase + static_cast<SimConnectDword>(i);
    const profile::ProfileVariable& variable = p.profile.variables[i];
    SimConnect_AddToDataDefinition(handle, definition, variable.name.c_str(), variable.unit.c_str(),
                                   SIMCONNECT_DATATYPE_FLOAT64, 0.0f, SIMCONNECT_UNUSED);
    NoteSent(ProfileRuntime::SentRequest::kVariable, i);
    SimConnect_RequestDataOnSimObject(handle, definition, definition, SIMCONNECT_OBJECT_ID_USER,
                                      SIMCONNECT_PERIOD_SIM_FRAME, SIMCONNECT_DATA_REQUEST_FLAG_CHANGED, 0, 0, 0);
    NoteSent(ProfileRuntime::SentRequest::kVariable, i);
  }
  p.definedVariables = p.profile.variables.size();
}
