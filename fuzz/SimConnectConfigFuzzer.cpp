// SimConnect.cfg text of any shape. A parse that fails leaves the result
// untouched; one that succeeds yields a dotted IPv4 address and a usable
// port. Line ends and sections that are not ours must not matter.
//
// Input: the file's text.

#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/FuzzSeams.h"
#include "sim/simconnect/Net/SimConnectConfig.h"

namespace {

bool IsDottedIpv4(const std::string& address) {
  int parts = 0;
  std::size_t at = 0;
  while (true) {
    std::size_t digits = 0;
    int value = 0;
    while (at < address.size() && address[at] >= '0' && address[at] <= '9' && digits < 4) {
      value = value * 10 + (address[at] - '0');
      ++at;
      ++digits;
    }
    if (digits == 0 || digits > 3 || value > 255) return false;
    ++parts;
    if (at == address.size()) return parts == 4;
    if (address[at] != '.') return false;
    ++at;
  }
}

struct Result {
  bool ok;
  SimConnectServer server;
};

Result Parse(std::string_view text) {
  Result result{false, {}};
  result.server.address = "untouched";
  result.server.port = 4242;
  std::string problem;
  result.ok = ParseSimConnectConfig(text, &result.server, &problem);
  if (result.ok) {
    FUZZ_CHECK(IsDottedIpv4(result.server.address), "accepted an address that is not dotted IPv4");
    FUZZ_CHECK(result.server.port != 0, "accepted port 0");
  } else {
    FUZZ_CHECK(result.server.address == "untouched" && result.server.port == 4242, "a failed parse changed the result");
    FUZZ_CHECK(!problem.empty(), "a failed parse without a reason");
  }
  SimConnectServer again;
  FUZZ_CHECK(ParseSimConnectConfig(text, &again) == result.ok, "the two forms disagree");
  return result;
}

bool Same(const Result& a, const Result& b) {
  return a.ok == b.ok && a.server.address == b.server.address && a.server.port == b.server.port;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const Result plain = Parse(text);

  // Windows line ends read the same.
  std::string crlf;
  for (char c : text) {
    if (c == '\n') crlf += '\r';
    crlf += c;
  }
  FUZZ_CHECK(Same(plain, Parse(crlf)), "CRLF line ends changed the result");

  // A further section that is not ours changes nothing.
  const Result extended = Parse(text + "\n[SimConnect.1]\nProtocol=Pipe\nAddress=nowhere\nPort=0\nnot a key\n");
  FUZZ_CHECK(Same(plain, extended), "another configuration's section changed the result");
  return 0;
}
