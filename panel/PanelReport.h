#pragma once

#include <cstdint>

// The panel's USB identity.
constexpr unsigned short kPanelVendorId = 0x04D8;
constexpr unsigned short kPanelProductId = 0xE6D6;

// Input report: byte 0 unused, bytes 1-4 key mask (little-endian), byte 5
// outer knob steps, byte 6 inner knob steps (signed, positive clockwise),
// byte 7 panel mode.
constexpr int kPanelReportSize = 8;

// Output report that lights the autopilot lamps: report id, lamp bits.
constexpr unsigned char kLampReportId = 11;
constexpr int kLampReportSize = 2;

struct PanelReport {
  std::uint32_t keys;
  std::uint8_t mode;
  std::int8_t outer;
  std::int8_t inner;
};

// Decodes one input report of `length` bytes. A report shorter than a full
// input report is rejected (returns false, `report` untouched): its missing
// bytes would otherwise come from whatever the buffer held before. Bytes
// beyond the eighth are ignored.
bool DecodePanelReport(const unsigned char* bytes, int length, PanelReport* report);

// The inverse, for the virtual panel and the tests: fills kPanelReportSize bytes.
void EncodePanelReport(const PanelReport& report, unsigned char* bytes);
