#include "LiveView.h"

#include <cstdio>

namespace {

constexpr const char* kHome = "\x1b[H";
constexpr const char* kClearToEnd = "\x1b[J";
constexpr const char* kClearLine = "\x1b[K";
constexpr const char* kBold = "\x1b[1m";
constexpr const char* kDim = "\x1b[2m";
constexpr const char* kEngaged = "\x1b[1;30;42m";  // lit lamp: black on green
constexpr const char* kReset = "\x1b[0m";
constexpr int kVariableRows = 3;

std::string Lamp(const char* label, bool on) {
  return std::string(on ? kEngaged : kDim) + "[" + label + "]" + kReset + " ";
}

std::string Degrees(std::int32_t value) {
  char text[8];
  std::snprintf(text, sizeof text, "%03d", value);
  return text;
}

void Row(std::string* screen, const std::string& text) {
  *screen += text;
  *screen += kClearLine;
  *screen += "\r\n";
}

}  // namespace

const char* LiveViewEnter() { return "\x1b[?1049h\x1b[?25l"; }
const char* LiveViewLeave() { return "\x1b[0m\x1b[?25h\x1b[?1049l"; }

std::string RenderLiveView(const Simulation& simulation, const Console& console, const LiveViewInfo& info) {
  const AircraftState& s = simulation.aircraft.state();
  std::string screen = kHome;
  char line[160];

  std::snprintf(line, sizeof line, "%sSIMULATOR STAND-IN%s   127.0.0.1:%u   %d client%s %s", kBold, kReset,
                static_cast<unsigned>(info.port), info.clients, info.clients == 1 ? "" : "s",
                info.clientName.empty() ? "" : ("(\"" + info.clientName + "\")").c_str());
  Row(&screen, line);
  Row(&screen, std::string("  ") + kBold + simulation.identity.title.substr(0, 56) + kReset);
  Row(&screen, std::string("  ") + kDim + simulation.identity.path.substr(0, 76) + kReset);
  Row(&screen, "------------------------------------------------------------");
  std::snprintf(line, sizeof line, "  COM1  %s%s%s  stby %-8s     NAV1  %s%s%s  stby %s", kBold,
                FormatMhz(s.com1Active, true).c_str(), kReset, FormatMhz(s.com1Standby, true).c_str(), kBold,
                FormatMhz(s.nav1Active).c_str(), kReset, FormatMhz(s.nav1Standby).c_str());
  Row(&screen, line);
  std::snprintf(line, sizeof line, "  COM2  %s%s%s  stby %-8s     NAV2  %s%s%s  stby %s", kBold,
                FormatMhz(s.com2Active, true).c_str(), kReset, FormatMhz(s.com2Standby, true).c_str(), kBold,
                FormatMhz(s.nav2Active).c_str(), kReset, FormatMhz(s.nav2Standby).c_str());
  Row(&screen, line);
  Row(&screen, "");
  std::snprintf(line, sizeof line, "  HDG BUG %s    CRS1 %s    CRS2 %s    BARO %s inHg", Degrees(s.headingBug).c_str(),
                Degrees(s.course1).c_str(), Degrees(s.course2).c_str(), FormatInHg(s.baroHundredths).c_str());
  Row(&screen, line);
  Row(&screen, "");
  Row(&screen, "  AUTOPILOT  " + Lamp("AP", s.apMaster) + Lamp("HDG", s.apHeading) + Lamp("NAV", s.apNav1) +
                   Lamp("APR", s.apApproach) + Lamp("ALT", s.apAltitude) + Lamp("VS", s.apVs));
  std::snprintf(line, sizeof line, "             ALT %d ft    VS %+d fpm", s.apAltitudeFeet, s.apVerticalSpeed);
  Row(&screen, line);
  Row(&screen, "");
  std::snprintf(line, sizeof line, "  XPDR  %s%s%s  %s", kBold, FormatSquawk(s.squawk).c_str(), kReset,
                s.ident ? (std::string(kEngaged) + "[IDENT]" + kReset).c_str() : "");
  Row(&screen, line);
  // The L:vars written so far, by the client or on the command line, as
  // many as fit a few rows.
  std::string variables;
  int rows = 0;
  for (const auto& variable : simulation.localVariables.written()) {
    const std::string item = "L:" + variable.first + "=" + FormatVariableValue(variable.second);
    if (!variables.empty() && variables.size() + item.size() + 2 > 76) {
      Row(&screen, "  " + variables);
      variables.clear();
      if (++rows == kVariableRows) break;
    }
    variables += (variables.empty() ? "" : "  ") + item;
  }
  if (!variables.empty()) Row(&screen, "  " + variables.substr(0, 76));
  Row(&screen, "------------------------------------------------------------");
  std::snprintf(line, sizeof line, "  %llu events received", static_cast<unsigned long long>(simulation.events));
  Row(&screen, line);
  for (const std::string& recent : console.recent()) Row(&screen, "  " + recent.substr(0, 76));
  Row(&screen, "");
  Row(&screen, std::string(kDim) + "  a: next aircraft   commands: state | drop | lvar L:NAME VALUE | quit" + kReset);
  screen += kClearToEnd;
  return screen;
}
