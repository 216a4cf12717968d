#pragma once

#include <cstdint>

// Numbers under which simulator event names are registered with a
// connection. Number 101 is unused; 71-73, 75, 82-84 and 86 carry the empty
// name (private events the simulator ignores).
typedef std::uint32_t ClientEventId;

constexpr ClientEventId kClientEventCount = 105;  // ids 0..104

// The simulator event name registered under `id`: "" for the private events,
// nullptr for 101 and ids beyond the catalogue.
const char* ClientEventName(ClientEventId id);

// One variable of a data definition, in registration order.
struct DataDefinitionEntry {
  std::uint32_t definition;
  const char* variable;
  const char* unit;
  std::uint32_t dataType;  // SimConnectDataType
};

constexpr int kDataDefinitionEntryCount = 16;
extern const DataDefinitionEntry kDataDefinitionEntries[kDataDefinitionEntryCount];

// Size of the data block of each definition.
constexpr std::uint32_t kDefinition0BlockSize = 7 * 8;
constexpr std::uint32_t kDefinition1BlockSize = 2 * 8 + 7 * 4;
