#pragma once

// How the virtual panel reaches the bridge: as a real HID device through
// /dev/uhid, so the bridge's own hidapi finds it, or over a Unix socket to
// the preloaded hidapi shim where uhid is not available.

#include <poll.h>

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace virtualpanel {

struct TransportEvent {
  enum Kind { kBridgeConnected, kBridgeDisconnected, kOutputReport };
  Kind kind;
  std::vector<unsigned char> report;  // kOutputReport: the bytes the bridge wrote
};

class PanelTransport {
 public:
  virtual ~PanelTransport() = default;
  // One line for the user: which transport, and where.
  virtual std::string Description() const = 0;
  // The descriptors to wait on before the next Service call.
  virtual void AddPollDescriptors(std::vector<pollfd>* descriptors) const = 0;
  // Handles whatever is ready without blocking and reports what happened.
  virtual void Service(std::vector<TransportEvent>* events) = 0;
  virtual bool BridgeConnected() const = 0;
  // Sends one input report; false when no bridge is there to get it.
  virtual bool SendInputReport(const unsigned char* bytes, std::size_t length) = 0;
};

// Listens at `path` for the hidapi shim. Fails when another panel already
// listens there or the path is unusable; a stale socket file is replaced.
std::unique_ptr<PanelTransport> OpenSocketTransport(const std::string& path, std::string* error);

// Creates a HID device with the panel's identity through /dev/uhid.
std::unique_ptr<PanelTransport> OpenUhidTransport(std::string* error);

// Whether /dev/uhid exists and this process may use it.
bool UhidUsable();

}  // namespace virtualpanel
