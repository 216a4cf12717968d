#pragma once

// Stand-ins for hidapi, SimConnect and the tray, small enough to reset and
// run millions of times. Unlike the recording fakes of the test suite they
// keep no history: every transmission is handed to a checker as it happens,
// so a broken invariant stops the fuzzer at the call that broke it.

#include <cstdint>
#include <vector>

#include "sim/SimConnect.h"

// Aborts with a message; libFuzzer then saves the input that got here.
[[noreturn]] void FuzzFail(const char* what, unsigned long long a = 0, unsigned long long b = 0);
#define FUZZ_CHECK(condition, ...) \
  do {                             \
    if (!(condition)) FuzzFail(__VA_ARGS__); \
  } while (0)

namespace fuzzpanel {

using Bytes = std::vector<unsigned char>;

void Reset();
void PlugIn();
void Unplug();           // open handles fail their reads, the queue is lost
void QueueReport(const unsigned char* bytes, std::size_t length);
void QueueReadError();
// The report that the last successful read handed out: every command issued
// before the next read was caused by it.
const Bytes& CurrentReport();
int OpenHandles();

}  // namespace fuzzpanel

namespace fuzzsim {

using Bytes = std::vector<unsigned char>;

// Called for every SimConnect_TransmitClientEvent that reaches an open
// connection; the seam has already checked the handle and the fixed
// arguments.
using TransmissionCheck = void (*)(SimConnectDword eventId, SimConnectDword data);

void Reset();
void SetRunning(bool running);   // SimConnect_Open succeeds only while running
void FailNextDispatch();         // the next dispatch reports a lost connection
// Handed to the dispatch callback by the next dispatch, in an exact-size heap
// buffer so that the address sanitizer sees any read past its end. `tag` is
// returned by LastDeliveredTag once the message has been delivered.
void QueueMessage(const unsigned char* bytes, std::size_t length, int tag = 0);
int LastDeliveredTag();
unsigned long Delivered();  // messages handed to the callback so far
void SetTransmissionCheck(TransmissionCheck check);
int OpenConnections();
unsigned long Transmissions();

}  // namespace fuzzsim
