#include "tools/virtualpanel/PanelSession.h"

namespace virtualpanel {

PanelSession::Outcome PanelSession::Do(const PanelAction& action) {
  InputReportBytes report;
  if (!ApplyAction(controls_, action, &controls_, &report)) return kInvalid;
  lastReport_ = report;
  hasReported_ = true;
  return transport_->SendInputReport(report.data(), report.size()) ? kSent : kNoBridge;
}

PanelSession::Outcome PanelSession::SendRaw(const unsigned char* bytes, std::size_t length) {
  if (length == 0) return kInvalid;
  return transport_->SendInputReport(bytes, length) ? kSent : kNoBridge;
}

}  // namespace virtualpanel
