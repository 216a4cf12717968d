#pragma once

// Whole-file reads by wide path (the C++ streams of this runtime take only
// narrow paths).

#include <cstdio>
#include <string>

inline bool ReadWholeFile(const std::wstring& path, std::string* contents) {
  contents->clear();
  std::FILE* file = _wfopen(path.c_str(), L"rb");
  if (file == nullptr) return false;
  char buffer[65536];
  std::size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) contents->append(buffer, got);
  std::fclose(file);
  return true;
}
