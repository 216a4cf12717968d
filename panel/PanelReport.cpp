#include "panel/PanelReport.h"

bool DecodePanelReport(const unsigned char* bytes, int length, PanelReport* report) {
  if (bytes == nullptr || length < kPanelReportSize) return false;
  report->keys = static_cast<std::uint32_t>(bytes[1]) | static_cast<std::uint32_t>(bytes[2]) << 8 |
                 static_cast<std::uint32_t>(bytes[3]) << 16 | static_cast<std::uint32_t>(bytes[4]) << 24;
  report->outer = static_cast<std::int8_t>(bytes[5]);
  report->inner = static_cast<std::int8_t>(bytes[6]);
  report->mode = bytes[7];
  return true;
}

void EncodePanelReport(const PanelReport& report, unsigned char* bytes) {
  bytes[0] = 0;
  bytes[1] = static_cast<unsigned char>(report.keys);
  bytes[2] = static_cast<unsigned char>(report.keys >> 8);
  bytes[3] = static_cast<unsigned char>(report.keys >> 16);
  bytes[4] = static_cast<unsigned char>(report.keys >> 24);
  bytes[5] = static_cast<unsigned char>(report.outer);
  bytes[6] = static_cast<unsigned char>(report.inner);
  bytes[7] = report.mode;
}
