#include "tools/hidshim/PanelSocketProtocol.h"

#include <unistd.h>

#include <cstdlib>
#include <cstring>

namespace panelsocket {

namespace {

bool KnownType(unsigned char type) {
  return type == kFrameHello || type == kFrameBusy || type == kFrameInput || type == kFrameOutput;
}

}  // namespace

int EncodeFrame(unsigned char type, const unsigned char* payload, std::size_t length, unsigned char* out) {
  if (length > static_cast<std::size_t>(kMaxFramePayload)) return 0;
  if (length > 0 && payload == nullptr) return 0;
  out[0] = type;
  out[1] = static_cast<unsigned char>(length);
  if (length > 0) std::memcpy(out + kFrameHeaderSize, payload, length);
  return kFrameHeaderSize + static_cast<int>(length);
}

int ExtractFrame(const unsigned char* data, std::size_t length, Frame* frame) {
  if (length < 1) return 0;
  if (!KnownType(data[0])) return -1;
  if (length < static_cast<std::size_t>(kFrameHeaderSize)) return 0;
  const int payloadLength = data[1];
  if (payloadLength > kMaxFramePayload) return -1;
  const std::size_t total = static_cast<std::size_t>(kFrameHeaderSize + payloadLength);
  if (length < total) return 0;
  frame->type = data[0];
  frame->length = payloadLength;
  std::memcpy(frame->payload, data + kFrameHeaderSize, static_cast<std::size_t>(payloadLength));
  return static_cast<int>(total);
}

std::string DefaultSocketPath() {
  const char* named = std::getenv("VESTREL_PANEL_SOCKET");
  if (named != nullptr && named[0] != '\0') return named;
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && runtime[0] != '\0') return std::string(runtime) + "/vestrel-panel.sock";
  return "/tmp/vestrel-panel-" + std::to_string(static_cast<unsigned long>(getuid())) + ".sock";
}

}  // namespace panelsocket
