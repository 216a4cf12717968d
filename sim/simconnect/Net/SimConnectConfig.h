#pragma once

// Reading a SimConnect.cfg: which server the client library connects to.
//
//   [SimConnect]            (or [SimConnect.0])
//   Protocol=IPv4
//   Address=127.0.0.1
//   Port=50123
//
// Configuration index 0 is the one opened, so [SimConnect.0] is taken when
// present and [SimConnect] otherwise; other sections are ignored. Section and
// key names are matched without regard to case; blank lines and lines
// starting with ';' or '#' are comments, and so is anything after a ';' or '#'
// in a value. Keys not given keep their defaults; keys we do not use are
// ignored.

#include <string>
#include <string_view>

struct SimConnectServer {
  std::string address = "127.0.0.1";
  unsigned short port = 500;
};

// Pure: parses the file's text. Returns false when the text is malformed (no
// usable section, a protocol other than IPv4, an address that is neither
// "localhost" nor one the socket layer can use (Ipv4Address.h), a port
// outside 1..65535, or a line in the used section that is neither a comment
// nor key=value); `server` is then left as it was.
bool ParseSimConnectConfig(std::string_view text, SimConnectServer* server);

// The same, also telling what was wrong (for the one report on stderr).
bool ParseSimConnectConfig(std::string_view text, SimConnectServer* server, std::string* problem);
