// Which simulator a SimConnect.cfg points the client at, which files are
// refused, and where the client looks for one.

#include <gtest/gtest.h>

#include <string>

#include "sim/simconnect/Net/ConfigLookup.h"
#include "sim/simconnect/Net/SimConnectConfig.h"
#include "tests/support/TempFolder.h"

namespace {

// A refused file names no address.
const struct {
  const char* text;
  const char* address;
  unsigned short port;
} kCases[] = {
    {"[SimConnect]\nProtocol=IPv4\nAddress=192.168.1.20\nPort=50123\n", "192.168.1.20", 50123},
    {"[SimConnect.0]\nProtocol=IPv4\nAddress=10.0.0.5\nPort=4506\n", "10.0.0.5", 4506},
    {"[SimConnect]\nAddress=10.0.0.1\nPort=1111\n[SimConnect.0]\nAddress=10.0.0.2\nPort=2222\n", "10.0.0.2", 2222},
    {"[SimConnect.1]\nAddress=10.0.0.9\nPort=9999\n[SimConnect]\nPort=700\n", "127.0.0.1", 700},
    {"  [ simconnect ]  \n  protocol = ipv4 \n ADDRESS =  10.1.2.3 \n\tport\t=\t600\n", "10.1.2.3", 600},
    {"; remote\n# simulator\n[SimConnect]\nPort=601 ; its port\nAddress=10.0.0.7 # the PC\n", "10.0.0.7", 601},
    {"[SimConnect]\r\nProtocol=IPv4\r\nAddress=10.0.0.8\r\nPort=602\r\n", "10.0.0.8", 602},
    {"\xEF\xBB\xBF[SimConnect]\nPort=603", "127.0.0.1", 603},  // byte-order mark, no final line end
    {"[SimConnect]\nAddress=localhost\nPort=65535\n", "127.0.0.1", 65535},
    {"[SimConnect]\nProtocol=IPv4\n", "127.0.0.1", 500},  // missing keys keep their defaults
    {"[SimConnect]\nMaxReceiveSize=41088\nDisableNagle=1\nPort=1\nPort=606\n", "127.0.0.1", 606},
    {"", nullptr, 0},
    {"[Other]\nPort=700\n", nullptr, 0},
    {"[SimConnect]\nPort=0\n", nullptr, 0},
    {"[SimConnect]\nPort=65536\n", nullptr, 0},
    {"[SimConnect]\nPort=99999999999999999999\n", nullptr, 0},
    {"[SimConnect]\nPort=50O\n", nullptr, 0},
    {"[SimConnect]\nProtocol=Pipe\nPort=700\n", nullptr, 0},
    {"[SimConnect]\nAddress=flightsim-pc\n", nullptr, 0},  // a name lookup could hold the loop
    {"[SimConnect]\nAddress=10.0.0.256\n", nullptr, 0},
    {"[SimConnect]\nAddress=10.0.1\n", nullptr, 0},
    {"[SimConnect]\nAddress=127.000.000.001\n", nullptr, 0},  // leading zeros: no socket takes them
    {"[SimConnect]\nAddress=010.0.0.1\n", nullptr, 0},
    {"[SimConnect]\nAddress=10.0.0.1.\n", nullptr, 0},
    {"[SimConnect]\nPort=700\nthis is not a key\n", nullptr, 0},
};

TEST(SimConnectConfig, Table) {
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.text);
    SimConnectServer server{"untouched", 1};
    std::string problem;
    EXPECT_EQ(ParseSimConnectConfig(c.text, &server, &problem), c.address != nullptr) << problem;
    EXPECT_EQ(server.address, c.address != nullptr ? c.address : "untouched");
    EXPECT_EQ(server.port, c.address != nullptr ? c.port : 1);
    EXPECT_EQ(problem.empty(), c.address != nullptr) << "a refusal says why";
  }
}

TEST(SimConnectConfig, WorkingFolderFirstThenExecutableFolderAndABrokenFileReportedOnce) {
  TempFolder here(/*enter=*/true), beside;
  std::string problem = "stale";
  EXPECT_EQ(FindSimConnectServer({".", beside.Path() + "/missing"}, &problem).port, 500) << "none at all";
  EXPECT_EQ(problem, "");
  beside.Write("SimConnect.cfg", "[SimConnect]\nPort=51001\n");
  EXPECT_EQ(FindSimConnectServer({".", beside.Path()}, &problem).port, 51001);
  for (const std::string& broken : {std::string(70 * 1024, ';'), std::string("[SimConnect]\nPort=50O\n")}) {
    here.Write("SimConnect.cfg", broken);
    EXPECT_EQ(FindSimConnectServer({".", beside.Path()}, &problem).port, 500) << "a broken file is not skipped";
    EXPECT_NE(problem.find(broken.size() > 1024 ? "too large" : "./SimConnect.cfg: Port=50O"), std::string::npos);
  }
  ::testing::internal::CaptureStderr();
  for (int attempt = 0; attempt < 3; ++attempt) EXPECT_EQ(LookUpSimConnectServer().port, 500);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "SimConnect.cfg not used (./SimConnect.cfg: Port=50O is not a port number (1 to 65535)); "
            "connecting to 127.0.0.1:500\n");
}

}  // namespace
