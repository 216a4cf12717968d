// The checker's report, the profiles the bridge ships and the guide's table
// of functions: what a user reads before the simulator ever runs.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "sim/profile/ProfileReport.h"

namespace {

namespace fs = std::filesystem;

class ProfileReport : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / ("vp-report-" + std::to_string(std::random_device()()));
    fs::create_directories(root_);
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }
  std::string Write(const char* file, const char* text) {
    std::ofstream(root_ / file) << text;
    return (root_ / file).u8string();
  }
  fs::path root_;
};

TEST_F(ProfileReport, TellsEachFileWhatItChangesOrWhyItIsRefusedAndWhichOneAnAircraftGets) {
  const std::string a = Write("a.toml", R"(name = "Bus"
[match]
title = ["Airbus A320*", "*A32NX*"]
path = "*/FlyByWire_A320_NEO/*"
[controls]
heading_outer_inc = { event = "A32NX.FCU_HDG_INC", repeat = 10 }
autopilot_heading = { event = "#70024", value = 536870912 }
baro_inner_inc = { lvar = "L:MY_BARO", add = 1, min = 0, max = 9, wrap = true }
baro_inner_dec = { lvar = "L:MY_BARO", add = -0.5, min = 0 }
autopilot_approach = [ { lvar = "L:S_FCU_APPR", set = 1 }, { lvar = "L:S_FCU_APPR", set = 0 } ]
transponder_ident = "none"
[lamps]
autopilot_master = "L:A32NX_FCU_AP_1_LIGHT_ON"
altitude_hold = { var = "AUTOPILOT ALTITUDE LOCK", unit = "Bool" }
)");
  const std::string b = Write("b.toml", "[match]\ntitle = \"*\"\n[controls]\nheading_outer_incc = \"none\"\n");
  const std::string c = Write("c.toml", "[match]\npath = \"*\"\n");

  profile::ReportRequest request;
  request.files = {a, b, c};
  request.hasAircraft = true;
  request.aircraft = {"Airbus A320 Neo FlyByWire", "SimObjects\\Airplanes\\FlyByWire_A320_NEO\\aircraft.CFG"};
  std::string report;
  EXPECT_FALSE(profile::WriteProfileReport(request, &report));
  EXPECT_EQ(report, a + R"(: ok
  name: "Bus"
  title patterns: "Airbus A320*", "*A32NX*"
  path patterns: "*/FlyByWire_A320_NEO/*"
  heading_outer_inc -> event A32NX.FCU_HDG_INC x10
  baro_inner_inc -> L:MY_BARO += 1 (0..9, wrapping)
  baro_inner_dec -> L:MY_BARO -= 0.5 (at least 0)
  autopilot_heading -> event #70024 value 536870912
  autopilot_approach -> L:S_FCU_APPR = 1, then L:S_FCU_APPR = 0
  transponder_ident -> nothing
  lamp autopilot_master <- L:A32NX_FCU_AP_1_LIGHT_ON
  lamp altitude_hold <- AUTOPILOT ALTITUDE LOCK (Bool)
)" + b + R"(:4:1: unknown function "heading_outer_incc"; did you mean "heading_outer_inc"?
)" + c + R"(: ok
  name: "c"
  path patterns: "*"
  changes nothing: every function and lamp stays built-in
Aircraft "Airbus A320 Neo FlyByWire" (SimObjects\Airplanes\FlyByWire_A320_NEO\aircraft.CFG): profile "Bus" from )" +
                        a + R"(, by its title pattern "Airbus A320*"
)");

  // Valid files alone pass; a path alone chooses; and an aircraft no file
  // matches is told so.
  request.files = {a};
  request.aircraft = {"Cessna Skyhawk", "x/FlyByWire_A320_NEO/aircraft.cfg"};
  report.clear();
  EXPECT_TRUE(profile::WriteProfileReport(request, &report));
  EXPECT_NE(report.find("\nAircraft \"Cessna Skyhawk\" (x/FlyByWire_A320_NEO/aircraft.cfg): profile \"Bus\" from " + a +
                        ", by its path pattern \"*/FlyByWire_A320_NEO/*\"\n"),
            std::string::npos)
      << report;
  request.aircraft = {"Cessna Skyhawk", ""};
  report.clear();
  EXPECT_TRUE(profile::WriteProfileReport(request, &report));
  EXPECT_NE(report.find("\nAircraft \"Cessna Skyhawk\": no profile; no valid file has a pattern that matches it\n"),
            std::string::npos)
      << report;
}

