#pragma once

// A fresh folder made the working directory for one test, so the client
// finds the SimConnect.cfg the test writes there, and removed afterwards.

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace testnet {

class TempFolder {
 public:
  explicit TempFolder(bool enter = true) {
    char pattern[] = "/tmp/vp-simconnect-XXXXXX";
    const char* made = mkdtemp(pattern);
    path_ = made != nullptr ? made : "";
    if (enter) {
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

  const std::string& path() const { return path_; }

  void Write(const std::string& name, const std::string& text) const {
    std::ofstream(path_ + "/" + name, std::ios::binary) << text;
  }

  // A SimConnect.cfg that sends the client to 127.0.0.1:port.
  void PointAt(unsigned short port) const {
    Write("SimConnect.cfg", "[SimConnect]\nProtocol=IPv4\nAddress=127.0.0.1\nPort=" + std::to_string(port) + "\n");
  }

 private:
  std::string path_;
  std::string previous_;
};

}  // namespace testnet
