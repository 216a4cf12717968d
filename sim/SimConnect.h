#pragma once

// The simulator's client interface as this program uses it: twelve calls, the
// few types and constants they take, and the layout of the messages the
// dispatch delivers. Backends in sim/simconnect/ implement these functions;
// the tests link a recording fake instead.
//
// The types keep the binary shape of the simulator's own client library
// (32-bit status and identifiers, pointer-sized handle), so the Windows
// backend can forward calls to the library loaded at run time.

#include <cstdint>

typedef void* SimConnectHandle;
typedef std::int32_t SimConnectResult;  // negative is failure
typedef std::uint32_t SimConnectDword;

#define SIMCONNECT_SUCCEEDED(result) ((result) >= 0)

// Data types of a data definition entry. The bridge registers only INT32
// and FLOAT64; the stand-in serves any of them.
enum SimConnectDataType : std::uint32_t {
  SIMCONNECT_DATATYPE_INT32 = 1,
  SIMCONNECT_DATATYPE_INT64 = 2,
  SIMCONNECT_DATATYPE_FLOAT32 = 3,
  SIMCONNECT_DATATYPE_FLOAT64 = 4,
  SIMCONNECT_DATATYPE_STRING8 = 5,
  SIMCONNECT_DATATYPE_STRING32 = 6,
  SIMCONNECT_DATATYPE_STRING64 = 7,
  SIMCONNECT_DATATYPE_STRING128 = 8,
  SIMCONNECT_DATATYPE_STRING256 = 9,
  SIMCONNECT_DATATYPE_STRING260 = 10,
};

// Bytes one value of `type` takes in a data block; 0 for the types that have
// no fixed size (or that this code does not know).
constexpr std::uint32_t SimConnectDataTypeSize(std::uint32_t type) {
  switch (type) {
    case SIMCONNECT_DATATYPE_INT32:
    case SIMCONNECT_DATATYPE_FLOAT32:
      return 4;
    case SIMCONNECT_DATATYPE_INT64:
    case SIMCONNECT_DATATYPE_FLOAT64:
    case SIMCONNECT_DATATYPE_STRING8:
      return 8;
    case SIMCONNECT_DATATYPE_STRING32:
      return 32;
    case SIMCONNECT_DATATYPE_STRING64:
      return 64;
    case SIMCONNECT_DATATYPE_STRING128:
      return 128;
    case SIMCONNECT_DATATYPE_STRING256:
      return 256;
    case SIMCONNECT_DATATYPE_STRING260:
      return 260;
    default:
      return 0;
  }
}

// How often a data request sends its block.
enum SimConnectPeriod : SimConnectDword {
  SIMCONNECT_PERIOD_NEVER = 0,
  SIMCONNECT_PERIOD_ONCE = 1,
  SIMCONNECT_PERIOD_VISUAL_FRAME = 2,
  SIMCONNECT_PERIOD_SIM_FRAME = 3,
  SIMCONNECT_PERIOD_SECOND = 4,
};

// Data request flag: send a block only when it differs from the last one.
constexpr SimConnectDword SIMCONNECT_DATA_REQUEST_FLAG_CHANGED = 1;
// Data set flag: the data is given in the definition's own layout.
constexpr SimConnectDword SIMCONNECT_DATA_SET_FLAG_DEFAULT = 0;

constexpr SimConnectDword SIMCONNECT_UNUSED = 0xFFFFFFFFu;
constexpr SimConnectDword SIMCONNECT_OBJECT_ID_USER = 0;
constexpr SimConnectDword SIMCONNECT_GROUP_PRIORITY_HIGHEST = 1;
constexpr SimConnectDword SIMCONNECT_EVENT_FLAG_GROUPID_IS_PRIORITY = 0x10;

// Kinds of received messages (the third field of every message).
enum SimConnectRecvId : std::uint32_t {
  SIMCONNECT_RECV_ID_NULL = 0,
  SIMCONNECT_RECV_ID_EXCEPTION = 1,
  SIMCONNECT_RECV_ID_OPEN = 2,
  SIMCONNECT_RECV_ID_QUIT = 3,
  SIMCONNECT_RECV_ID_EVENT = 4,
  SIMCONNECT_RECV_ID_EVENT_FILENAME = 6,
  SIMCONNECT_RECV_ID_SIMOBJECT_DATA = 8,
  SIMCONNECT_RECV_ID_SYSTEM_STATE = 15,
};

// Longest file path the simulator sends, terminating zero included.
constexpr std::uint32_t kSimConnectMaxPath = 260;

// Every received message starts with this 12-byte header.
struct SIMCONNECT_RECV {
  SimConnectDword dwSize;     // total size of the message in bytes
  SimConnectDword dwVersion;  // protocol version of the sender
  SimConnectDword dwID;       // SimConnectRecvId
};

// Object-data message: the requested variables follow at byte 40, laid out
// as their definition declares them (8-byte floats, 4-byte integers, in
// definition order, no gaps).
struct SIMCONNECT_RECV_SIMOBJECT_DATA : SIMCONNECT_RECV {
  SimConnectDword dwRequestID;    // byte 12
  SimConnectDword dwObjectID;     // byte 16
  SimConnectDword dwDefineID;     // byte 20
  SimConnectDword dwFlags;        // byte 24
  SimConnectDword dwentrynumber;  // byte 28
  SimConnectDword dwoutof;        // byte 32
  SimConnectDword dwDefineCount;  // byte 36
  SimConnectDword dwData;         // byte 40, first word of the data block
};

