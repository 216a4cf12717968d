// Aircraft profiles on the hot paths: a report dispatched while a profile
// takes over the knob (target: under 1 microsecond, as without one), and the
// choice of a profile among 200 files at an aircraft change (target: within
// one 25 ms supervisor pass).

#include <benchmark/benchmark.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench/BenchBridge.h"
#include "sim/ClientEvents.h"
#include "sim/profile/ProfileLibrary.h"

namespace {

namespace fs = std::filesystem;

const std::vector<unsigned char> kUp = PanelBytes(ModeNav1, 0, +1, 0);
const std::vector<unsigned char> kDown = PanelBytes(ModeNav1, 0, -1, 0);

// A folder of `count` profiles in which only the last by name matches the
// A320; each is a realistic size, a dozen functions and lamps.
std::string WriteProfiles(int count) {
  const fs::path folder = fs::temp_directory_path() / ("vp-bench-profiles-" + std::to_string(count));
  fs::remove_all(folder);
  fs::create_directories(folder);
  for (int i = 0; i < count; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "aircraft-%03d.toml", i);
    std::ofstream out(folder / name);
    const std::string title = i == count - 1 ? "Airbus A320*" : "Nothing " + std::to_string(i) + "*";
    out << "name = \"Aircraft " << i << "\"\n[match]\ntitle = [\"" << title
        << "\"]\npath = [\"*\\\\Airplanes\\\\Nothing_" << i << "\\\\*\"]\n[controls]\n"
        << "nav1_outer_inc = { event = \"A32NX.FCU_HDG_INC\", repeat = 1 }\n"
        << "nav1_outer_dec = { event = \"A32NX.FCU_HDG_DEC\" }\n"
        << "heading_inner_inc = { lvar = \"L:A32NX_FCU_HDG\", add = 1, min = 0, max = 359, wrap = true }\n"
        << "altitude_outer_inc = { event = \"#70032\", value = 16384 }\n"
        << "autopilot_master = { event = \"A32NX.FCU_AP_1_PUSH\" }\n"
        << "autopilot_approach = [ { lvar = \"L:S_FCU_APPR\", set = 1 }, { lvar = \"L:S_FCU_APPR\", set = 0 } ]\n"
        << "transponder_ident = \"none\"\n[lamps]\nautopilot_master = \"L:A32NX_FCU_AP_1_LIGHT_ON\"\n"
        << "approach_hold = \"L:A32NX_FCU_APPR_LIGHT_ON\"\n"
        << "altitude_hold = { var = \"AUTOPILOT ALTITUDE LOCK\", unit = \"Bool\" }\n";
  }
  return folder.u8string();
}

// The simulator names the aircraft as it does at connection: its title as
// object data, its file as the answer to the system state request.
void LoadAircraft(const char* title, const char* path) {
  objectdata::Bytes block(256, 0);
  std::memcpy(block.data(), title, std::strlen(title));
  const objectdata::Bytes titleMessage = objectdata::Message(2, block);
  OnSimMessage(reinterpret_cast<SIMCONNECT_RECV*>(const_cast<unsigned char*>(titleMessage.data())),
               static_cast<SimConnectDword>(titleMessage.size()), nullptr);
  objectdata::Bytes state(24 + 260, 0);
  const std::uint32_t header[4] = {static_cast<std::uint32_t>(state.size()), 5, SIMCONNECT_RECV_ID_SYSTEM_STATE, 3};
  std::memcpy(state.data(), header, sizeof header);
  std::memcpy(state.data() + 24, path, std::strlen(path));
  OnSimMessage(reinterpret_cast<SIMCONNECT_RECV*>(state.data()), static_cast<SimConnectDword>(state.size()), nullptr);
  msfs.FollowAircraft();
}

void DecodeAndDispatchOneReport_ProfileEvent(benchmark::State& state) {
  bench::ConnectBoth();
  profile::ProfileFolders() = {WriteProfiles(1)};
  LoadAircraft("Airbus A320 Neo FlyByWire", "SimObjects\\Airplanes\\FlyByWire_A320_NEO\\aircraft.CFG");
  bench::Forget();
  AcceptPanelReport(kUp.data(), kPanelReportSize);
  if (fakesim::Transmissions().empty() || fakesim::Transmissions()[0].eventId < kClientEventCount) {
    state.SkipWithError("the profile did not take the NAV knob");
  }
  bench::AlternateReports(state, kDown, kUp);
  profile::ProfileFolders().clear();
}
BENCHMARK(DecodeAndDispatchOneReport_ProfileEvent);

// Every file is read afresh at an aircraft change; the one that matches is last.
void ChooseAmong200Profiles(benchmark::State& state) {
  const std::vector<std::string> folders{WriteProfiles(200)};
  const profile::AircraftIdentity aircraft{"Airbus A320 Neo FlyByWire", "SimObjects\\Airplanes\\FlyByWire\\x.cfg"};
  for (auto _ : state) {
    profile::AircraftProfile chosen;
    if (!profile::ChooseProfile(folders, aircraft, &chosen, profile::ProblemSink{})) {
      state.SkipWithError("no profile chosen");
    }
    benchmark::DoNotOptimize(chosen.functions.data());
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(ChooseAmong200Profiles)->Unit(benchmark::kMillisecond);

}  // namespace
BENCHMARK_MAIN();
