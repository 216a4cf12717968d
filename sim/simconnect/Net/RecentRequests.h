#pragma once

// The kinds of the last requests sent on one connection, by serial, so that
// an exception from the simulator (which names only the serial) can say what
// it refused. Covers the registrations of a fresh connection with room to
// spare; older serials are no longer known.

#include <array>
#include <cstdint>

#include "sim/simconnect/Net/WireFormat.h"

class RecentRequests {
 public:
  void Note(std::uint32_t serial, std::uint32_t kind) {
    kinds_[serial % kinds_.size()] = static_cast<std::uint8_t>(kind);
    newest_ = serial;
  }

  // The kind of the request sent with `serial`, or 0 when it is not known.
  std::uint32_t KindOf(std::uint32_t serial) const {
    if (serial == 0 || serial > newest_ || newest_ - serial >= kinds_.size()) return 0;
    return kinds_[serial % kinds_.size()];
  }

  static const char* Name(std::uint32_t kind) {
    switch (kind) {
      case simwire::kRequestOpen:
        return "Open";
      case simwire::kRequestMapClientEventToSimEvent:
        return "MapClientEventToSimEvent";
      case simwire::kRequestTransmitClientEvent:
        return "TransmitClientEvent";
      case simwire::kRequestAddToDataDefinition:
        return "AddToDataDefinition";
      case simwire::kRequestDataOnSimObject:
        return "RequestDataOnSimObject";
      case simwire::kRequestClearDataDefinition:
        return "ClearDataDefinition";
      case simwire::kRequestSetDataOnSimObject:
        return "SetDataOnSimObject";
      case simwire::kRequestSubscribeToSystemEvent:
        return "SubscribeToSystemEvent";
      case simwire::kRequestSystemState:
        return "RequestSystemState";
      default:
        return "unknown";
    }
  }

 private:
  std::array<std::uint8_t, 256> kinds_{};
  std::uint32_t newest_ = 0;
};
