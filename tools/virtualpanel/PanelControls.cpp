#include "tools/virtualpanel/PanelControls.h"

namespace virtualpanel {

namespace {

struct KeyInfo {
  PanelKey key;
  const char* name;
  int bit;
};

// clang-format off
constexpr KeyInfo kKeys[kPanelKeyCount] = {
    {PanelKey::DirectTo, "directto", 4}, {PanelKey::Menu, "menu", 5},   {PanelKey::Clear, "clear", 6},
    {PanelKey::Enter, "enter", 7},       {PanelKey::Swap, "swap", 8},   {PanelKey::Push, "push", 9},
    {PanelKey::Ap, "ap", 14},            {PanelKey::Hdg, "hdg", 15},    {PanelKey::Nav, "nav", 16},
    {PanelKey::Apr, "apr", 17},          {PanelKey::Alt, "alt", 18},    {PanelKey::Vs, "vs", 19},
};
// clang-format on

constexpr const char* kModeNames[kPanelModeCount] = {"COM1", "COM2", "NAV1", "NAV2", "FMS1", "FMS2", "AP", "XPDR"};

constexpr PanelKey kLampKeys[kLampCount] = {PanelKey::Ap,  PanelKey::Hdg, PanelKey::Nav,
                                            PanelKey::Apr, PanelKey::Alt, PanelKey::Vs};
constexpr const char* kLampNames[kLampCount] = {"AP", "HDG", "NAV", "APR", "ALT", "VS"};

const KeyInfo& Info(PanelKey key) {
  for (const KeyInfo& info : kKeys) {
    if (info.key == key) return info;
  }
  return kKeys[0];
}

}  // namespace

std::uint32_t KeyMask(PanelKey key) { return 1u << Info(key).bit; }

const char* KeyName(PanelKey key) { return Info(key).name; }

bool FindKey(std::string_view name, PanelKey* key) {
  for (const KeyInfo& info : kKeys) {
    if (name == info.name) {
      *key = info.key;
      return true;
    }
  }
  return false;
}

const char* ModeName(int mode) {
  if (mode < 0 || mode >= kPanelModeCount) return "?";
  return kModeNames[mode];
}

bool ApplyAction(const PanelControls& before, const PanelAction& action, PanelControls* after,
                 InputReportBytes* report) {
  PanelControls next = before;
  PanelReport sent{before.keys, before.mode, 0, 0};
  switch (action.kind) {
    case PanelAction::kSelectMode:
      if (action.value < 0 || action.value > 255) return false;
      next.mode = static_cast<std::uint8_t>(action.value);
      break;
    case PanelAction::kTurnOuter:
    case PanelAction::kTurnInner: {
      if (action.value < -128 || action.value > 127) return false;
      const auto steps = static_cast<std::int8_t>(action.value);
      (action.kind == PanelAction::kTurnOuter ? sent.outer : sent.inner) = steps;
      break;
    }
    case PanelAction::kPress:
      next.keys |= KeyMask(action.key);
      break;
    case PanelAction::kRelease:
      next.keys &= ~KeyMask(action.key);
      break;
  }
  sent.keys = next.keys;
  sent.mode = next.mode;
  EncodePanelReport(sent, report->data());
  *after = next;
  return true;
}

bool DecodeLampReport(const unsigned char* bytes, std::size_t length, std::uint8_t* lamps) {
  if (bytes == nullptr || length < static_cast<std::size_t>(kLampReportSize) || bytes[0] != kLampReportId) return false;
  *lamps = bytes[1];
  return true;
}

PanelKey LampKey(int bit) { return kLampKeys[bit >= 0 && bit < kLampCount ? bit : 0]; }

const char* LampName(int bit) { return bit >= 0 && bit < kLampCount ? kLampNames[bit] : "?"; }

}  // namespace virtualpanel
