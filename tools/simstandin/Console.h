#pragma once

// Where the stand-in's lines go: straight to stdout, one flushed line each,
// or (with --display) into the live view's recent-events list.

#include <deque>
#include <string>

class Console {
 public:
  explicit Console(bool display) : display_(display) {}

  void Line(const std::string& line);

  bool display() const { return display_; }
  const std::deque<std::string>& recent() const { return recent_; }
  // True once after something was written that the live view should show.
  bool TakeDirty();
  void MarkDirty() { dirty_ = true; }

 private:
  bool display_;
  bool dirty_ = true;
  std::deque<std::string> recent_;
};
