// Which profile applies to an aircraft: the patterns, and the order of the
// folders and files they are read from.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "sim/profile/Glob.h"
#include "sim/profile/ProfileLibrary.h"

namespace {

namespace fs = std::filesystem;

struct GlobCase {
  const char* pattern;
  const char* text;
  bool path;
  bool matches;
};

// clang-format off
const GlobCase kGlobs[] = {
    {"FlyByWire A320*", "FlyByWire A320neo (LEAP)", false, true},
    {"flybywire a320*", "FLYBYWIRE A320NEO", false, true},       // case does not matter
    {"*A32NX*", "Airbus A320 Neo FlyByWire", false, false},
    {"Airbus A3?0 Neo*", "Airbus A320 Neo FlyByWire", false, true},
    {"Airbus A3?0 Neo*", "Airbus A3220 Neo", false, false},     // ? is exactly one character
    {"PMDG 737*", "PMDG 737-800 BW", false, true},
    {"PMDG 737", "PMDG 737-800", false, false},                 // the whole title, not a prefix
    {"*", "", false, true},
    {"*a*b*c*", "xaxxbxxxcx", false, true},
    {"*a*b*c*", "xaxxcxxxbx", false, false},
    {"*\\FNX_320*", "SimObjects/Airplanes/FNX_320_CFM/aircraft.cfg", true, true},   // either separator
    {"*/fnx_320*", "SimObjects\\Airplanes\\FNX_320_CFM\\aircraft.CFG", true, true},
    {"*/fnx_320*", "SimObjects\\Airplanes\\FNX_320_CFM\\aircraft.CFG", false, false},  // not in titles
};
// clang-format on

TEST(ProfileChoiceTest, GlobsIgnoreCaseAndTakeEitherSeparatorInPaths) {
  for (const GlobCase& c : kGlobs) {
    EXPECT_EQ(profile::GlobMatches(c.pattern, c.text, c.path), c.matches) << c.pattern << " ~ " << c.text;
  }
}

class ProfileFolders : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / ("vp-profiles-" + std::to_string(std::random_device()()));
    fs::create_directories(root_ / "user");
    fs::create_directories(root_ / "shipped");
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }
  void Write(const char* folder, const char* file, const std::string& name, const std::string& match) {
    std::ofstream(root_ / folder / file) << "name = \"" << name << "\"\n[match]\n" << match << "\n";
  }
  std::string Chosen(const std::string& title, const std::string& path, std::vector<std::string>* told = nullptr) {
    const std::vector<std::string> folders{(root_ / "user").u8string(), (root_ / "shipped").u8string()};
    const profile::ProblemSink sink{[](const std::string& line, const std::string&, void* context) {
                                      if (context != nullptr)
                                        static_cast<std::vector<std::string>*>(context)->push_back(line);
                                    },
                                    told};
    profile::AircraftProfile chosen;
    return profile::ChooseProfile(folders, {title, path}, &chosen, sink) ? chosen.name : "no profile";
  }
  fs::path root_;
};

TEST_F(ProfileFolders, TheFirstMatchWinsUserFolderFirstFilesByNameAndAUserFileReplacesAShippedOne) {
  Write("shipped", "a32nx.toml", "shipped A32NX", "title = \"*A320*FlyByWire*\"");
  Write("shipped", "b-any-airbus.toml", "any Airbus", "title = \"Airbus*\"");
  Write("shipped", "fenix.toml", "shipped Fenix", "path = \"*\\\\FNX_320*\"");
  Write("shipped", "README.txt", "not a profile", "title = \"*\"");
  EXPECT_EQ(Chosen("Airbus A320 Neo FlyByWire", "x"), "shipped A32NX");
  EXPECT_EQ(Chosen("Airbus A321", "x"), "any Airbus");
  EXPECT_EQ(Chosen("Fenix A320 CFM", "SimObjects/Airplanes/FNX_320_CFM/aircraft.cfg"), "shipped Fenix");
  EXPECT_EQ(Chosen("Cessna Skyhawk G1000 Asobo", "x"), "no profile");

  Write("user", "zz-mine.toml", "my Airbus", "title = \"Airbus A321*\"");
  EXPECT_EQ(Chosen("Airbus A321", "x"), "my Airbus");  // the user's folder comes first
  Write("user", "a32nx.toml", "my A32NX", "title = \"Nothing like it\"");
  EXPECT_EQ(Chosen("Airbus A320 Neo FlyByWire", "x"), "any Airbus");  // the shipped a32nx.toml is replaced
}

TEST_F(ProfileFolders, ABadFileIsSkippedWholeAndTheNextOneApplies) {
  Write("user", "a.toml", "broken", "title = \"*\"\n[controls]\nheading_outer_incc = \"none\"");
  Write("user", "b.toml", "good", "title = \"*\"");
  std::ofstream(root_ / "user" / "c-huge.toml") << std::string(profile::kMaxFileBytes + 1, '#');
  std::vector<std::string> told;
  EXPECT_EQ(Chosen("Any", "x", &told), "good");
  ASSERT_EQ(told.size(), 1u);
  EXPECT_EQ(told[0], (root_ / "user" / "a.toml").u8string() +
                         ":5:1: unknown function \"heading_outer_incc\"; did you mean \"heading_outer_inc\"?");
  fs::remove(root_ / "user" / "b.toml");
  told.clear();
  EXPECT_EQ(Chosen("Any", "x", &told), "no profile");
  ASSERT_EQ(told.size(), 2u);
  EXPECT_EQ(told[1], (root_ / "user" / "c-huge.toml").u8string() +
                         ": larger than 1 MiB; a profile is a few kilobytes, so this is not one");
}

}  // namespace
