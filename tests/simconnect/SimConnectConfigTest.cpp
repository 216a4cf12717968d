// Which simulator a SimConnect.cfg points the client at, and which files are
// refused (the client then reports the file and uses 127.0.0.1:500).

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>

#include "sim/simconnect/Net/ConfigLookup.h"
#include "sim/simconnect/Net/SimConnectConfig.h"
#include "support/TempFolder.h"

namespace {

struct ConfigCase {
  const char* name;
  const char* text;
  bool accepted;
  const char* address;
  unsigned short port;
};

const ConfigCase kCases[] = {
    {"plain section", "[SimConnect]\nProtocol=IPv4\nAddress=192.168.1.20\nPort=50123\n", true, "192.168.1.20", 50123},
    {"indexed section", "[SimConnect.0]\nProtocol=IPv4\nAddress=10.0.0.5\nPort=4506\n", true, "10.0.0.5", 4506},
    {"index 0 wins over the plain one",
     "[SimConnect]\nAddress=10.0.0.1\nPort=1111\n[SimConnect.0]\nAddress=10.0.0.2\nPort=2222\n", true, "10.0.0.2",
     2222},
    {"other indexes are not ours", "[SimConnect.1]\nAddress=10.0.0.9\nPort=9999\n[SimConnect]\nPort=700\n", true,
     "127.0.0.1", 700},
    {"spacing and case", "  [ simconnect ]  \n  protocol = ipv4 \n ADDRESS =  10.1.2.3 \n\tport\t=\t600\n", true,
     "10.1.2.3", 600},
    {"comments", "; remote simulator\n# second comment\n[SimConnect]\nPort=601 ; the sim's port\nAddress=10.0.0.7 # pc\n",
     true, "10.0.0.7", 601},
    {"CRLF line ends", "[SimConnect]\r\nProtocol=IPv4\r\nAddress=10.0.0.8\r\nPort=602\r\n", true, "10.0.0.8", 602},
    {"byte-order mark", "\xEF\xBB\xBF[SimConnect]\nPort=603\n", true, "127.0.0.1", 603},
    {"no final line end", "[SimConnect]\nPort=604", true, "127.0.0.1", 604},
    {"localhost", "[SimConnect]\nAddress=localhost\nPort=605\n", true, "127.0.0.1", 605},
    {"missing keys keep defaults", "[SimConnect]\nProtocol=IPv4\n", true, "127.0.0.1", 500},
    {"keys we do not use", "[SimConnect]\nMaxReceiveSize=41088\nDisableNagle=1\nPort=606\n", true, "127.0.0.1", 606},
    {"last duplicate wins", "[SimConnect]\nPort=1\nPort=607\n", true, "127.0.0.1", 607},
    {"highest port", "[SimConnect]\nPort=65535\n", true, "127.0.0.1", 65535},

    {"empty file", "", false, "127.0.0.1", 500},
    {"no SimConnect section", "[Other]\nPort=700\n", false, "127.0.0.1", 500},
    {"keys before any section", "Port=700\n", false, "127.0.0.1", 500},
    {"port zero", "[SimConnect]\nPort=0\n", false, "127.0.0.1", 500},
    {"port too big", "[SimConnect]\nPort=65536\n", false, "127.0.0.1", 500},
    {"port far too big", "[SimConnect]\nPort=99999999999999999999\n", false, "127.0.0.1", 500},
    {"negative port", "[SimConnect]\nPort=-5\n", false, "127.0.0.1", 500},
    {"port with letters", "[SimConnect]\nPort=50O\n", false, "127.0.0.1", 500},
    {"empty port", "[SimConnect]\nPort=\n", false, "127.0.0.1", 500},
    {"pipe protocol", "[SimConnect]\nProtocol=Pipe\nPort=700\n", false, "127.0.0.1", 500},
    {"IPv6 protocol", "[SimConnect]\nProtocol=IPv6\nAddress=::1\nPort=700\n", false, "127.0.0.1", 500},
    {"host name", "[SimConnect]\nAddress=flightsim-pc\nPort=700\n", false, "127.0.0.1", 500},
    {"address part too big", "[SimConnect]\nAddress=10.0.0.256\n", false, "127.0.0.1", 500},
    {"address too short", "[SimConnect]\nAddress=10.0.1\n", false, "127.0.0.1", 500},
    {"stray line in our section", "[SimConnect]\nPort=700\nthis is not a key\n", false, "127.0.0.1", 500},
};

TEST(SimConnectConfig, Table) {
  for (const ConfigCase& c : kCases) {
    SimConnectServer server;
    server.address = "untouched";
    server.port = 1;
    std::string problem;
    const bool accepted = ParseSimConnectConfig(c.text, &server, &problem);
    EXPECT_EQ(accepted, c.accepted) << c.name << ": " << problem;
    if (accepted) {
      EXPECT_EQ(server.address, c.address) << c.name;
      EXPECT_EQ(server.port, c.port) << c.name;
      EXPECT_TRUE(problem.empty()) << c.name;
    } else {
      EXPECT_EQ(server.address, "untouched") << c.name << ": a refused file leaves the result alone";
      EXPECT_EQ(server.port, 1) << c.name;
      EXPECT_FALSE(problem.empty()) << c.name << ": says why";
    }
  }
}

TEST(SimConnectConfig, DefaultIsThisMachinePort500) {
  const SimConnectServer server;
  EXPECT_EQ(server.address, "127.0.0.1");
  EXPECT_EQ(server.port, 500);
}

TEST(SimConnectConfigLookup, WorkingDirectoryFirstThenExecutableFolder) {
  testnet::TempFolder first(false), second(false);
  second.Write("SimConnect.cfg", "[SimConnect]\nPort=51001\n");
  std::string problem;
  SimConnectServer server = FindSimConnectServer({first.path(), second.path()}, &problem);
  EXPECT_EQ(server.port, 51001) << "the first folder has none, so the second one's is used";
  EXPECT_TRUE(problem.empty());

  first.Write("SimConnect.cfg", "[SimConnect.0]\nPort=51002\n");
  server = FindSimConnectServer({first.path(), second.path()}, &problem);
  EXPECT_EQ(server.port, 51002);
}

TEST(SimConnectConfigLookup, NoFileAnywhereMeansTheDefaultQuietly) {
  testnet::TempFolder empty(false);
  std::string problem = "stale";
  const SimConnectServer server = FindSimConnectServer({empty.path(), empty.path() + "/missing"}, &problem);
  EXPECT_EQ(server.address, "127.0.0.1");
  EXPECT_EQ(server.port, 500);
  EXPECT_TRUE(problem.empty());
}

TEST(SimConnectConfigLookup, BadOrUnreadableFileMeansTheDefaultWithAReason) {
  testnet::TempFolder folder(false), fallback(false);
  fallback.Write("SimConnect.cfg", "[SimConnect]\nPort=51003\n");

  folder.Write("SimConnect.cfg", "[SimConnect]\nPort=banana\n");
  std::string problem;
  SimConnectServer server = FindSimConnectServer({folder.path(), fallback.path()}, &problem);
  EXPECT_EQ(server.port, 500) << "a broken file is not skipped over to the next one";
  EXPECT_NE(problem.find("Port=banana"), std::string::npos) << problem;
  EXPECT_NE(problem.find(folder.path()), std::string::npos) << "names the file: " << problem;

  std::filesystem::remove(folder.path() + "/SimConnect.cfg");
  std::filesystem::create_directory(folder.path() + "/SimConnect.cfg");
  server = FindSimConnectServer({folder.path(), fallback.path()}, &problem);
  EXPECT_EQ(server.port, 500);
  EXPECT_FALSE(problem.empty()) << "a folder in the file's place cannot be read";

  std::filesystem::remove(folder.path() + "/SimConnect.cfg");
  folder.Write("SimConnect.cfg", std::string(70 * 1024, ';'));
  server = FindSimConnectServer({folder.path(), fallback.path()}, &problem);
  EXPECT_EQ(server.port, 500);
  EXPECT_NE(problem.find("too large"), std::string::npos) << problem;
}

}  // namespace
