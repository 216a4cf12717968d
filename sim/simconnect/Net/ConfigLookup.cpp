#include "sim/simconnect/Net/ConfigLookup.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace {

constexpr const char* kFileName = "SimConnect.cfg";
// A real SimConnect.cfg is a few lines; anything bigger is not one.
constexpr std::size_t kLargestFile = 64 * 1024;

enum class ReadResult { kRead, kMissing, kUnreadable };

#ifdef _WIN32
// Paths are UTF-8 here and go to Windows wide: its ANSI calls would turn
// every character outside the user's code page into '?'.
std::wstring Widened(const std::string& utf8) {
  const int size = static_cast<int>(utf8.size());
  std::wstring wide(static_cast<std::size_t>(MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0)), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), static_cast<int>(wide.size()));
  return wide;
}

std::string Utf8(const std::wstring& wide) {
  const int size = static_cast<int>(wide.size());
  std::string utf8(
      static_cast<std::size_t>(WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr)), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, utf8.data(), static_cast<int>(utf8.size()), nullptr, nullptr);
  return utf8;
}
#endif

std::FILE* OpenForReading(const std::string& path) {
#ifdef _WIN32
  return _wfopen(Widened(path).c_str(), L"rb");
#else
  return std::fopen(path.c_str(), "rb");
#endif
}

ReadResult ReadSmallFile(const std::string& path, std::string* text, std::string* problem) {
  errno = 0;
  std::FILE* file = OpenForReading(path);
  if (file == nullptr) {
    if (errno == ENOENT || errno == ENOTDIR) return ReadResult::kMissing;
    *problem = path + ": " + std::strerror(errno);
    return ReadResult::kUnreadable;
  }
  text->clear();
  char chunk[4096];
  bool failed = false;
  for (;;) {
    const std::size_t got = std::fread(chunk, 1, sizeof chunk, file);
    text->append(chunk, got);
    if (text->size() > kLargestFile) {
      *problem = path + ": too large for a SimConnect.cfg";
      failed = true;
      break;
    }
    if (got < sizeof chunk) {
      if (std::ferror(file)) {
        *problem = path + ": " + std::strerror(errno != 0 ? errno : EIO);
        failed = true;
      }
      break;
    }
  }
  std::fclose(file);
  return failed ? ReadResult::kUnreadable : ReadResult::kRead;
}

}  // namespace

SimConnectServer FindSimConnectServer(const std::vector<std::string>& folders, std::string* problem,
                                      std::string* source) {
  problem->clear();
  if (source != nullptr) source->clear();
  for (const std::string& folder : folders) {
    if (folder.empty()) continue;
    const std::string path = folder + "/" + kFileName;
    std::string text;
    switch (ReadSmallFile(path, &text, problem)) {
      case ReadResult::kMissing:
        continue;
      case ReadResult::kUnreadable:
        return SimConnectServer{};
      case ReadResult::kRead: {
        SimConnectServer server;
        std::string why;
        if (!ParseSimConnectConfig(text, &server, &why)) {
          *problem = path + ": " + why;
          return SimConnectServer{};
        }
        // "./SimConnect.cfg" says nothing to someone reading a service's log.
        // UTF-8 in and out, said so: mingw's library reads a plain string byte
        // by byte but writes UTF-8, which would encode a non-ASCII folder twice.
        if (source != nullptr) {
          std::error_code ignored;
          const std::filesystem::path absolute = std::filesystem::absolute(std::filesystem::u8path(path), ignored);
          *source = absolute.empty() ? path : absolute.lexically_normal().u8string();
        }
        return server;
      }
    }
  }
  return SimConnectServer{};
}

namespace {

std::string FindExecutableFolder() {
  std::string path;
#ifdef _WIN32
  // Room for the longest path Windows has, taken for this call only.
  std::wstring wide(32768, L'\0');
  const DWORD length = GetModuleFileNameW(nullptr, wide.data(), static_cast<DWORD>(wide.size()));
  if (length == 0 || length >= wide.size()) return "";
  wide.resize(length);
  path = Utf8(wide);
  const std::size_t slash = path.find_last_of("\\/");
#else
  char buffer[4096];
  const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer);
  if (length <= 0 || static_cast<std::size_t>(length) >= sizeof buffer) return "";
  path.assign(buffer, static_cast<std::size_t>(length));
  const std::size_t slash = path.rfind('/');
#endif
  if (slash == std::string::npos) return "";
  return slash == 0 ? std::string("/") : path.substr(0, slash);
}

}  // namespace

std::string ExecutableFolder() {
  // Asked on every connection attempt, twice a second while the simulator is
  // away, and the answer never changes. Never destroyed, like the state of the
  // never-joined supervisor that asks.
  static const std::string& folder = *new std::string(FindExecutableFolder());
  return folder;
}

SimConnectServer LookUpSimConnectServer(std::string* source) {
  // Never destroyed: the supervisor, never joined, may be looking up while
  // exit() runs static destructors.
  static std::string& lastReported = *new std::string;
  std::string problem;
  const SimConnectServer server = FindSimConnectServer({".", ExecutableFolder()}, &problem, source);
  if (problem.empty()) {
    lastReported.clear();
  } else if (problem != lastReported) {
    std::fprintf(stderr, "SimConnect.cfg not used (%s); connecting to %s:%u\n", problem.c_str(), server.address.c_str(),
                 static_cast<unsigned>(server.port));
    lastReported = problem;
  }
  return server;
}