// A request the simulator refused: the serial it was sent with (see
// SimConnect_GetLastSentPacketID) and which of its arguments, or
// SIMCONNECT_UNUSED.
struct SIMCONNECT_RECV_EXCEPTION : SIMCONNECT_RECV {
  SimConnectDword dwException;  // byte 12
  SimConnectDword dwSendID;     // byte 16
  SimConnectDword dwIndex;      // byte 20
};

// A subscribed system event.
struct SIMCONNECT_RECV_EVENT : SIMCONNECT_RECV {
  SimConnectDword uGroupID;  // byte 12
  SimConnectDword uEventID;  // byte 16, the client event id it was subscribed under
  SimConnectDword dwData;    // byte 20
};

// A system event that names a file, such as "AircraftLoaded".
struct SIMCONNECT_RECV_EVENT_FILENAME : SIMCONNECT_RECV_EVENT {
  char szFileName[kSimConnectMaxPath];  // byte 24, zero-terminated unless cut
  SimConnectDword dwFlags;              // byte 284
};

// The answer to SimConnect_RequestSystemState.
struct SIMCONNECT_RECV_SYSTEM_STATE : SIMCONNECT_RECV {
  SimConnectDword dwRequestID;        // byte 12
  SimConnectDword dwInteger;          // byte 16
  float fFloat;                       // byte 20
  char szString[kSimConnectMaxPath];  // byte 24, zero-terminated unless cut
};

constexpr std::uint32_t kSimObjectDataRequestOffset = 12;
constexpr std::uint32_t kSimObjectDataBlockOffset = 40;

typedef void (*SimConnectDispatchProc)(SIMCONNECT_RECV* data, SimConnectDword size, void* context);

extern "C" {

SimConnectResult SimConnect_Open(SimConnectHandle* handle, const char* name, void* window, SimConnectDword userMessage,
                                 void* eventHandle, SimConnectDword configIndex);

SimConnectResult SimConnect_Close(SimConnectHandle handle);

// Calls `dispatch` once for each message waiting, on the calling thread,
// then returns. A negative result means the connection is lost.
SimConnectResult SimConnect_CallDispatch(SimConnectHandle handle, SimConnectDispatchProc dispatch, void* context);

SimConnectResult SimConnect_MapClientEventToSimEvent(SimConnectHandle handle, SimConnectDword eventId,
                                                     const char* eventName);

SimConnectResult SimConnect_AddToDataDefinition(SimConnectHandle handle, SimConnectDword defineId,
                                                const char* datumName, const char* unitsName,
                                                SimConnectDataType datumType, float epsilon, SimConnectDword datumId);

SimConnectResult SimConnect_RequestDataOnSimObject(SimConnectHandle handle, SimConnectDword requestId,
                                                   SimConnectDword defineId, SimConnectDword objectId,
                                                   SimConnectDword period, SimConnectDword flags,
                                                   SimConnectDword origin, SimConnectDword interval,
                                                   SimConnectDword limit);

SimConnectResult SimConnect_TransmitClientEvent(SimConnectHandle handle, SimConnectDword objectId,
                                                SimConnectDword eventId, SimConnectDword data, SimConnectDword groupId,
                                                SimConnectDword flags);

// Asks once for a system state such as "AircraftLoaded"; the answer comes
// as a SIMCONNECT_RECV_SYSTEM_STATE with `requestId`.
SimConnectResult SimConnect_RequestSystemState(SimConnectHandle handle, SimConnectDword requestId, const char* state);

// Delivers the system event `eventName` (e.g. "AircraftLoaded") under the
// client event id `eventId` whenever it happens.
SimConnectResult SimConnect_SubscribeToSystemEvent(SimConnectHandle handle, SimConnectDword eventId,
                                                   const char* eventName);

// Writes `arrayCount` (0 or 1: one) values of `unitSize` bytes to the
// variables of definition `defineId`.
SimConnectResult SimConnect_SetDataOnSimObject(SimConnectHandle handle, SimConnectDword defineId,
                                               SimConnectDword objectId, SimConnectDword flags,
                                               SimConnectDword arrayCount, SimConnectDword unitSize, void* data);

// Empties definition `defineId`, so that it can be defined anew.
SimConnectResult SimConnect_ClearDataDefinition(SimConnectHandle handle, SimConnectDword defineId);

// The serial of the last request sent on `handle`, the number an exception
// names in dwSendID.
SimConnectResult SimConnect_GetLastSentPacketID(SimConnectHandle handle, SimConnectDword* sendId);

}  // extern "C"

static_assert(sizeof(SIMCONNECT_RECV) == 12, "message header is three 32-bit fields");
static_assert(sizeof(SIMCONNECT_RECV_SIMOBJECT_DATA) == 44, "data block starts at byte 40");
static_assert(sizeof(SIMCONNECT_RECV_EXCEPTION) == 24, "three fields after the header");
static_assert(sizeof(SIMCONNECT_RECV_EVENT_FILENAME) == 288, "file name at byte 24, flags at 284");
static_assert(sizeof(SIMCONNECT_RECV_SYSTEM_STATE) == 284, "string at byte 24");
