#pragma once

// Facts of the simulator's SimConnect wire protocol over TCP, shared by our
// client backend and the simulator stand-in. Every integer on the wire is
// little-endian.
//
// A request from a client starts with a 16-byte header: total size,
// protocol version, request kind (0xF0000000 | kind) and a serial number
// that the server echoes in exception messages. A message from the server
// starts with a 12-byte header: total size, protocol version, message kind;
// that is exactly the SIMCONNECT_RECV layout the dispatch hands out.

#include <cstddef>
#include <cstdint>

#include "sim/SimConnect.h"

namespace simwire {

constexpr std::uint32_t kRequestHeaderSize = 16;
constexpr std::uint32_t kMessageHeaderSize = sizeof(SIMCONNECT_RECV);

// No message this program sends or expects comes near this; anything larger
// is treated as a broken stream rather than buffered.
constexpr std::uint32_t kMaxMessageSize = 64 * 1024;

// Fixed-width text fields (event names, variable and unit names, the client
// name) are 256 bytes, zero-padded; at most 255 characters are kept so the
// field always holds its terminating zero.
constexpr std::size_t kNameFieldSize = 256;

// The request kind travels with the top four bits set.
constexpr std::uint32_t kRequestKindMark = 0xF0000000u;

enum RequestKind : std::uint32_t {
  kRequestOpen = 0x01,
  kRequestMapClientEventToSimEvent = 0x04,
  kRequestTransmitClientEvent = 0x05,
  kRequestAddToDataDefinition = 0x0C,
  kRequestClearDataDefinition = 0x0D,
  kRequestDataOnSimObject = 0x0E,
  kRequestSetDataOnSimObject = 0x10,
  kRequestSubscribeToSystemEvent = 0x17,
  kRequestSystemState = 0x35,
};

// The server's message kinds, their header and the object-data layout are
// the client interface's own (sim/SimConnect.h): SIMCONNECT_RECV_ID_*,
// SIMCONNECT_RECV, kSimObjectDataBlockOffset.

// Protocol 5 is the one the current simulator generation speaks natively; its
// successor still accepts clients that announce 5, so one client build works
// with both. The open request announces the client library's version as the
// simulator's own library of that protocol does.
constexpr std::uint32_t kProtocolVersion = 5;
constexpr char kOpenAlias[3] = {'H', 'K', '\0'};
constexpr std::uint32_t kOpenVersionMajor = 11;
constexpr std::uint32_t kOpenVersionMinor = 0;
constexpr std::uint32_t kOpenBuildMajor = 62651;
constexpr std::uint32_t kOpenBuildMinor = 3;

// Sizes of the requests, header included.
constexpr std::uint32_t kOpenRequestSize = kRequestHeaderSize + kNameFieldSize + 4 + 4 + 4 * 4;                 // 296
constexpr std::uint32_t kMapClientEventRequestSize = kRequestHeaderSize + 4 + kNameFieldSize;                   // 276
constexpr std::uint32_t kTransmitClientEventRequestSize = kRequestHeaderSize + 5 * 4;                           // 36
constexpr std::uint32_t kAddToDataDefinitionRequestSize = kRequestHeaderSize + 4 + 2 * kNameFieldSize + 3 * 4;  // 544
constexpr std::uint32_t kRequestDataOnSimObjectRequestSize = kRequestHeaderSize + 8 * 4;                        // 48
constexpr std::uint32_t kClearDataDefinitionRequestSize = kRequestHeaderSize + 4;                               // 20
constexpr std::uint32_t kSubscribeToSystemEventRequestSize = kRequestHeaderSize + 4 + kNameFieldSize;           // 276
constexpr std::uint32_t kRequestSystemStateRequestSize = kRequestHeaderSize + 4 + kNameFieldSize;               // 276
// Define, object, flags, count, unit size, then count * unit size bytes.
constexpr std::uint32_t kSetDataOnSimObjectFixedSize = kRequestHeaderSize + 5 * 4;  // 36

// Smallest sizes of the server messages whose fixed fields we read.
constexpr std::uint32_t kOpenMessageSize = kMessageHeaderSize + kNameFieldSize + 10 * 4;     // 308
constexpr std::uint32_t kExceptionMessageSize = kMessageHeaderSize + 3 * 4;                  // 24
constexpr std::uint32_t kQuitMessageSize = kMessageHeaderSize;                               // 12
constexpr std::uint32_t kEventMessageSize = kMessageHeaderSize + 3 * 4;                      // 24
constexpr std::uint32_t kEventFilenameMessageSize = sizeof(SIMCONNECT_RECV_EVENT_FILENAME);  // 288
constexpr std::uint32_t kSystemStateMessageSize = sizeof(SIMCONNECT_RECV_SYSTEM_STATE);      // 284

// Exception codes the stand-in reports.
enum ExceptionCode : std::uint32_t {
  kExceptionError = 1,
  kExceptionSizeMismatch = 2,
  kExceptionUnrecognizedId = 3,
  kExceptionUnopened = 4,
  kExceptionVersionMismatch = 5,
  kExceptionNameUnrecognized = 7,
  kExceptionTooManyMaps = 10,
  kExceptionTooManyRequests = 12,
  kExceptionInvalidDataType = 18,
};

static_assert(kSimObjectDataBlockOffset == kMessageHeaderSize + 7 * 4,
              "request, object, define, flags, entry, "
              "out of, count");

}  // namespace simwire
