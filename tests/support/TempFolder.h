#pragma once

// A fresh folder under /tmp for one test, removed with everything in it.
// Entering it makes it the working folder until the test ends, so that a
// program looking there (a SimConnect.cfg, say) finds what the test wrote.

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

class TempFolder {
 public:
  explicit TempFolder(bool enter = false) {
    char pattern[] = "/tmp/vp-test-XXXXXX";
    path_ = mkdtemp(pattern) != nullptr ? pattern : "";
    if (enter && !path_.empty()) {
      char* previous = getcwd(nullptr, 0);
      previous_ = previous != nullptr ? previous : "/";
      std::free(previous);
      if (chdir(path_.c_str()) != 0) path_.clear();
    }
  }
  ~TempFolder() {
    if (!previous_.empty() && chdir(previous_.c_str()) != 0) std::perror("chdir");
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& Path() const { return path_; }

  void Write(const std::string& name, const std::string& text) const {
    std::ofstream(path_ + "/" + name, std::ios::binary) << text;
  }

  // A SimConnect.cfg that sends a client started here to 127.0.0.1:port.
  void PointAt(unsigned short port) const {
    Write("SimConnect.cfg", "[SimConnect]\nProtocol=IPv4\nAddress=127.0.0.1\nPort=" + std::to_string(port) + "\n");
  }

 private:
  std::string path_;
  std::string previous_;
};