// The aircraft of the simulator stand-in and what each gets from the
// profiles in the repository's aircraft/ folder, by its title alone and by
// its path alone (a livery has a title of its own).
struct ShippedCase {
  const char* title;
  const char* path;
  const char* profile;
};

// clang-format off
const ShippedCase kShipped[] = {
    {"Airbus A320 Neo FlyByWire", "", "FlyByWire A32NX"},
    {"A320neo House Livery", "SimObjects\\Airplanes\\FlyByWire_A320_NEO\\aircraft.CFG", "FlyByWire A32NX"},
    {"Fenix A320 CFM", "", "Fenix A320"},
    {"A320 House Livery", "SimObjects\\Airplanes\\FNX_320_CFM\\aircraft.CFG", "Fenix A320"},
    {"PMDG 737-800", "", "PMDG 737"},
    {"737-800 House Livery", "SimObjects\\Airplanes\\PMDG 737-800\\aircraft.cfg", "PMDG 737"},
    {"Cessna Skyhawk G1000 Asobo", "SimObjects\\Airplanes\\Asobo_C172sp_AS1000\\aircraft.CFG", "no profile"},
};
// clang-format on

TEST(ShippedProfiles, EveryOneLoadsWithoutAnErrorAndEachTakesItsOwnAircraftAlone) {
  const std::string folder = VP_SOURCE_DIR "/aircraft";
  profile::ReportRequest request;
  request.folders = {folder};
  std::string report;
  EXPECT_TRUE(profile::WriteProfileReport(request, &report)) << report;
  for (const char* file : {"a32nx.toml", "fenix-a320.toml", "pmdg-737.toml"}) {
    EXPECT_NE(report.find(folder + "/" + file + ": ok\n"), std::string::npos) << file << "\n" << report;
  }
  for (const ShippedCase& c : kShipped) {
    profile::AircraftProfile chosen;
    const bool found = profile::ChooseProfile({folder}, {c.title, c.path}, &chosen, profile::ProblemSink{});
    EXPECT_EQ(found ? chosen.name : "no profile", c.profile) << c.title;
  }
}

// The guide's table sits between these lines; set VESTREL_PELVAR_UPDATE_GUIDE
// to write the table from the code into the guide.
constexpr const char* kTableStart =
    "<!-- The table below is generated from the code's list; see tests/core/ProfileReportTest.cpp. -->\n";
constexpr const char* kTableEnd = "<!-- End of the generated table. -->\n";

TEST(ProfileGuide, TheTableOfFunctionsAndLampsIsTheCodesList) {
  const fs::path guide = fs::u8path(VP_SOURCE_DIR "/docs/profiles.md");
  std::stringstream text;
  text << std::ifstream(guide, std::ios::binary).rdbuf();
  std::string content = text.str();
  const std::size_t start = content.find(kTableStart);
  const std::size_t end = content.find(kTableEnd);
  ASSERT_NE(start, std::string::npos) << "docs/profiles.md lacks the table's opening line";
  ASSERT_NE(end, std::string::npos) << "docs/profiles.md lacks the table's closing line";
  const std::size_t from = start + std::string(kTableStart).size();
  const std::string expected = profile::FunctionTableMarkdown();
  if (std::getenv("VESTREL_PELVAR_UPDATE_GUIDE") != nullptr) {
    content.replace(from, end - from, expected);
    std::ofstream(guide, std::ios::binary) << content;
    return;
  }
  EXPECT_EQ(content.substr(from, end - from), expected)
      << "run this test with VESTREL_PELVAR_UPDATE_GUIDE=1 to write the code's table into docs/profiles.md";
}

}  // namespace
