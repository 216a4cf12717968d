#pragma once

// The requests a client sends to the simulator: encoding (our client) and
// decoding (the stand-in), kept side by side so both ends share one layout.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "sim/simconnect/Net/WireFormat.h"

namespace simwire {

using Bytes = std::vector<unsigned char>;

// Each encoder appends one complete request to `out`. `serial` is the
// request's number in the connection, echoed by the server in exceptions.
void EncodeOpen(Bytes* out, std::uint32_t serial, std::string_view clientName);
void EncodeMapClientEventToSimEvent(Bytes* out, std::uint32_t serial, std::uint32_t eventId,
                                    std::string_view eventName);
void EncodeTransmitClientEvent(Bytes* out, std::uint32_t serial, std::uint32_t objectId, std::uint32_t eventId,
                               std::uint32_t data, std::uint32_t groupId, std::uint32_t flags);
void EncodeAddToDataDefinition(Bytes* out, std::uint32_t serial, std::uint32_t defineId, std::string_view datumName,
                               std::string_view unitsName, std::uint32_t dataType, float epsilon,
                               std::uint32_t datumId);
void EncodeRequestDataOnSimObject(Bytes* out, std::uint32_t serial, std::uint32_t requestId, std::uint32_t defineId,
                                  std::uint32_t objectId, std::uint32_t period, std::uint32_t flags,
                                  std::uint32_t origin, std::uint32_t interval, std::uint32_t limit);
void EncodeClearDataDefinition(Bytes* out, std::uint32_t serial, std::uint32_t defineId);
// `data` holds count * unitSize bytes; a count of 0 means one, as the
// simulator's own library sends it.
void EncodeSetDataOnSimObject(Bytes* out, std::uint32_t serial, std::uint32_t defineId, std::uint32_t objectId,
                              std::uint32_t flags, std::uint32_t count, std::uint32_t unitSize, const void* data);
void EncodeSubscribeToSystemEvent(Bytes* out, std::uint32_t serial, std::uint32_t eventId, std::string_view eventName);
void EncodeRequestSystemState(Bytes* out, std::uint32_t serial, std::uint32_t requestId, std::string_view state);

// One decoded request. Only the fields of its kind are filled.
struct ClientRequest {
  std::uint32_t size = 0;
  std::uint32_t protocol = 0;
  std::uint32_t kind = 0;  // RequestKind, mark removed
  std::uint32_t serial = 0;

  // open: client name; map, subscribe: event name; definition: variable
  // name; system state: state name
  std::string name;
  std::string units;  // definition: unit name
  // open: major, minor, build major, build minor
  std::uint32_t version[4] = {0, 0, 0, 0};
  // map: event; transmit: object, event, data, group, flags;
  // definition: define, type, datum id; data request: request, define,
  // object, period, flags, origin, interval, limit; clear: define;
  // set data: define, object, flags, count, unit size; subscribe: event;
  // system state: request
  std::uint32_t numbers[8] = {0, 0, 0, 0, 0, 0, 0, 0};
  float epsilon = 0.0f;
  Bytes data;  // set data: every byte after its fixed fields
};

enum class DecodeResult {
  kDecoded,    // a request of a kind listed in RequestKind
  kOtherKind,  // a well-formed header of a kind we do not decode
  kMalformed,  // too short for its header or its kind's fields, or no kind mark
};

// Decodes one complete request of `size` bytes (as framed by WireDecoder).
// Never reads past `size`.
DecodeResult DecodeClientRequest(const unsigned char* bytes, std::size_t size, ClientRequest* request);

}  // namespace simwire
