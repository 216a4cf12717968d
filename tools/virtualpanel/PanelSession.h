#pragma once

// The panel's controls together with the link they report over: every
// action updates the controls and sends the report the panel would send.

#include <cstddef>

#include "tools/virtualpanel/PanelControls.h"
#include "tools/virtualpanel/PanelTransport.h"

namespace virtualpanel {

class PanelSession {
 public:
  explicit PanelSession(PanelTransport* transport) : transport_(transport) {}

  enum Outcome { kSent, kNoBridge, kInvalid };

  // Carries out the action. The controls change even when no bridge has
  // the panel open: a real panel's knobs and mode switch work unplugged too.
  Outcome Do(const PanelAction& action);
  // Sends bytes as they stand, for tests that feed the bridge odd reports.
  Outcome SendRaw(const unsigned char* bytes, std::size_t length);

  const PanelControls& controls() const { return controls_; }
  const InputReportBytes& lastReport() const { return lastReport_; }
  bool HasReported() const { return hasReported_; }

 private:
  PanelTransport* transport_;
  PanelControls controls_;
  InputReportBytes lastReport_{};
  bool hasReported_ = false;
};

}  // namespace virtualpanel
