#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "sim/FlightSimInterface.h"

// One call on the simulator interface, as the dispatch made it.
struct SimOp {
  std::string operation;
  int unit;   // or the button id for PressButton
  int outer;
  int inner;
  bool operator==(const SimOp& other) const {
    return operation == other.operation && unit == other.unit && outer == other.outer && inner == other.inner;
  }
};

inline std::ostream& operator<<(std::ostream& out, const SimOp& op) {
  return out << op.operation << "(" << op.unit << ", " << op.outer << ", " << op.inner << ")";
}

inline SimOp Press(int button) { return {"PressButton", button, 0, 0}; }

// Records every operation instead of talking to a simulator.
class RecordingSimulator final : public FlightSimInterface {
 public:
  std::vector<SimOp> ops;
  AutopilotLampBits lamps = 0;
  int initializeCalls = 0;

  void Initialize() override { ++initializeCalls; }
  void TuneCom(UnitSelector u, std::int8_t o, std::int8_t i) override { Add("TuneCom", u, o, i); }
  void TuneNav(UnitSelector u, std::int8_t o, std::int8_t i) override { Add("TuneNav", u, o, i); }
  void AdjustHeadingBug(UnitSelector u, std::int8_t o, std::int8_t i) override { Add("AdjustHeadingBug", u, o, i); }
  void AdjustCourse(UnitSelector u, std::int8_t o, std::int8_t i) override { Add("AdjustCourse", u, o, i); }
  void TurnFmsKnobs(UnitSelector u, std::int8_t o, std::int8_t i) override { Add("TurnFmsKnobs", u, o, i); }
  void TurnRangeKnob(UnitSelector u, std::int8_t o, std::int8_t i) override { Add("TurnRangeKnob", u, o, i); }
  void AdjustAltitude(UnitSelector u, std::int8_t o, std::int8_t i) override { Add("AdjustAltitude", u, o, i); }
  void AdjustTransponder(UnitSelector u, std::int8_t o, std::int8_t i) override { Add("AdjustTransponder", u, o, i); }
  void AdjustBaro(UnitSelector u, std::int8_t o, std::int8_t i) override { Add("AdjustBaro", u, o, i); }
  void PressButton(ButtonId button) override { ops.push_back(Press(static_cast<int>(button))); }
  AutopilotLampBits GetAutopilotLamps() override { return lamps; }

 private:
  void Add(const char* name, UnitSelector unit, std::int8_t outer, std::int8_t inner) {
    ops.push_back({name, unit, outer, inner});
  }
};
