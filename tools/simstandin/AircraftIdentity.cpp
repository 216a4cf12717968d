#include "AircraftIdentity.h"

const std::vector<AircraftIdentity>& BuiltInAircraft() {
  static const std::vector<AircraftIdentity>& table = *new std::vector<AircraftIdentity>{
      {"default", "Cessna Skyhawk G1000 Asobo", "SimObjects\\Airplanes\\Asobo_C172sp_AS1000\\aircraft.CFG"},
      {"a32nx", "Airbus A320 Neo FlyByWire", "SimObjects\\Airplanes\\FlyByWire_A320_NEO\\aircraft.CFG"},
      {"fenix", "Fenix A320 CFM", "SimObjects\\Airplanes\\FNX_320_CFM\\aircraft.CFG"},
      {"pmdg737", "PMDG 737-800", "SimObjects\\Airplanes\\PMDG 737-800\\aircraft.cfg"},
  };
  return table;
}

const AircraftIdentity* FindBuiltInAircraft(std::string_view key) {
  for (const AircraftIdentity& aircraft : BuiltInAircraft()) {
    if (aircraft.key == key) return &aircraft;
  }
  return nullptr;
}

const AircraftIdentity& NextBuiltInAircraft(std::string_view key) {
  const std::vector<AircraftIdentity>& table = BuiltInAircraft();
  for (std::size_t i = 0; i < table.size(); ++i) {
    if (table[i].key == key) return table[(i + 1) % table.size()];
  }
  return table.front();
}

std::string BuiltInAircraftKeys() {
  std::string keys;
  for (const AircraftIdentity& aircraft : BuiltInAircraft()) keys += (keys.empty() ? "" : ", ") + aircraft.key;
  return keys;
}
