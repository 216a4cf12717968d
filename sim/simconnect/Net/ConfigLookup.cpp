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

ReadResult ReadSmallFile(const std::string& path, std::string* text, std::string* problem) {
  errno = 0;
  std::FILE* file = std::fopen(path.c_str(), "rb");
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
        if (source != nullptr) {
          std::error_code ignored;
          const std::filesystem::path absolute = std::filesystem::absolute(path, ignored);
          *source = absolute.empty() ? path : absolute.lexically_normal().string();
        }
        return server;
      }
    }
  }
  return SimConnectServer{};
}

std::string ExecutableFolder() {
  std::string path;
#ifdef _WIN32
  char buffer[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, buffer, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return "";
  path.assign(buffer, length);
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
