#include "app/linux/CommandLine.h"

#include <cstring>

#include "VestrelVersion.h"

namespace {

constexpr const char* kUsage =
    "Usage: vestrel-pelvar [--help | --version]\n"
    "       vestrel-pelvar --check-profiles [FILE...] [--title \"TITLE\" [--path PATH]]\n"
    "\n"
    "Bridges the Dorvik USB flight-simulation panel and Microsoft Flight Simulator\n"
    "from the desktop's tray: knob steps and key presses become simulator events,\n"
    "and the simulator's autopilot modes light the panel's lamps.\n"
    "\n"
    "The simulator is reached over SimConnect's TCP protocol, at the address in a\n"
    "SimConnect.cfg in the working directory or beside the program (section\n"
    "[SimConnect] with Protocol=IPv4, Address and Port), else at 127.0.0.1 port 500.\n"
    "\n"
    "Aircraft profiles (TOML) change what the panel sends for the aircraft they\n"
    "match; they are read from ~/.config/vestrel-pelvar/aircraft/ (or\n"
    "$XDG_CONFIG_HOME/vestrel-pelvar/aircraft/), then /usr/share/vestrel-pelvar/aircraft/.\n"
    "--check-profiles reports on each of them (or on the FILEs named): ok or what\n"
    "is wrong, and what it changes; with --title (and --path) also which profile\n"
    "that aircraft would get. It exits 1 when any file is invalid, and works\n"
    "while the bridge runs. See /usr/share/doc/vestrel-pelvar/profiles.md.\n"
    "\n"
    "Environment:\n"
    "  VESTREL_PELVAR_LOG=debug          also tell every connection attempt and loss\n"
    "                                    on standard error\n"
    "  VESTREL_PELVAR_PANEL_POLL=always  try to open the panel on every pass instead\n"
    "                                    of looking for it in /sys/class/hidraw first\n"
    "\n"
    "The panel opens without root once the udev rule\n"
    "/usr/lib/udev/rules.d/70-vestrel-pelvar.rules (installed by the package) is in\n"
    "place and the panel is plugged in again.\n";

// What Qt's X11 session management saves as the restart command, which a
// desktop that restores the last session runs at login.
bool IsSessionRestoreOption(const char* argument) {
  return std::strcmp(argument, "-session") == 0 || std::strcmp(argument, "-name") == 0;
}

}  // namespace

int AnswerCommandLine(int argc, const char* const* argv, std::FILE* out, std::FILE* err) {
  int next = 1;
  while (next + 1 < argc && IsSessionRestoreOption(argv[next])) next += 2;
  if (next >= argc) return kRunTheBridge;
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    std::fprintf(out, "vestrel-pelvar %s\n", VP_VERSION);
    return 0;
  }
  if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
    std::fputs(kUsage, out);
    return 0;
  }
  const bool answerFirst = next == 1 && (std::strcmp(argv[1], "--version") == 0 || std::strcmp(argv[1], "--help") == 0);
  std::fprintf(err, "vestrel-pelvar: unexpected argument '%s'\n\n%s", argv[answerFirst ? 2 : next], kUsage);
  return 2;
}
