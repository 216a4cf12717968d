// A profile is written by hand: every mistake is refused whole, with the
// line a user needs to find and fix it.

#include <gtest/gtest.h>

#include <string>

#include "sim/profile/ProfileReader.h"

namespace {

using profile::AircraftProfile;
using profile::FunctionBinding;
using profile::ProfileAction;

constexpr const char* kMatch = "[match]\ntitle = \"*A320*\"\n";

// A profile body under [match] and what the reader says of it.
struct BadFile {
  const char* text;
  const char* line;
};

// clang-format off
const BadFile kBadFiles[] = {
    {"[match]\ntitle = [\"*A320*\"\n", "a32nx.toml:2:19: Error while parsing array: encountered end-of-file"},
    {"name = \"X\"\n", "a32nx.toml:1:1: the profile matches no aircraft: add [match] with title = [\"...\"] or path = [\"...\"]"},
    {"[match]\ntitle = \"\"\n", "a32nx.toml:2:9: an empty pattern matches nothing; use \"*\" for any"},
    // toml++ must not be asked whether é is whitespace, and names it as written
    {"[match]\ntitle = \"*\" é\n",
     "a32nx.toml:2:13: Error while parsing key-value pair: expected a comment or whitespace, saw '\xC3\xA9'"},
    {"[match]\ntitel = \"*\"\n", "a32nx.toml:2:1: unknown match key \"titel\"; did you mean \"title\"?"},
    {"[macth]\ntitle = \"*\"\n", "a32nx.toml:1:2: unknown key \"macth\"; did you mean \"match\"?"},
    {"[controls]\nheading_outer_incc = { event = \"A32NX.FCU_HDG_INC\" }\n",
     "a32nx.toml:5:1: unknown function \"heading_outer_incc\"; did you mean \"heading_outer_inc\"?"},
    {"[controls]\nheading_hold = \"none\"\n", "a32nx.toml:5:1: \"heading_hold\" is a lamp; put it under [lamps]"},
    {"[controls]\nautopilot_master = \"off\"\n",
     "a32nx.toml:5:20: a function takes \"none\", { event = ... }, { lvar = ... } or a list of them, not \"off\""},
    {"[controls]\nautopilot_master = { evnt = \"AP_MASTER\" }\n",
     "a32nx.toml:5:20: an action needs event = \"NAME\" or lvar = \"L:NAME\""},
    {"[controls]\nautopilot_master = { event = \"AP_MASTER\", vlaue = 1 }\n",
     "a32nx.toml:5:43: unknown event action key \"vlaue\"; did you mean \"value\"?"},
    {"[controls]\nautopilot_master = { event = \"AP_MASTER\", repeat = 101 }\n",
     "a32nx.toml:5:52: repeat must be a whole number from 1 to 100"},
    {"[controls]\nautopilot_master = { event = \"AP_MASTER\", value = 4294967296 }\n",
     "a32nx.toml:5:51: value must be a whole number that fits 32 bits (-2147483648 to 4294967295)"},
    {"[controls]\nautopilot_heading = { event = \"#7002x\" }\n",
     "a32nx.toml:5:31: \"#7002x\" is not an event number: write #decimal or #0xhex, e.g. #70022"},
    {"[controls]\nautopilot_heading = { event = \"#4294967296\" }\n",
     "a32nx.toml:5:31: \"#4294967296\" is not an event number: write #decimal or #0xhex, e.g. #70022"},
    {"[controls]\ncourse1_outer_inc = { lvar = \"E_FCU_HEADING\", add = 1 }\n",
     "a32nx.toml:5:30: lvar must name an L:var, e.g. \"L:A32NX_FCU_HDG\""},
    {"[controls]\ncourse1_outer_inc = { lvar = \"L:E_FCU_HEADING\", add = 1, wrap = true }\n",
     "a32nx.toml:5:21: wrap needs both min and max"},
    {"[controls]\nbaro_inner_inc = { lvar = \"L:B\", add = 1, min = 9, max = 0 }\n",
     "a32nx.toml:5:18: min is above max"},
    {"[controls]\nbaro_inner_inc = { lvar = \"L:B\", set = 1, max = 9 }\n", "a32nx.toml:5:43: max goes with add, not set"},
    {"[controls]\nbaro_inner_inc = { lvar = \"L:B\", add = \"1\" }\n", "a32nx.toml:5:40: add must be a number"},
    {"[controls]\nbaro_inner_inc = { lvar = \"L:B\", add = inf }\n", "a32nx.toml:5:40: add must be a finite number"},
    {"[controls]\nautopilot_approach = []\n", "a32nx.toml:5:22: an empty list does nothing; write \"none\" for that"},
    {"[lamps]\nautopilot_mastr = \"L:A\"\n",
     "a32nx.toml:5:1: unknown lamp \"autopilot_mastr\"; did you mean \"autopilot_master\"?"},
    {"[lamps]\naltitude_hold = { var = \"AUTOPILOT ALTITUDE LOCK\", units = \"Bool\" }\n",
     "a32nx.toml:5:52: unknown lamp key \"units\"; did you mean \"unit\"?"},
    {"[lamps]\naltitude_hold = 1\n",
     "a32nx.toml:5:17: a lamp is a variable name, \"L:NAME\", or { var = \"NAME\", unit = \"UNIT\" }"},
};
// clang-format on

TEST(ProfileReaderTest, EveryMistakeIsRefusedWholeWithItsLineColumnAndFix) {
  for (const BadFile& bad : kBadFiles) {
    // The sections after [match] are checked under a valid head of three lines.
    const std::string body = bad.text;
    const bool whole = body.rfind("[controls]", 0) != 0 && body.rfind("[lamps]", 0) != 0;
    const std::string text = whole ? body : std::string("name = \"A\"\n") + kMatch + body;
    AircraftProfile profile;
    std::string problem;
    EXPECT_FALSE(profile::ReadProfile(text, "a32nx.toml", &profile, &problem)) << text;
    EXPECT_EQ(problem, bad.line) << text;
  }
}

TEST(ProfileReaderTest, EveryActionFormReadsAsWritten) {
  const char* text = R"(name = "FlyByWire A32NX"
[match]
title = ["FlyByWire A320*", "*A32NX*", "*Zürich*"]
path = "*flybywire-aircraft-a320-neo*"
[controls]
heading_outer_inc = { event = "A32NX.FCU_HDG_INC", repeat = 10 }
heading_inner_inc = { event = "A32NX.FCU_HDG_INC" }
autopilot_heading = { event = "#70024", value = 536870912 }
altitude_outer_dec = { event = "#0x1116E", value = -100 }
baro_inner_inc = { lvar = "L:MY_BARO", add = 1, min = 0, max = 9, wrap = true }
autopilot_approach = [ { lvar = "L:S_FCU_APPR", set = 1 }, { lvar = "L:S_FCU_APPR", set = 0 } ]
transponder_ident = "none"
[lamps]
autopilot_master = "L:A32NX_FCU_AP_1_LIGHT_ON"
altitude_hold = { var = "AUTOPILOT ALTITUDE LOCK", unit = "Bool" }
)";
  AircraftProfile p;
  std::string problem;
  ASSERT_TRUE(profile::ReadProfile(text, "a32nx.toml", &p, &problem)) << problem;
  EXPECT_EQ(p.name, "FlyByWire A32NX");
  EXPECT_EQ(p.titlePatterns, (std::vector<std::string>{"FlyByWire A320*", "*A32NX*", "*Zürich*"}));
  EXPECT_EQ(p.pathPatterns, (std::vector<std::string>{"*flybywire-aircraft-a320-neo*"}));
  // One name, one event: the heading knob's two functions share it.
  EXPECT_EQ(p.events, (std::vector<std::string>{"A32NX.FCU_HDG_INC", "#70024", "#0x1116E"}));

