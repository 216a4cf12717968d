// simstandin: a SimConnect protocol server with one simulated aircraft, for
// running and testing the bridge without the simulator.

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "StandInServer.h"
#include "sim/simconnect/Net/ConfigLookup.h"

namespace {

void Usage() {
  std::fputs(
      "usage: simstandin [--port N] [--rate HZ] [--display] [--aircraft NAME] [--title TEXT] [--path TEXT]\n"
      "       simstandin --client-address [FOLDER]\n"
      "  --port N    TCP port on 127.0.0.1 (default 500; 0 picks a free one)\n"
      "  --rate HZ   simulation frames per second for data requests (default 30)\n"
      "  --display   draw a live view of the aircraft instead of log lines;\n"
      "              the key a loads the next built-in aircraft\n"
      "  --aircraft NAME  the aircraft loaded at the start, one of: ",
      stderr);
  std::fputs(BuiltInAircraftKeys().c_str(), stderr);
  std::fputs(
      " (default: default)\n"
      "  --title TEXT, --path TEXT  its TITLE or its AircraftLoaded file path instead\n"
      "  --client-address  print \"ADDRESS PORT\" of the server a client started in\n"
      "              FOLDER (default: here) connects to, from its SimConnect.cfg\n"
      "commands on stdin: state, drop, pause (hold the data back), resume, quit,\n"
      "  aircraft NAME (load a built-in aircraft), aircraft-title TEXT, aircraft-path TEXT,\n"
      "  lvar L:NAME VALUE (set an L:var as the aircraft would)\n",
      stderr);
}

bool ParseNumber(const char* text, long lowest, long highest, long* value) {
  char* end = nullptr;
  errno = 0;
  const long parsed = std::strtol(text, &end, 10);
  if (errno != 0 || end == text || *end != '\0' || parsed < lowest || parsed > highest) return false;
  *value = parsed;
  return true;
}

// The same lookup the bridge's client makes, so scripts never parse a
// SimConnect.cfg of their own.
int PrintClientAddress(const std::string& folder) {
  std::string problem;
  const SimConnectServer server = FindSimConnectServer({folder}, &problem);
  if (!problem.empty()) std::fprintf(stderr, "simstandin: %s; a client would use the default\n", problem.c_str());
  std::printf("%s %u\n", server.address.c_str(), static_cast<unsigned>(server.port));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 && std::string(argv[1]) == "--client-address" && argc <= 3) {
    return PrintClientAddress(argc == 3 ? argv[2] : ".");
  }
  StandInOptions options;
  std::string title, path;  // override the aircraft's, whatever the order
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    long value;
    if (arg == "--port" && i + 1 < argc && ParseNumber(argv[i + 1], 0, 65535, &value)) {
      options.port = static_cast<unsigned short>(value);
      ++i;
    } else if (arg == "--rate" && i + 1 < argc && ParseNumber(argv[i + 1], 1, 1000, &value)) {
      options.framesPerSecond = static_cast<int>(value);
      ++i;
    } else if (arg == "--aircraft" && i + 1 < argc && FindBuiltInAircraft(argv[i + 1]) != nullptr) {
      options.aircraft = *FindBuiltInAircraft(argv[++i]);
    } else if ((arg == "--title" || arg == "--path") && i + 1 < argc && argv[i + 1][0] != '\0') {
      (arg == "--title" ? title : path) = argv[++i];
    } else if (arg == "--display") {
      options.display = true;
    } else if (arg == "--help" || arg == "-h") {
      Usage();
      return 0;
    } else {
      std::fprintf(stderr, "simstandin: bad argument \"%s\"\n", arg.c_str());
      Usage();
      return 2;
    }
  }
  if (!title.empty()) options.aircraft.title = title;
  if (!path.empty()) options.aircraft.path = path;
  if (!title.empty() || !path.empty()) options.aircraft.key.clear();
  return RunStandIn(options);
}
