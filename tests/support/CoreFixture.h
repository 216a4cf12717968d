#pragma once

// A freshly started bridge for every core test, and what reached the simulator.

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "sim/ClientEvents.h"
#include "tests/support/BridgeState.h"

class CoreTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetBridgeState(); }
  void TearDown() override { ResetBridgeState(); }
};

// A transmitted event as a pilot would read the log: its simulator name and
// its data value.
struct Sent {
  std::string event;
  std::uint32_t data;
  bool operator==(const Sent& other) const { return event == other.event && data == other.data; }
};

inline std::ostream& operator<<(std::ostream& out, const Sent& sent) {
  return out << sent.event << "=0x" << std::hex << sent.data << std::dec;
}

// Everything transmitted since the last ClearCalls; an event that did not go
// to object 0 with group 1 and flags 0x10 is marked as such.
inline std::vector<Sent> SentEvents() {
  std::vector<Sent> result;
  for (const fakesim::Transmission& t : fakesim::Transmissions()) {
    const char* name = ClientEventName(t.eventId);
    std::string label = name != nullptr && *name != '\0' ? name : "<private " + std::to_string(t.eventId) + ">";
    if (t.objectId != 0 || t.groupId != 1 || t.flags != 0x10) label += " <bad arguments>";
    result.push_back({label, t.data});
  }
  return result;
}
