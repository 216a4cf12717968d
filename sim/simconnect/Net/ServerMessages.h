#pragma once

// The messages the simulator sends to a client: encoding (the stand-in) and
// checking and decoding (our client). Their layout is SIMCONNECT_RECV's: a
// 12-byte header of size, protocol version and message kind.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "sim/simconnect/Net/WireFormat.h"

namespace simwire {

using Bytes = std::vector<unsigned char>;

struct OpenReply {
  std::string applicationName;
  std::uint32_t applicationVersion[4] = {0, 0, 0, 0};  // major, minor, build major, build minor
  std::uint32_t simConnectVersion[4] = {0, 0, 0, 0};
};

struct ExceptionReport {
  std::uint32_t exception = 0;
  std::uint32_t serial = 0;  // the serial of the request that failed
  std::uint32_t index = 0;   // which argument of it, or 0xFFFFFFFF
};

// Each encoder appends one complete message; `protocol` goes into the header.
void EncodeOpenReply(Bytes* out, std::uint32_t protocol, const OpenReply& reply);
void EncodeException(Bytes* out, std::uint32_t protocol, const ExceptionReport& report);
void EncodeQuit(Bytes* out, std::uint32_t protocol);
// The fields after the header come from `fields` (its header and dwData are
// not used), then the block.
void EncodeSimObjectData(Bytes* out, std::uint32_t protocol, const SIMCONNECT_RECV_SIMOBJECT_DATA& fields,
                         const void* block, std::size_t blockSize);

// A system event that names a file, e.g. "AircraftLoaded" with the
// aircraft's path; texts longer than the field are cut.
void EncodeEventFilename(Bytes* out, std::uint32_t protocol, std::uint32_t groupId, std::uint32_t eventId,
                         std::string_view fileName);
// The answer to a system state request.
void EncodeSystemState(Bytes* out, std::uint32_t protocol, std::uint32_t requestId, std::uint32_t integer, float number,
                       std::string_view text);

// Header fields of a message of at least kMessageHeaderSize bytes.
std::uint32_t MessageSize(const unsigned char* bytes);
std::uint32_t MessageProtocol(const unsigned char* bytes);
std::uint32_t MessageKind(const unsigned char* bytes);

// Whether a complete message of `size` bytes is well formed: its size field
// equals `size` and the kinds whose fixed fields a client reads (open,
// exception, quit, event, event with a file name, system state, object
// data) are long enough for them. Messages of
// other kinds only need a header.
bool IsWellFormedMessage(const unsigned char* bytes, std::size_t size);

// Field decoders for well-formed messages of the matching kind; false when the
// message is of another kind or too short.
bool DecodeException(const unsigned char* bytes, std::size_t size, ExceptionReport* report);

}  // namespace simwire
