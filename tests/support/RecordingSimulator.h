#pragma once

#include <string>
#include <vector>

#include "sim/FlightSimInterface.h"

inline std::string Press(ButtonId button) { return "PressButton " + std::to_string(button); }

// Records every operation the dispatch asks for instead of talking to a
// simulator: "TuneCom 1 2 -1" is unit 1, outer 2, inner -1.
class RecordingSimulator final : public FlightSimInterface {
 public:
  std::vector<std::string> ops;

  void Initialize() override {}
  void TuneCom(UnitSelector u, std::int8_t o, std::int8_t i) override { Add("TuneCom", u, o, i); }
  void TuneNav(UnitSelector u, std::int8_t o, std::int8_t i) override { Add("TuneNav", u, o, i); }
  void AdjustHeadingBug(UnitSelector u, std::int8_t o, std::int8_t i) override { Add("AdjustHeadingBug", u, o, i); }
  void AdjustCourse(UnitSelector u, std::int8_t o, std::int8_t i) override { Add("AdjustCourse", u, o, i); }
  void TurnFmsKnobs(UnitSelector u, std::int8_t o, std::int8_t i) override { Add("TurnFmsKnobs", u, o, i); }
  void TurnRangeKnob(UnitSelector u, std::int8_t o, std::int8_t i) override { Add("TurnRangeKnob", u, o, i); }
  void AdjustAltitude(UnitSelector u, std::int8_t o, std::int8_t i) override { Add("AdjustAltitude", u, o, i); }
  void AdjustTransponder(UnitSelector u, std::int8_t o, std::int8_t i) override { Add("AdjustTransponder", u, o, i); }
  void AdjustBaro(UnitSelector u, std::int8_t o, std::int8_t i) override { Add("AdjustBaro", u, o, i); }
  void PressButton(ButtonId button) override { ops.push_back(Press(button)); }
  AutopilotLampBits GetAutopilotLamps() override { return 0; }

 private:
  void Add(const char* name, int unit, int outer, int inner) {
    ops.push_back(std::string(name) + " " + std::to_string(unit) + " " + std::to_string(outer) + " " +
                  std::to_string(inner));
  }
};
