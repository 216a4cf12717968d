#include "sim/simconnect/Net/ClientRequests.h"

#include "sim/simconnect/Net/ByteOrder.h"

namespace simwire {

namespace {

// Starts a request: the size is patched in by FinishRequest once the fields
// are written.
std::size_t BeginRequest(Bytes* out, std::uint32_t kind, std::uint32_t serial) {
  const std::size_t start = out->size();
  ByteWriter(out).U32(0).U32(kProtocolVersion).U32(kRequestKindMark | kind).U32(serial);
  return start;
}

void FinishRequest(Bytes* out, std::size_t start) {
  PatchU32(out, start, static_cast<std::uint32_t>(out->size() - start));
}

std::uint32_t MinimumSize(std::uint32_t kind) {
  switch (kind) {
    case kRequestOpen:
      return kOpenRequestSize;
    case kRequestMapClientEventToSimEvent:
      return kMapClientEventRequestSize;
    case kRequestTransmitClientEvent:
      return kTransmitClientEventRequestSize;
    case kRequestAddToDataDefinition:
      return kAddToDataDefinitionRequestSize;
    case kRequestDataOnSimObject:
      return kRequestDataOnSimObjectRequestSize;
    case kRequestClearDataDefinition:
      return kClearDataDefinitionRequestSize;
    case kRequestSetDataOnSimObject:
      return kSetDataOnSimObjectFixedSize;
    case kRequestSubscribeToSystemEvent:
      return kSubscribeToSystemEventRequestSize;
    case kRequestSystemState:
      return kRequestSystemStateRequestSize;
    default:
      return 0;
  }
}

}  // namespace

void EncodeOpen(Bytes* out, std::uint32_t serial, std::string_view clientName) {
  const std::size_t start = BeginRequest(out, kRequestOpen, serial);
  ByteWriter(out)
      .Text(clientName, kNameFieldSize)
      .U32(0)
      .Byte(0)
      .Bytes(kOpenAlias, sizeof kOpenAlias)
      .U32(kOpenVersionMajor)
      .U32(kOpenVersionMinor)
      .U32(kOpenBuildMajor)
      .U32(kOpenBuildMinor);
  FinishRequest(out, start);
}

void EncodeMapClientEventToSimEvent(Bytes* out, std::uint32_t serial, std::uint32_t eventId,
                                    std::string_view eventName) {
  const std::size_t start = BeginRequest(out, kRequestMapClientEventToSimEvent, serial);
  ByteWriter(out).U32(eventId).Text(eventName, kNameFieldSize);
  FinishRequest(out, start);
}

void EncodeTransmitClientEvent(Bytes* out, std::uint32_t serial, std::uint32_t objectId, std::uint32_t eventId,
                               std::uint32_t data, std::uint32_t groupId, std::uint32_t flags) {
  const std::size_t start = BeginRequest(out, kRequestTransmitClientEvent, serial);
  ByteWriter(out).U32(objectId).U32(eventId).U32(data).U32(groupId).U32(flags);
  FinishRequest(out, start);
}

void EncodeAddToDataDefinition(Bytes* out, std::uint32_t serial, std::uint32_t defineId, std::string_view datumName,
                               std::string_view unitsName, std::uint32_t dataType, float epsilon,
                               std::uint32_t datumId) {
  const std::size_t start = BeginRequest(out, kRequestAddToDataDefinition, serial);
  ByteWriter(out)
      .U32(defineId)
      .Text(datumName, kNameFieldSize)
      .Text(unitsName, kNameFieldSize)
      .U32(dataType)
      .F32(epsilon)
      .U32(datumId);
  FinishRequest(out, start);
}

void EncodeRequestDataOnSimObject(Bytes* out, std::uint32_t serial, std::uint32_t requestId, std::uint32_t defineId,
                                  std::uint32_t objectId, std::uint32_t period, std::uint32_t flags,
                                  std::uint32_t origin, std::uint32_t interval, std::uint32_t limit) {
  const std::size_t start = BeginRequest(out, kRequestDataOnSimObject, serial);
  ByteWriter(out).U32(requestId).U32(defineId).U32(objectId).U32(period).U32(flags).U32(origin).U32(interval).U32(
      limit);
  FinishRequest(out, start);
}

void EncodeClearDataDefinition(Bytes* out, std::uint32_t serial, std::uint32_t defineId) {
  const std::size_t start = BeginRequest(out, kRequestClearDataDefinition, serial);
  ByteWriter(out).U32(defineId);
  FinishRequest(out, start);
}

void EncodeSetDataOnSimObject(Bytes* out, std::uint32_t serial, std::uint32_t defineId, std::uint32_t objectId,
                              std::uint32_t flags, std::uint32_t count, std::uint32_t unitSize, const void* data) {
  const std::uint32_t sent = count == 0 ? 1 : count;
  const std::size_t start = BeginRequest(out, kRequestSetDataOnSimObject, serial);
  ByteWriter(out).U32(defineId).U32(objectId).U32(flags).U32(sent).U32(unitSize).Bytes(
      data, static_cast<std::size_t>(sent) * unitSize);
  FinishRequest(out, start);
}

void EncodeSubscribeToSystemEvent(Bytes* out, std::uint32_t serial, std::uint32_t eventId, std::string_view eventName) {
  const std::size_t start = BeginRequest(out, kRequestSubscribeToSystemEvent, serial);
  ByteWriter(out).U32(eventId).Text(eventName, kNameFieldSize);
  FinishRequest(out, start);
}

void EncodeRequestSystemState(Bytes* out, std::uint32_t serial, std::uint32_t requestId, std::string_view state) {
  const std::size_t start = BeginRequest(out, kRequestSystemState, serial);
  ByteWriter(out).U32(requestId).Text(state, kNameFieldSize);
  FinishRequest(out, start);
}

DecodeResult DecodeClientRequest(const unsigned char* bytes, std::size_t size, ClientRequest* request) {
  if (bytes == nullptr || request == nullptr || size < kRequestHeaderSize) return DecodeResult::kMalformed;
  ClientRequest r;
  r.size = ReadU32(bytes);
  r.protocol = ReadU32(bytes + 4);
  const std::uint32_t markedKind = ReadU32(bytes + 8);
  r.serial = ReadU32(bytes + 12);
  if (r.size != size || (markedKind & kRequestKindMark) != kRequestKindMark) return DecodeResult::kMalformed;
  r.kind = markedKind & ~kRequestKindMark;

  const std::uint32_t minimum = MinimumSize(r.kind);
  if (minimum == 0) {
    *request = r;
    return DecodeResult::kOtherKind;
  }
  if (size < minimum) return DecodeResult::kMalformed;

  const unsigned char* field = bytes + kRequestHeaderSize;
  switch (r.kind) {
    case kRequestOpen:
      r.name = std::string(ReadText(field, kNameFieldSize));
      // A reserved word and four alias bytes precede the version.
      for (int i = 0; i < 4; ++i) r.version[i] = ReadU32(field + kNameFieldSize + 8 + 4 * i);
      break;
    case kRequestMapClientEventToSimEvent:
      r.numbers[0] = ReadU32(field);
      r.name = std::string(ReadText(field + 4, kNameFieldSize));
      break;
    case kRequestTransmitClientEvent:
      for (int i = 0; i < 5; ++i) r.numbers[i] = ReadU32(field + 4 * i);
      break;
    case kRequestAddToDataDefinition:
      r.numbers[0] = ReadU32(field);
      r.name = std::string(ReadText(field + 4, kNameFieldSize));
      r.units = std::string(ReadText(field + 4 + kNameFieldSize, kNameFieldSize));
      r.numbers[1] = ReadU32(field + 4 + 2 * kNameFieldSize);
      r.epsilon = ReadF32(field + 8 + 2 * kNameFieldSize);
      r.numbers[2] = ReadU32(field + 12 + 2 * kNameFieldSize);
      break;
    case kRequestDataOnSimObject:
      for (int i = 0; i < 8; ++i) r.numbers[i] = ReadU32(field + 4 * i);
      break;
    case kRequestClearDataDefinition:
      r.numbers[0] = ReadU32(field);
      break;
    case kRequestSetDataOnSimObject:
      for (int i = 0; i < 5; ++i) r.numbers[i] = ReadU32(field + 4 * i);
      r.data.assign(bytes + kSetDataOnSimObjectFixedSize, bytes + size);
      break;
    case kRequestSubscribeToSystemEvent:
    case kRequestSystemState:
      r.numbers[0] = ReadU32(field);
      r.name = std::string(ReadText(field + 4, kNameFieldSize));
      break;
  }
  *request = std::move(r);
  return DecodeResult::kDecoded;
}

}  // namespace simwire
