#pragma once

// Why the bridge is waiting, told on standard error so that standard output
// keeps its two loss lines alone. A cause is told once when it appears and
// again only after it has cleared (the thing it explains succeeded: the panel
// opened, the simulator connected) or comes back with a different detail
// (another address, another exception). Used from the supervisor thread only;
// nothing here runs on a pass where nothing changes.

#include <cstddef>
#include <cstdint>

#if defined(__GNUC__)
#define VP_PRINTF_FORMAT(formatIndex, firstArgument) __attribute__((format(printf, formatIndex, firstArgument)))
#else
#define VP_PRINTF_FORMAT(formatIndex, firstArgument)
#endif

enum class WaitCause : std::uint8_t {
  kPanelUnopenable,       // the panel is plugged in but cannot be opened
  kSimulatorUnreachable,  // the simulator refuses the connection or does not answer
  kSimulatorException,    // the simulator rejected one of our requests
};
constexpr std::size_t kWaitCauseCount = 3;

// Longest line told, newline included; longer ones are cut.
constexpr std::size_t kWaitLineSize = 512;

// Writes the line, flushed at once, unless `cause` has been told with the same
// `detail` since it last cleared.
void TellWaitCause(WaitCause cause, std::uint32_t detail, const char* format, ...) VP_PRINTF_FORMAT(3, 4);
void ClearWaitCause(WaitCause cause);
bool WaitCauseTold(WaitCause cause);
// Every cause cleared, as at start.
void ForgetWaitCauses();

// VESTREL_PELVAR_LOG=debug in the environment at start: one more line per
// connection attempt and per loss, with the reason, each starting "debug: ".
extern bool debugLogging;
void DebugLog(const char* format, ...) VP_PRINTF_FORMAT(1, 2);

// Asked by the supervisor after hid_open has failed, while the panel cause is
// not told: fills `line` and returns true when the panel is plugged in but
// cannot be opened, false when it is simply absent. Set by the platform's
// shell before the supervisor starts; null where the platform cannot tell.
using PanelOpenProbe = bool (*)(char* line, std::size_t size);
extern PanelOpenProbe panelOpenProbe;
