#pragma once

// Whether the panel is listed by the system, asked on every pass while it is
// not open so that hid_open, which enumerates every HID device on the
// machine, runs only when it can succeed. Each shell installs the answer for
// its platform; with none installed the supervisor cannot tell and opens as
// it always did, on every pass.

#include <cstdint>

enum class PanelListing : std::uint8_t {
  kListed,      // a device with the panel's vendor and product ids is listed
  kNotListed,   // the listing was read and holds no panel
  kCannotTell,  // no listing to read: the supervisor must try hid_open
};

// Answers without opening any device. Called from the supervisor thread only.
using PanelPresence = PanelListing (*)();
extern PanelPresence panelPresence;

// VESTREL_PELVAR_PANEL_POLL=always in the environment at start: the listing is
// never asked and hid_open runs on every pass. For a hidapi that no system
// device stands behind (the virtual panel's shim), and for a system where the
// listing is wrong.
extern bool panelPollAlways;

// What the supervisor goes by on this pass.
PanelListing LookForPanel();
