#pragma once

#include <cstdint>
#include <vector>

// An input report exactly as the panel sends it.
inline std::vector<unsigned char> PanelBytes(std::uint8_t mode, std::uint32_t keys = 0, int outer = 0, int inner = 0) {
  return {0x00,
          static_cast<unsigned char>(keys),
          static_cast<unsigned char>(keys >> 8),
          static_cast<unsigned char>(keys >> 16),
          static_cast<unsigned char>(keys >> 24),
          static_cast<unsigned char>(outer),
          static_cast<unsigned char>(inner),
          mode};
}

// Key bits by their role on the panel. In the navigator modes the autopilot
// keys are CDI, OBS, message, flight plan, vertical navigation and procedure.
namespace key {
constexpr std::uint32_t kDirectTo = 1u << 4, kMenu = 1u << 5, kClear = 1u << 6, kEnter = 1u << 7;
constexpr std::uint32_t kSwap = 1u << 8, kPush = 1u << 9;
constexpr std::uint32_t kApMaster = 1u << 14, kHeading = 1u << 15, kNav = 1u << 16, kApproach = 1u << 17,
                        kAltitude = 1u << 18, kVerticalSpeed = 1u << 19;
}  // namespace key
