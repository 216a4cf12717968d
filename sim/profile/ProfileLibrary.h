#pragma once

// Where profiles are found and which one applies to an aircraft.

#include <cstddef>
#include <string>
#include <vector>

#include "sim/profile/AircraftProfile.h"

namespace profile {

// Bounds on what one aircraft change reads, so that choosing stays well
// inside a supervisor pass however many files a folder holds.
constexpr std::size_t kMaxFileBytes = 1024 * 1024;
constexpr std::size_t kMaxFilesPerFolder = 1000;

// The folders profiles are looked for in, first to last (the user's, then
// the shipped one), as UTF-8 paths. The shell fills it before the supervisor
// starts; empty, no profile ever applies. Never destroyed.
std::vector<std::string>& ProfileFolders();

// The file name at the end of `path`, after its last / or \\.
std::string FileNameOf(const std::string& path);

struct ProfileFile {
  std::string path;  // folder and file name
  std::string name;  // file name alone
};

// Told about every file or folder that cannot be used, one line each without
// its newline. `content` is the file's text when there is one (a caller may
// tell a line once per content), else empty.
struct ProblemSink {
  void (*tell)(const std::string& line, const std::string& content, void* context) = nullptr;
  void* context = nullptr;
  void Tell(const std::string& line, const std::string& content = std::string()) const {
    if (tell != nullptr) tell(line, content, context);
  }
};

// The *.toml files of `folders` in the order they are tried: folder by
// folder, each in file-name order; a file named like one in an earlier
// folder is left out, so a user's file replaces a shipped one.
std::vector<ProfileFile> ListProfileFiles(const std::vector<std::string>& folders, const ProblemSink& problems);

// Reads one file whole, within kMaxFileBytes; false with a problem line told.
bool ReadProfileFile(const ProfileFile& file, AircraftProfile* profile, const ProblemSink& problems);

struct AircraftIdentity {
  std::string title;
  std::string path;  // the AircraftLoaded file path
};

// Which pattern of `profile` matches `aircraft`, or null when none does.
const std::string* MatchingPattern(const AircraftProfile& profile, const AircraftIdentity& aircraft,
                                   bool* byPath = nullptr);

// Reads the files of `folders` in order until one loads and matches
// `aircraft`; that one is `chosen`. False when none applies.
bool ChooseProfile(const std::vector<std::string>& folders, const AircraftIdentity& aircraft, AircraftProfile* chosen,
                   const ProblemSink& problems);

}  // namespace profile
