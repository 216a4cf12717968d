#pragma once

// What a profile does, told without the simulator: the checker's report on
// both platforms, and the guide's table of functions and lamps.

#include <cstdio>
#include <string>
#include <vector>

#include "sim/profile/ProfileLibrary.h"

namespace profile {

struct ReportRequest {
  // The files to check; when empty, every file of `folders` in the order the
  // bridge reads them (a user's file hiding a shipped one of the same name).
  std::vector<std::string> files;
  std::vector<std::string> folders;
  // With a title, the report also says which profile would apply and why.
  bool hasAircraft = false;
  AircraftIdentity aircraft;
};

// Appends the report to `out`: for each file "FILE: ok" and what it changes,
// or the lines the bridge prints about it; then, with an aircraft, the
// bridge's line for it and the pattern that chose the profile. True when
// every file read is valid and nothing was refused.
bool WriteProfileReport(const ReportRequest& request, std::string* out);
bool WriteProfileReport(const ReportRequest& request, std::FILE* out);

// What one function does under `profile`, e.g. "event A32NX.FCU_HDG_INC x10",
// "L:MY_BARO += 1 (0..9, wrapping)" or "nothing"; empty when built in.
std::string DescribeFunction(const AircraftProfile& profile, std::size_t function);

// The checker's command, given what follows "--check-profiles" (FILE...,
// --title TITLE, --path PATH): the report on `out` over the files named, or
// else over `folders`; a command line it cannot take is told on `err`.
// Returns the exit status: 0 when every file is valid, 1 otherwise, 2 for
// an argument it does not take.
int RunProfileCheck(const std::vector<std::string>& arguments, const std::vector<std::string>& folders, std::FILE* out,
                    std::FILE* err);

// The guide's table of every function and lamp with what it does when no
// profile names it, in Markdown, from the one list.
std::string FunctionTableMarkdown();

}  // namespace profile
