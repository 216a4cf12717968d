#include "supervisor/WaitCauses.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

struct Told {
  bool told = false;
  std::uint32_t detail = 0;
};

Told told[kWaitCauseCount];

bool DebugRequested() {
  const char* level = std::getenv("VESTREL_PELVAR_LOG");
  return level != nullptr && std::strcmp(level, "debug") == 0;
}

// One write per line, so that a line is never split by another thread's output.
void WriteLine(const char* prefix, const char* format, std::va_list arguments) {
  char line[kWaitLineSize];
  const int prefixLength = std::snprintf(line, sizeof line, "%s", prefix);
  const int length = std::vsnprintf(line + prefixLength, sizeof line - prefixLength - 1, format, arguments);
  if (length < 0) return;
  std::size_t end = std::strlen(line);
  line[end++] = '\n';
  line[end] = '\0';
  std::fputs(line, stderr);
  std::fflush(stderr);
}

}  // namespace

bool debugLogging = DebugRequested();
PanelOpenProbe panelOpenProbe = nullptr;

void TellWaitCause(WaitCause cause, std::uint32_t detail, const char* format, ...) {
  Told& entry = told[static_cast<std::size_t>(cause)];
  if (entry.told && entry.detail == detail) return;
  entry = Told{true, detail};
  std::va_list arguments;
  va_start(arguments, format);
  WriteLine("", format, arguments);
  va_end(arguments);
}

void ClearWaitCause(WaitCause cause) { told[static_cast<std::size_t>(cause)].told = false; }

bool WaitCauseTold(WaitCause cause) { return told[static_cast<std::size_t>(cause)].told; }

void ForgetWaitCauses() {
  for (Told& entry : told) entry = Told{};
}

void DebugLog(const char* format, ...) {
  if (!debugLogging) return;
  std::va_list arguments;
  va_start(arguments, format);
  WriteLine("debug: ", format, arguments);
  va_end(arguments);
}
