#pragma once

// The panel selects its mode itself and reports it in byte 7 of every input
// report; the bridge only reads it.
enum PanelMode : unsigned char {
  ModeCom1 = 0,
  ModeCom2 = 1,
  ModeNav1 = 2,
  ModeNav2 = 3,
  ModeFms1 = 4,
  ModeFms2 = 5,
  ModeAutopilot = 6,
  ModeTransponder = 7,
};
