#pragma once

// One connected client as the simulator sees it: its open handshake, the
// event names and data definitions it registered, its data requests, and the
// bytes waiting to be sent to it.

#include <chrono>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "Aircraft.h"
#include "AircraftIdentity.h"
#include "Console.h"
#include "LocalVariables.h"
#include "sim/simconnect/Net/ClientRequests.h"
#include "sim/simconnect/Net/WireDecoder.h"

// What all sessions share: the aircraft, which one it is, its L:vars and
// the counters of the state line.
struct Simulation {
  Aircraft aircraft;
  AircraftIdentity identity = BuiltInAircraft().front();
  LocalVariables localVariables;
  Console* console = nullptr;
  std::uint64_t events = 0;  // client events received, of any kind
  int framesPerSecond = 30;
};

class ClientSession {
 public:
  using Clock = std::chrono::steady_clock;

  ClientSession(int socket, Simulation* simulation);
  ~ClientSession();
  ClientSession(const ClientSession&) = delete;
  ClientSession& operator=(const ClientSession&) = delete;

  int socket() const { return socket_; }
  bool opened() const { return opened_; }
  const std::string& name() const { return name_; }
  std::size_t mappedEvents() const { return mapped_.size(); }

  // Takes received bytes and acts on every complete request. False when the
  // client broke the protocol and must be dropped.
  bool Receive(const unsigned char* bytes, std::size_t size, Clock::time_point now);

  // Queues the data messages due in simulation frame `frame`.
  void Frame(std::uint64_t frame);
  bool HasDataRequests() const { return !requests_.empty(); }

  // Queues the message that tells the client the simulator is closing.
  void QueueQuit();

  // Tells the client's "AircraftLoaded" subscriptions that another aircraft
  // is loaded (the TITLE follows by its data requests).
  void AircraftLoaded();

  std::vector<unsigned char>& outgoing() { return outgoing_; }

 private:
  struct Datum {
    std::string name;
    std::string units;
    std::uint32_t type;
  };
  struct DataRequest {
    std::uint32_t defineId = 0;
    std::uint32_t objectId = 0;
    std::uint32_t period = 0;
    std::uint32_t flags = 0;
    std::uint32_t origin = 0;
    std::uint32_t interval = 0;
    std::uint32_t limit = 0;
    std::uint64_t firstFrame = 0;
    bool started = false;
    std::uint64_t periodsSeen = 0;
    std::uint64_t sent = 0;
    std::vector<unsigned char> lastBlock;
  };

  void Handle(const simwire::ClientRequest& request, Clock::time_point now);
  void HandleOpen(const simwire::ClientRequest& request);
  void HandleTransmit(const simwire::ClientRequest& request, Clock::time_point now);
  void HandleDefinition(const simwire::ClientRequest& request);
  void HandleDataRequest(const simwire::ClientRequest& request);
  void HandleMap(const simwire::ClientRequest& request);
  void HandleSetData(const simwire::ClientRequest& request);
  void HandleSystemState(const simwire::ClientRequest& request);
  void HandleSubscribe(const simwire::ClientRequest& request);
  double ReadNumber(const Datum& datum) const;
  void Exception(std::uint32_t code, std::uint32_t serial, std::uint32_t index);
  std::vector<unsigned char> Block(const std::vector<Datum>& definition) const;
  bool Due(DataRequest* request, std::uint64_t frame) const;

  int socket_;
  Simulation* simulation_;
  simwire::WireDecoder decoder_{simwire::kRequestHeaderSize, simwire::kMaxMessageSize};
  std::vector<unsigned char> request_;
  std::vector<unsigned char> outgoing_;
  bool opened_ = false;
  std::string name_;
  std::uint32_t protocol_ = simwire::kProtocolVersion;
  std::map<std::uint32_t, std::string> mapped_;
  std::map<std::uint32_t, std::vector<Datum>> definitions_;
  std::map<std::uint32_t, DataRequest> requests_;
  std::vector<std::uint32_t> aircraftLoadedEvents_;  // client event ids subscribed to "AircraftLoaded"
};
