#include "sim/profile/ProfileLibrary.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "sim/profile/Glob.h"
#include "sim/profile/ProfileReader.h"

namespace profile {

namespace fs = std::filesystem;

namespace {

bool HasProfileExtension(const std::string& name) {
  if (name.size() <= 5) return false;
  std::string extension = name.substr(name.size() - 5);
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c); });
  return extension == ".toml";
}

// The UTF-8 path the shells give, as the file system takes it: on Windows
// a narrow path would be read in the ANSI code page.
fs::path FromUtf8(const std::string& path) { return fs::u8path(path); }

// A file's path in the folder's own style: a Windows folder gets a backslash.
std::string JoinPath(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  const char last = folder.back();
  if (last == '/' || last == '\\') return folder + name;
  const bool windows = folder.find('\\') != std::string::npos && folder.find('/') == std::string::npos;
  return folder + (windows ? "\\" : "/") + name;
}

}  // namespace

std::string FileNameOf(const std::string& path) {
  const std::size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::vector<std::string>& ProfileFolders() {
  static std::vector<std::string>& folders = *new std::vector<std::string>;
  return folders;
}

std::vector<ProfileFile> ListProfileFiles(const std::vector<std::string>& folders, const ProblemSink& problems) {
  std::vector<ProfileFile> files;
  for (const std::string& folder : folders) {
    std::vector<std::string> names;
    std::error_code error;
    bool tooMany = false;
    for (fs::directory_iterator it(FromUtf8(folder), error), end; !error && it != end; it.increment(error)) {
      std::error_code kindError;
      if (!it->is_regular_file(kindError)) continue;
      std::string name = it->path().filename().u8string();
      if (!HasProfileExtension(name)) continue;
      names.push_back(std::move(name));
      // Far more than anybody writes: a folder this full is a mistake, and
      // listing it all would hold the bridge up.
      tooMany = names.size() > kMaxFilesPerFolder;
      if (names.size() == 4 * kMaxFilesPerFolder) break;
    }
    std::sort(names.begin(), names.end());
    if (tooMany) {
      names.resize(kMaxFilesPerFolder);
      problems.Tell(folder + ": more than " + std::to_string(kMaxFilesPerFolder) + " profiles; only " +
                    std::to_string(kMaxFilesPerFolder) + " are read, in file-name order");
    }
    const std::size_t earlier = files.size();
    for (std::string& name : names) {
      const auto sameName = [&name](const ProfileFile& file) { return file.name == name; };
      if (std::any_of(files.begin(), files.begin() + static_cast<std::ptrdiff_t>(earlier), sameName)) continue;
      files.push_back(ProfileFile{JoinPath(folder, name), std::move(name)});
    }
  }
  return files;
}

bool ReadProfileFile(const ProfileFile& file, AircraftProfile* profile, const ProblemSink& problems) {
  std::ifstream in(FromUtf8(file.path), std::ios::binary);
  if (!in) {
    problems.Tell(file.path + ": cannot be read; check that it exists and that you may read it");
    return false;
  }
  std::string text;
  text.resize(kMaxFileBytes + 1);
  in.read(&text[0], static_cast<std::streamsize>(text.size()));
  text.resize(static_cast<std::size_t>(in.gcount()));
  if (text.size() > kMaxFileBytes) {
    problems.Tell(file.path + ": larger than 1 MiB; a profile is a few kilobytes, so this is not one");
    return false;
  }
  std::string problem;
  if (!ReadProfile(text, file.path, profile, &problem)) {
    problems.Tell(problem, text);
    return false;
  }
  return true;
}

const std::string* MatchingPattern(const AircraftProfile& profile, const AircraftIdentity& aircraft, bool* byPath) {
  for (const std::string& pattern : profile.titlePatterns) {
    if (GlobMatches(pattern, aircraft.title, false)) {
      if (byPath != nullptr) *byPath = false;
      return &pattern;
    }
  }
  for (const std::string& pattern : profile.pathPatterns) {
    if (GlobMatches(pattern, aircraft.path, true)) {
      if (byPath != nullptr) *byPath = true;
      return &pattern;
    }
  }
  return nullptr;
}

bool ChooseProfile(const std::vector<std::string>& folders, const AircraftIdentity& aircraft, AircraftProfile* chosen,
                   const ProblemSink& problems) {
  for (const ProfileFile& file : ListProfileFiles(folders, problems)) {
    AircraftProfile candidate;
    if (!ReadProfileFile(file, &candidate, problems)) continue;
    if (MatchingPattern(candidate, aircraft) != nullptr) {
      *chosen = std::move(candidate);
      return true;
    }
  }
  return false;
}

}  // namespace profile
