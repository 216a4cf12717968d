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
          static_cast<unsigned char>(static_cast<std::int8_t>(outer)),
          static_cast<unsigned char>(static_cast<std::int8_t>(inner)),
          mode};
}

// Key bits by their role on the panel.
namespace key {
constexpr std::uint32_t kDirectTo = 1u << 4;
constexpr std::uint32_t kMenu = 1u << 5;
constexpr std::uint32_t kClear = 1u << 6;
constexpr std::uint32_t kEnter = 1u << 7;
constexpr std::uint32_t kSwap = 1u << 8;
constexpr std::uint32_t kPush = 1u << 9;
constexpr std::uint32_t kApMaster = 1u << 14;  // CDI in navigator modes
constexpr std::uint32_t kHeading = 1u << 15;   // OBS
constexpr std::uint32_t kNav = 1u << 16;       // message
constexpr std::uint32_t kApproach = 1u << 17;  // flight plan
constexpr std::uint32_t kAltitude = 1u << 18;  // vertical navigation
constexpr std::uint32_t kVerticalSpeed = 1u << 19;  // procedure
}  // namespace key
