#pragma once

// A scripted panel behind hidapi's API. One panel can be plugged in at a
// time; each successful hid_open hands out a new handle, and handles of an
// unplugged panel fail every read.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace fakehid {

using Bytes = std::vector<unsigned char>;

void Reset();   // nothing plugged in, no handles, nothing recorded
void PlugIn();  // hid_open for the panel's ids succeeds from now on
void Unplug();  // reads on open handles fail; hid_open fails

void QueueReport(const Bytes& bytes);  // any length; delivered to the current handle
void QueueReadError();                 // the next read returns -1 (panel stays plugged in)
std::size_t PendingReports();

const std::vector<Bytes>& Writes();  // every hid_write, in order
void ClearWrites();

int OpenHandles();  // handles opened and not yet closed
int OpenCalls();    // hid_open calls, successful or not
int ReadCalls();
bool LastHandleNonBlocking();
void FailNextNonBlocking();  // the next hid_set_nonblocking returns -1

}  // namespace fakehid
