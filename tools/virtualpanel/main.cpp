// The virtual Dorvik panel: a terminal panel for trying the bridge without
// the hardware, and a scripted one for the end-to-end tests.

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "tools/hidshim/PanelSocketProtocol.h"
#include "tools/virtualpanel/InteractivePanel.h"
#include "tools/virtualpanel/PanelTransport.h"
#include "tools/virtualpanel/QuitSignals.h"
#include "tools/virtualpanel/ScriptRunner.h"

namespace {

void PrintUsage(std::FILE* out) {
  std::fprintf(out,
               "usage: virtualpanel [--socket PATH | --uhid] [--script]\n"
               "  --socket PATH  serve the hidapi shim at PATH (default: $VESTREL_PANEL_SOCKET,\n"
               "                 else a per-user socket); the bridge runs with\n"
               "                 LD_PRELOAD=libvestrel-hidshim.so and the same VESTREL_PANEL_SOCKET\n"
               "  --uhid         create a real HID device through /dev/uhid (the default where usable)\n"
               "  --script       read commands from standard input instead of the keyboard:\n"
               "                 mode N, outer N, inner N, press KEY, release KEY, tap KEY,\n"
               "                 raw HEX, wait MS, quit\n"
               "                 KEY: directto menu clear enter swap push ap hdg nav apr alt vs\n");
}

}  // namespace

int main(int argc, char** argv) {
  std::string socketPath;
  bool socketNamed = false;
  bool uhid = false;
  bool script = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--socket") == 0 && i + 1 < argc) {
      socketPath = argv[++i];
      socketNamed = true;
    } else if (std::strcmp(argv[i], "--uhid") == 0) {
      uhid = true;
    } else if (std::strcmp(argv[i], "--script") == 0) {
      script = true;
    } else if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      PrintUsage(stdout);
      return 0;
    } else {
      PrintUsage(stderr);
      return 2;
    }
  }
  if (uhid && socketNamed) {
    std::fprintf(stderr, "virtualpanel: --socket and --uhid exclude each other\n");
    return 2;
  }
  if (!script && (!isatty(STDIN_FILENO) || !isatty(STDOUT_FILENO))) {
    std::fprintf(stderr, "virtualpanel: the interactive panel needs a terminal (use --script otherwise)\n");
    return 2;
  }

  virtualpanel::InstallQuitSignals();
  std::string error;
  std::unique_ptr<virtualpanel::PanelTransport> transport;
  if (uhid || (!socketNamed && virtualpanel::UhidUsable())) {
    transport = virtualpanel::OpenUhidTransport(&error);
  } else {
    transport = virtualpanel::OpenSocketTransport(socketNamed ? socketPath : panelsocket::DefaultSocketPath(), &error);
  }
  if (!transport) {
    std::fprintf(stderr, "virtualpanel: %s\n", error.c_str());
    return 1;
  }
  return script ? virtualpanel::RunScript(transport.get()) : virtualpanel::RunInteractive(transport.get());
}
