#include "Console.h"

#include <cstdio>

namespace {
constexpr std::size_t kRecentLines = 10;
}

void Console::Line(const std::string& line) {
  if (!display_) {
    std::fputs(line.c_str(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
    return;
  }
  recent_.push_back(line);
  while (recent_.size() > kRecentLines) recent_.pop_front();
  dirty_ = true;
}

bool Console::TakeDirty() {
  const bool dirty = dirty_;
  dirty_ = false;
  return dirty;
}
