#pragma once

// The virtual panel and the hidapi shim talk over a Unix stream socket. A
// stream has no message boundaries, so every message travels as a frame:
// one type byte, one length byte, then that many payload bytes.
//
// The panel greets each bridge it accepts with a hello frame, or with a busy
// frame (and hangs up) when another bridge already holds it; afterwards it
// sends input frames, and the bridge answers with output frames.

#include <cstddef>
#include <string>

namespace panelsocket {

enum FrameType : unsigned char {
  kFrameHello = 'H',
  kFrameBusy = 'B',
  kFrameInput = 'I',
  kFrameOutput = 'O',
};

// Larger than any report the panel or the bridge has, and the size of a full
// USB full-speed HID report, so every report that could exist fits.
constexpr int kMaxFramePayload = 64;
constexpr int kFrameHeaderSize = 2;
constexpr int kMaxFrameSize = kFrameHeaderSize + kMaxFramePayload;

// The version byte carried by the hello frame.
constexpr unsigned char kProtocolVersion = 1;

struct Frame {
  unsigned char type;
  int length;
  unsigned char payload[kMaxFramePayload];
};

// Writes one frame into `out` (room for kMaxFrameSize bytes). Returns the
// frame's size, or 0 when the payload does not fit a frame.
int EncodeFrame(unsigned char type, const unsigned char* payload, std::size_t length, unsigned char* out);

// Looks for one complete frame at the start of `data`. Returns the number of
// bytes it occupies (> 0, `frame` filled), 0 when more bytes are needed, or
// -1 when the bytes cannot be a frame at all (unknown type, oversized length):
// the stream is then out of step for good.
int ExtractFrame(const unsigned char* data, std::size_t length, Frame* frame);

// The socket both sides use when nothing names one: VESTREL_PANEL_SOCKET,
// else vestrel-panel.sock in XDG_RUNTIME_DIR, else /tmp/vestrel-panel-<uid>.sock.
std::string DefaultSocketPath();

}  // namespace panelsocket
