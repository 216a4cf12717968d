#include "ClientSession.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include "sim/simconnect/Net/ByteOrder.h"
#include "sim/simconnect/Net/ServerMessages.h"

namespace {

// Bounds on what one client may make the stand-in hold.
constexpr std::size_t kMostMappedEvents = 4096;
constexpr std::size_t kMostDatums = 4096;
constexpr std::size_t kMostRequests = 256;

template <typename Integer>
Integer Saturate(double value) {
  if (std::isnan(value)) return 0;
  if (value <= static_cast<double>(std::numeric_limits<Integer>::min())) return std::numeric_limits<Integer>::min();
  if (value >= static_cast<double>(std::numeric_limits<Integer>::max())) return std::numeric_limits<Integer>::max();
  return static_cast<Integer>(value);
}

// The one system state and the one system event the stand-in has; the
// simulator compares their names without regard to case.
constexpr const char* kAircraftLoaded = "AircraftLoaded";

bool SameName(const std::string& a, const char* b) {
  return a.size() == std::strlen(b) && std::equal(a.begin(), a.end(), b, [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

bool IsText(std::uint32_t type) { return type >= SIMCONNECT_DATATYPE_STRING8 && type <= SIMCONNECT_DATATYPE_STRING260; }

std::string Hex(std::uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%X", static_cast<unsigned>(value));
  return text;
}

}  // namespace

ClientSession::ClientSession(int socket, Simulation* simulation) : socket_(socket), simulation_(simulation) {}

ClientSession::~ClientSession() { close(socket_); }

bool ClientSession::Receive(const unsigned char* bytes, std::size_t size, Clock::time_point now) {
  if (!decoder_.Feed(bytes, size)) return false;
  for (;;) {
    switch (decoder_.Next(&request_)) {
      case simwire::WireDecoder::Status::kNeedMore:
        return true;
      case simwire::WireDecoder::Status::kBroken:
        return false;
      case simwire::WireDecoder::Status::kMessage:
        break;
    }
    simwire::ClientRequest request;
    switch (simwire::DecodeClientRequest(request_.data(), request_.size(), &request)) {
      case simwire::DecodeResult::kMalformed:
        return false;
      case simwire::DecodeResult::kOtherKind:
        Exception(simwire::kExceptionUnrecognizedId, request.serial, 0);
        break;
      case simwire::DecodeResult::kDecoded:
        Handle(request, now);
        break;
    }
  }
}

void ClientSession::Handle(const simwire::ClientRequest& request, Clock::time_point now) {
  if (request.kind == simwire::kRequestOpen) {
    HandleOpen(request);
    return;
  }
  if (!opened_) {
    Exception(simwire::kExceptionUnopened, request.serial, 0);
    return;
  }
  switch (request.kind) {
    case simwire::kRequestMapClientEventToSimEvent:
      HandleMap(request);
      break;
    case simwire::kRequestTransmitClientEvent:
      HandleTransmit(request, now);
      break;
    case simwire::kRequestAddToDataDefinition:
      HandleDefinition(request);
      break;
    case simwire::kRequestDataOnSimObject:
      HandleDataRequest(request);
      break;
    case simwire::kRequestClearDataDefinition:
      definitions_.erase(request.numbers[0]);
      break;
    case simwire::kRequestSetDataOnSimObject:
      HandleSetData(request);
      break;
    case simwire::kRequestSystemState:
      HandleSystemState(request);
      break;
    case simwire::kRequestSubscribeToSystemEvent:
      HandleSubscribe(request);
      break;
  }
}

// A name the simulator has no event for is refused at once, so a misspelt
// custom event in a client's configuration shows up as an exception rather
// than as a knob that silently does nothing. "" is a private client event.
void ClientSession::HandleMap(const simwire::ClientRequest& request) {
  if (mapped_.size() >= kMostMappedEvents && mapped_.count(request.numbers[0]) == 0) {
    Exception(simwire::kExceptionTooManyMaps, request.serial, 1);
  } else if (!request.name.empty() && !Aircraft::Recognises(request.name)) {
    Exception(simwire::kExceptionNameUnrecognized, request.serial, 2);
  } else {
    mapped_[request.numbers[0]] = request.name;
  }
}

// Writes the values of a definition's L:vars; only the user's aircraft
// has them, and only the definition's own layout is taken.
void ClientSession::HandleSetData(const simwire::ClientRequest& request) {
  const std::uint32_t defineId = request.numbers[0];
  const auto definition = definitions_.find(defineId);
  if (definition == definitions_.end()) {
    Exception(simwire::kExceptionUnrecognizedId, request.serial, 1);
    return;
  }
  if (request.numbers[1] != SIMCONNECT_OBJECT_ID_USER) {
    Exception(simwire::kExceptionUnrecognizedId, request.serial, 2);
    return;
  }
  std::size_t blockSize = 0;
  for (const Datum& datum : definition->second) blockSize += SimConnectDataTypeSize(datum.type);
  if (request.numbers[2] != SIMCONNECT_DATA_SET_FLAG_DEFAULT || request.numbers[3] != 1 ||
      request.numbers[4] != blockSize || request.data.size() != blockSize) {
    Exception(simwire::kExceptionSizeMismatch, request.serial, 5);
    return;
  }
  const unsigned char* at = request.data.data();
  for (const Datum& datum : definition->second) {
    double value = 0.0;
    switch (datum.type) {
      case SIMCONNECT_DATATYPE_INT32:
        value = static_cast<std::int32_t>(simwire::ReadU32(at));
        break;
      case SIMCONNECT_DATATYPE_INT64:
        value = static_cast<double>(static_cast<std::int64_t>(simwire::ReadU64(at)));
        break;
      case SIMCONNECT_DATATYPE_FLOAT32:
        value = simwire::ReadF32(at);
        break;
      case SIMCONNECT_DATATYPE_FLOAT64:
        value = simwire::ReadF64(at);
        break;
      default:
        break;
    }
    at += SimConnectDataTypeSize(datum.type);
    if (!LocalVariables::Names(datum.name) || IsText(datum.type)) {
      simulation_->console->Line("ignored: " + datum.name + " cannot be written here");
    } else if (simulation_->localVariables.Write(datum.name, value)) {
      simulation_->console->Line("lvar " + datum.name + " = " + FormatVariableValue(value));
    }
  }
  simulation_->console->MarkDirty();
}

void ClientSession::HandleSystemState(const simwire::ClientRequest& request) {
  if (!SameName(request.name, kAircraftLoaded)) {
    Exception(simwire::kExceptionNameUnrecognized, request.serial, 2);
    return;
  }
  simwire::EncodeSystemState(&outgoing_, protocol_, request.numbers[0], 0, 0.0f, simulation_->identity.path);
}

void ClientSession::HandleSubscribe(const simwire::ClientRequest& request) {
  if (!SameName(request.name, kAircraftLoaded)) {
    Exception(simwire::kExceptionNameUnrecognized, request.serial, 2);
    return;
  }
  if (std::find(aircraftLoadedEvents_.begin(), aircraftLoadedEvents_.end(), request.numbers[0]) ==
      aircraftLoadedEvents_.end()) {
    aircraftLoadedEvents_.push_back(request.numbers[0]);
  }
}

void ClientSession::AircraftLoaded() {
  for (const std::uint32_t eventId : aircraftLoadedEvents_) {
    simwire::EncodeEventFilename(&outgoing_, protocol_, SIMCONNECT_UNUSED, eventId, simulation_->identity.path);
  }
}

void ClientSession::HandleOpen(const simwire::ClientRequest& request) {
  if (opened_) return;
  opened_ = true;
  name_ = request.name;
  protocol_ = request.protocol;
  simwire::OpenReply reply;
  reply.applicationName = "Vestrel simulator stand-in";
  reply.applicationVersion[0] = 0;
  reply.applicationVersion[1] = 5;
  for (int i = 0; i < 4; ++i) reply.simConnectVersion[i] = request.version[i];
  simwire::EncodeOpenReply(&outgoing_, protocol_, reply);
  simulation_->console->Line("client: connected \"" + name_ + "\"");
}

void ClientSession::HandleTransmit(const simwire::ClientRequest& request, Clock::time_point now) {
  ++simulation_->events;
  simulation_->console->MarkDirty();
  const std::uint32_t eventId = request.numbers[1];
  const std::uint32_t data = request.numbers[2];
  const auto mapping = mapped_.find(eventId);
  if (mapping == mapped_.end()) {
    Exception(simwire::kExceptionUnrecognizedId, request.serial, 2);
    simulation_->console->Line("ignored: client event " + std::to_string(eventId) + " was never mapped");
    return;
  }
  const std::string& name = mapping->second;
  if (name.empty()) return;  // a private client event: nothing in the simulator listens
  const EventOutcome outcome = simulation_->aircraft.Apply(name, data, now);
  switch (outcome.kind) {
    case EventOutcome::kApplied:
      for (const std::string& change : outcome.changes) simulation_->console->Line("aircraft: " + change);
      break;
    case EventOutcome::kCustom:
      simulation_->console->Line("aircraft: custom event " + name + " " +
                                 std::to_string(static_cast<std::int32_t>(data)));
      break;
    case EventOutcome::kRejected:
      simulation_->console->Line("ignored: " + name + " " + outcome.reason);
      break;
    case EventOutcome::kUnknown:
      simulation_->console->Line("ignored: event " + name + " " + Hex(data) + " is not simulated");
      break;
  }
}

void ClientSession::HandleDefinition(const simwire::ClientRequest& request) {
  const std::uint32_t type = request.numbers[1];
  if (SimConnectDataTypeSize(type) == 0) {
    Exception(simwire::kExceptionInvalidDataType, request.serial, 4);
    return;
  }
  std::size_t datums = 0;
  for (const auto& entry : definitions_) datums += entry.second.size();
  if (datums >= kMostDatums) {
    Exception(simwire::kExceptionError, request.serial, 0);
    return;
  }
  definitions_[request.numbers[0]].push_back(Datum{request.name, request.units, type});
}

void ClientSession::HandleDataRequest(const simwire::ClientRequest& request) {
  const std::uint32_t requestId = request.numbers[0];
  const std::uint32_t defineId = request.numbers[1];
  // Stopping needs no definition: it may have been cleared already.
  if (request.numbers[3] == SIMCONNECT_PERIOD_NEVER) {
    requests_.erase(requestId);
    return;
  }
  if (definitions_.count(defineId) == 0) {
    Exception(simwire::kExceptionUnrecognizedId, request.serial, 2);
    return;
  }
  if (requests_.size() >= kMostRequests && requests_.count(requestId) == 0) {
    Exception(simwire::kExceptionTooManyRequests, request.serial, 1);
    return;
  }
  DataRequest data;
  data.defineId = defineId;
  data.objectId = request.numbers[2];
  data.period = request.numbers[3];
  data.flags = request.numbers[4];
  data.origin = request.numbers[5];
  data.interval = request.numbers[6];
  data.limit = request.numbers[7];
  requests_[requestId] = std::move(data);
  simulation_->console->Line("data: request " + std::to_string(requestId) + ": definition " + std::to_string(defineId) +
                             ", " + std::to_string(definitions_[defineId].size()) + " variables");
}

void ClientSession::Exception(std::uint32_t code, std::uint32_t serial, std::uint32_t index) {
  simwire::EncodeException(&outgoing_, protocol_, simwire::ExceptionReport{code, serial, index});
}

void ClientSession::QueueQuit() {
  if (opened_) simwire::EncodeQuit(&outgoing_, protocol_);
}

double ClientSession::ReadNumber(const Datum& datum) const {
  if (LocalVariables::Names(datum.name)) return simulation_->localVariables.Read(datum.name);
  return simulation_->aircraft.Read(datum.name, datum.units);
}

std::vector<unsigned char> ClientSession::Block(const std::vector<Datum>& definition) const {
  std::vector<unsigned char> block;
  simwire::ByteWriter writer(&block);
  for (const Datum& datum : definition) {
    if (IsText(datum.type)) {
      // The one text the aircraft has; a text is laid out at its type's
      // fixed size, cut to keep its terminating zero.
      const bool title = SameName(datum.name, "TITLE");
      writer.Text(title ? simulation_->identity.title : std::string(), SimConnectDataTypeSize(datum.type));
      continue;
    }
    const double value = ReadNumber(datum);
    switch (datum.type) {
      case SIMCONNECT_DATATYPE_INT32:
        writer.U32(static_cast<std::uint32_t>(Saturate<std::int32_t>(value)));
        break;
      case SIMCONNECT_DATATYPE_INT64:
        writer.U64(static_cast<std::uint64_t>(Saturate<std::int64_t>(value)));
        break;
      case SIMCONNECT_DATATYPE_FLOAT32:
        writer.F32(static_cast<float>(value));
        break;
      case SIMCONNECT_DATATYPE_FLOAT64:
        writer.F64(value);
        break;
      default:
        break;
    }
  }
  return block;
}

// Whether a request sends in this frame: its period must begin, then origin
// periods are skipped, then one in every interval+1 is sent.
bool ClientSession::Due(DataRequest* request, std::uint64_t frame) const {
  if (!request->started) {
    request->started = true;
    request->firstFrame = frame;
  }
  if (request->period == SIMCONNECT_PERIOD_SECOND) {
    const auto framesPerSecond = static_cast<std::uint64_t>(simulation_->framesPerSecond);
    if ((frame - request->firstFrame) % framesPerSecond != 0) return false;
  } else if (request->period != SIMCONNECT_PERIOD_ONCE && request->period != SIMCONNECT_PERIOD_VISUAL_FRAME &&
             request->period != SIMCONNECT_PERIOD_SIM_FRAME) {
    return false;
  }
  const std::uint64_t index = request->periodsSeen++;
  if (index < request->origin) return false;
  return (index - request->origin) % (static_cast<std::uint64_t>(request->interval) + 1) == 0;
}

void ClientSession::Frame(std::uint64_t frame) {
  for (auto it = requests_.begin(); it != requests_.end();) {
    DataRequest& request = it->second;
    bool finished = false;
    const auto found = definitions_.find(request.defineId);
    // A request whose definition was cleared waits for it to be filled again.
    if (found != definitions_.end() && !found->second.empty() && Due(&request, frame)) {
      const std::vector<Datum>& definition = found->second;
      std::vector<unsigned char> block = Block(definition);
      const bool unchanged =
          (request.flags & SIMCONNECT_DATA_REQUEST_FLAG_CHANGED) != 0 && request.sent > 0 && block == request.lastBlock;
      if (!unchanged) {
        SIMCONNECT_RECV_SIMOBJECT_DATA fields{};
        fields.dwRequestID = it->first;
        fields.dwObjectID = request.objectId;
        fields.dwDefineID = request.defineId;
        fields.dwFlags = request.flags;
        fields.dwentrynumber = 1;
        fields.dwoutof = 1;
        fields.dwDefineCount = static_cast<std::uint32_t>(definition.size());
        simwire::EncodeSimObjectData(&outgoing_, protocol_, fields, block.data(), block.size());
        request.lastBlock = std::move(block);
        ++request.sent;
        finished = request.period == SIMCONNECT_PERIOD_ONCE || (request.limit != 0 && request.sent >= request.limit);
      }
    }
    it = finished ? requests_.erase(it) : std::next(it);
  }
}
