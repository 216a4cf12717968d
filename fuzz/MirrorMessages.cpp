#include "fuzz/MirrorMessages.h"

#include <cstring>

#include "sim/SimConnect.h"

namespace mirror {
namespace {

struct Block0 {
  double com1, com2, nav1, nav2, heading, course1, course2;
};
static_assert(sizeof(Block0) == 56, "definition 0 is seven floats");

double NavChannel(std::uint8_t b) { return 108.0 + (b % 200) * 0.05; }
double Degrees(std::uint16_t v) { return (v % 3601) / 10.0; }

std::int32_t OctalSquawk(std::uint16_t v) {
  std::int32_t code = 0;
  for (int digit = 0; digit < 4; ++digit) code |= ((v >> (3 * digit)) & 7) << (4 * digit);
  return code;
}

}  // namespace

Bytes DataMessage(std::uint32_t request, const void* block, std::size_t size) {
  Bytes message(kSimObjectDataBlockOffset + size);
  const std::uint32_t header[10] = {static_cast<std::uint32_t>(message.size()), 5, SIMCONNECT_RECV_ID_SIMOBJECT_DATA,
                                    request, 0, request, 0, 0, 1, 1};
  std::memcpy(message.data(), header, sizeof header);
  std::memcpy(message.data() + kSimObjectDataBlockOffset, block, size);
  return message;
}

void PlausibleAircraft(ByteReader& in, Bytes* request0, Bytes* request1) {
  Block0 b0{118.0, 121.5, NavChannel(in.Byte()), NavChannel(in.Byte()), Degrees(in.U16()), Degrees(in.U16()),
            Degrees(in.U16())};
  // Definition 1 is two floats and seven integers, 44 bytes with no padding.
  const double floats[2] = {in.U16() * 0.5, 0.0};
  std::int32_t ints[7] = {OctalSquawk(in.U16())};
  const std::uint8_t flags = in.Byte();
  for (int bit = 0; bit < 6; ++bit) ints[1 + bit] = (flags >> bit) & 1;
  unsigned char b1[sizeof floats + sizeof ints];
  std::memcpy(b1, floats, sizeof floats);
  std::memcpy(b1 + sizeof floats, ints, sizeof ints);
  *request0 = DataMessage(0, &b0, sizeof b0);
  *request1 = DataMessage(1, b1, sizeof b1);
}

void RawAircraft(ByteReader& in, Bytes* request0, Bytes* request1) {
  unsigned char b0[56], b1[44];
  in.Fill(b0, sizeof b0);
  in.Fill(b1, sizeof b1);
  *request0 = DataMessage(0, b0, sizeof b0);
  *request1 = DataMessage(1, b1, sizeof b1);
}

}  // namespace mirror