  const auto actionsOf = [&p](const char* name) {
    const FunctionBinding& binding = p.functions[static_cast<std::size_t>(profile::FindFunction(name))];
    EXPECT_EQ(binding.mode, FunctionBinding::kActions) << name;
    return std::vector<ProfileAction>(p.actions.begin() + binding.first,
                                      p.actions.begin() + binding.first + binding.count);
  };
  EXPECT_EQ(actionsOf("heading_outer_inc")[0].repeat, 10u);
  EXPECT_EQ(actionsOf("autopilot_heading")[0].eventValue, 536870912u);
  EXPECT_EQ(actionsOf("altitude_outer_dec")[0].eventValue, 0xFFFFFF9Cu);  // -100 as the simulator's DWORD
  const ProfileAction baro = actionsOf("baro_inner_inc")[0];
  EXPECT_EQ(baro.kind, ProfileAction::kLvarAdd);
  EXPECT_TRUE(baro.wrap && baro.minimum == 0 && baro.maximum == 9 && baro.amount == 1);
  const std::vector<ProfileAction> approach = actionsOf("autopilot_approach");
  ASSERT_EQ(approach.size(), 2u);
  EXPECT_EQ(approach[0].amount, 1);
  EXPECT_EQ(approach[1].amount, 0);
  EXPECT_EQ(approach[0].name, approach[1].name);
  EXPECT_EQ(p.functions[static_cast<std::size_t>(profile::FindFunction("transponder_ident"))].mode,
            FunctionBinding::kNothing);
  EXPECT_EQ(p.functions[static_cast<std::size_t>(profile::FindFunction("com1_swap"))].mode, FunctionBinding::kBuiltIn);
  EXPECT_EQ(p.variables[static_cast<std::size_t>(p.lamps[0])].name, "L:A32NX_FCU_AP_1_LIGHT_ON");
  EXPECT_EQ(p.variables[static_cast<std::size_t>(p.lamps[4])].unit, "Bool");
  EXPECT_EQ(p.lamps[1], -1);  // heading hold keeps its built-in variable
}

}  // namespace
