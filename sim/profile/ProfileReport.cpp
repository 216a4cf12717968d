#include "sim/profile/ProfileReport.h"

#include <cstdint>
#include <cstdio>

namespace profile {

namespace {

std::string Number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.10g", value);
  return text;
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

std::string QuotedList(const std::vector<std::string>& items) {
  std::string list;
  for (const std::string& item : items) list += (list.empty() ? "" : ", ") + Quoted(item);
  return list;
}

std::string DescribeAction(const AircraftProfile& profile, const ProfileAction& action) {
  if (action.kind == ProfileAction::kEvent) {
    std::string text = "event " + profile.events[action.name];
    if (action.eventValue != 0) text += " value " + std::to_string(action.eventValue);
    if (action.repeat > 1) text += " x" + std::to_string(action.repeat);
    return text;
  }
  const std::string& variable = profile.variables[action.name].name;
  if (action.kind == ProfileAction::kLvarSet) return variable + " = " + Number(action.amount);
  std::string text = variable + (action.amount < 0 ? " -= " + Number(-action.amount) : " += " + Number(action.amount));
  if (action.hasMinimum && action.hasMaximum) {
    text += " (" + Number(action.minimum) + ".." + Number(action.maximum) + (action.wrap ? ", wrapping)" : ")");
  } else if (action.hasMinimum) {
    text += " (at least " + Number(action.minimum) + ")";
  } else if (action.hasMaximum) {
    text += " (at most " + Number(action.maximum) + ")";
  }
  return text;
}

std::string DescribeVariable(const ProfileVariable& variable) {
  return variable.unit == "number" ? variable.name : variable.name + " (" + variable.unit + ")";
}

// Everything a valid profile changes, one indented line each.
void DescribeProfile(const AircraftProfile& profile, std::string* out) {
  *out += "  name: " + Quoted(profile.name) + "\n";
  if (!profile.titlePatterns.empty()) *out += "  title patterns: " + QuotedList(profile.titlePatterns) + "\n";
  if (!profile.pathPatterns.empty()) *out += "  path patterns: " + QuotedList(profile.pathPatterns) + "\n";
  bool changes = false;
  for (std::size_t function = 0; function < kFunctionCount; ++function) {
    const std::string what = DescribeFunction(profile, function);
    if (what.empty()) continue;
    *out += std::string("  ") + FunctionName(function) + " -> " + what + "\n";
    changes = true;
  }
  for (std::size_t lamp = 0; lamp < kLampCount; ++lamp) {
    const int variable = profile.lamps[lamp];
    if (variable < 0) continue;
    *out += std::string("  lamp ") + LampName(lamp) + " <- " +
            DescribeVariable(profile.variables[static_cast<std::size_t>(variable)]) + "\n";
    changes = true;
  }
  if (!changes) *out += "  changes nothing: every function and lamp stays built-in\n";
}

struct Collected {
  std::string* out;
  bool refused = false;
};

void CollectProblem(const std::string& line, const std::string&, void* context) {
  Collected& collected = *static_cast<Collected*>(context);
  *collected.out += line + "\n";
  collected.refused = true;
}

}  // namespace

std::string DescribeFunction(const AircraftProfile& profile, std::size_t function) {
  const FunctionBinding& binding = profile.functions[function];
  if (binding.mode == FunctionBinding::kBuiltIn) return std::string();
  if (binding.mode == FunctionBinding::kNothing) return "nothing";
  std::string text;
  for (std::size_t i = binding.first; i < binding.first + binding.count; ++i) {
    text += (text.empty() ? "" : ", then ") + DescribeAction(profile, profile.actions[i]);
  }
  return text;
}

bool WriteProfileReport(const ReportRequest& request, std::string* out) {
  Collected collected{out};
  const ProblemSink problems{CollectProblem, &collected};
  std::vector<ProfileFile> files;
  if (request.files.empty()) {
    files = ListProfileFiles(request.folders, problems);
    if (files.empty()) {
      *out += "No profile files in " +
              (request.folders.empty() ? std::string("any folder") : QuotedList(request.folders)) + "\n";
    }
  } else {
    for (const std::string& path : request.files) files.push_back(ProfileFile{path, FileNameOf(path)});
  }

  // The bridge's choice: the first file, in this order, that loads and
  // matches; told after every file's own lines.
  std::string choice;
  for (const ProfileFile& file : files) {
    AircraftProfile profile;
    if (!ReadProfileFile(file, &profile, problems)) continue;
    *out += file.path + ": ok\n";
    DescribeProfile(profile, out);
    if (!request.hasAircraft || !choice.empty()) continue;
    bool byPath = false;
    const std::string* pattern = MatchingPattern(profile, request.aircraft, &byPath);
    if (pattern == nullptr) continue;
    choice = ": profile " + Quoted(profile.name) + " from " + file.path + ", by its " +
             (byPath ? "path pattern " : "title pattern ") + Quoted(*pattern);
  }
  if (request.hasAircraft) {
    *out += "Aircraft " + Quoted(request.aircraft.title);
    if (!request.aircraft.path.empty()) *out += " (" + request.aircraft.path + ")";
    *out += choice.empty() ? ": no profile; no valid file has a pattern that matches it\n" : choice + "\n";
  }
  return !collected.refused;
}

bool WriteProfileReport(const ReportRequest& request, std::FILE* out) {
  std::string text;
  const bool valid = WriteProfileReport(request, &text);
  std::fputs(text.c_str(), out);
  std::fflush(out);
  return valid;
}

int RunProfileCheck(const std::vector<std::string>& arguments, const std::vector<std::string>& folders, std::FILE* out,
                    std::FILE* err) {
  ReportRequest request;
  bool hasPath = false;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const bool title = arguments[i] == "--title";
    const bool path = arguments[i] == "--path";
    if ((title || path) && i + 1 < arguments.size()) {
      (title ? request.aircraft.title : request.aircraft.path) = arguments[++i];
      (title ? request.hasAircraft : hasPath) = true;
    } else if (arguments[i].size() > 1 && arguments[i][0] == '-') {
      std::fprintf(err,
                   "vestrel-pelvar: unexpected argument '%s'\n"
                   "Usage: vestrel-pelvar --check-profiles [FILE...] [--title \"TITLE\" [--path PATH]]\n",
                   arguments[i].c_str());
      std::fflush(err);
      return 2;
    } else {
      request.files.push_back(arguments[i]);
    }
  }
  if (hasPath && !request.hasAircraft) {
    std::fputs("vestrel-pelvar: --path goes with --title\n", err);
    std::fflush(err);
    return 2;
  }
  request.folders = folders;
  return WriteProfileReport(request, out) ? 0 : 1;
}

std::string FunctionTableMarkdown() {
  std::string table = "| Function | With no profile |\n|---|---|\n";
  for (std::size_t function = 0; function < kFunctionCount; ++function) {
    table += std::string("| `") + FunctionName(function) + "` | " + FunctionBuiltIn(function) + " |\n";
  }
  table += "\n| Lamp | With no profile, lit while this variable is not zero |\n|---|---|\n";
  for (std::size_t lamp = 0; lamp < kLampCount; ++lamp) {
    table += std::string("| `") + LampName(lamp) + "` | " + LampBuiltIn(lamp) + " |\n";
  }
  return table;
}

}  // namespace profile
