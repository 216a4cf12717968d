// The layouts of the requests our client sends and the messages it reads,
// checked byte by byte against the protocol's field offsets.

#include <gtest/gtest.h>

#include <cstddef>
#include <string>

#include "sim/SimConnect.h"
#include "sim/simconnect/Net/ByteOrder.h"
#include "sim/simconnect/Net/ClientRequests.h"
#include "sim/simconnect/Net/ServerMessages.h"

namespace {

using simwire::Bytes;
using simwire::ReadU32;

std::string TextAt(const Bytes& bytes, std::size_t offset) {
  return std::string(simwire::ReadText(bytes.data() + offset, simwire::kNameFieldSize));
}

void ExpectRequestHeader(const Bytes& bytes, std::uint32_t size, std::uint32_t kind, std::uint32_t serial) {
  ASSERT_EQ(bytes.size(), size);
  EXPECT_EQ(ReadU32(&bytes[0]), size);
  EXPECT_EQ(ReadU32(&bytes[4]), 5u) << "protocol version";
  EXPECT_EQ(ReadU32(&bytes[8]), 0xF0000000u | kind);
  EXPECT_EQ(ReadU32(&bytes[12]), serial);
}

TEST(ClientRequestLayout, TransmitClientEventIsFiveWordsAfterTheHeader) {
  Bytes bytes;
  simwire::EncodeTransmitClientEvent(&bytes, 7, 0, 2, 0x11150, 1, 0x10);
  const Bytes expected = {
      0x24, 0, 0, 0,  0x05, 0, 0, 0,  0x05, 0, 0, 0xF0,  0x07, 0, 0, 0,  // size 36, protocol 5, kind, serial
      0, 0, 0, 0,                                                         // object 0: the user aircraft
      0x02, 0, 0, 0,                                                      // NAV1_STBY_SET's client event
      0x50, 0x11, 0x01, 0,                                                // 111.50 MHz as BCD
      0x01, 0, 0, 0,                                                      // highest priority
      0x10, 0, 0, 0,                                                      // group is a priority
  };
  EXPECT_EQ(bytes, expected);
}

TEST(ClientRequestLayout, OpenCarriesTheClientNameAndLibraryVersion) {
  Bytes bytes;
  simwire::EncodeOpen(&bytes, 1, "Request Data");
  ExpectRequestHeader(bytes, 296, 0x01, 1);
  EXPECT_EQ(TextAt(bytes, 16), "Request Data");
  EXPECT_EQ(bytes[16 + 12], 0) << "name is zero-padded";
  EXPECT_EQ(bytes[16 + 255], 0);
  EXPECT_EQ(ReadU32(&bytes[272]), 0u);
  const Bytes alias(bytes.begin() + 276, bytes.begin() + 280);
  EXPECT_EQ(alias, (Bytes{0, 'H', 'K', 0}));
  EXPECT_EQ(ReadU32(&bytes[280]), 11u);
  EXPECT_EQ(ReadU32(&bytes[284]), 0u);
  EXPECT_EQ(ReadU32(&bytes[288]), 62651u);
  EXPECT_EQ(ReadU32(&bytes[292]), 3u);
}

TEST(ClientRequestLayout, MapClientEventNamesTheEventInAFixedField) {
  Bytes bytes;
  simwire::EncodeMapClientEventToSimEvent(&bytes, 2, 104, "MobiFlight.C_172_AP_NOSE_DN");
  ExpectRequestHeader(bytes, 276, 0x04, 2);
  EXPECT_EQ(ReadU32(&bytes[16]), 104u);
  EXPECT_EQ(TextAt(bytes, 20), "MobiFlight.C_172_AP_NOSE_DN");
}

TEST(ClientRequestLayout, AddToDataDefinitionHasNameUnitTypeEpsilonAndDatum) {
  Bytes bytes;
  simwire::EncodeAddToDataDefinition(&bytes, 3, 1, "TRANSPONDER CODE:1", "BCO16", SIMCONNECT_DATATYPE_INT32, 0.5f,
                                     SIMCONNECT_UNUSED);
  ExpectRequestHeader(bytes, 544, 0x0C, 3);
  EXPECT_EQ(ReadU32(&bytes[16]), 1u);
  EXPECT_EQ(TextAt(bytes, 20), "TRANSPONDER CODE:1");
  EXPECT_EQ(TextAt(bytes, 276), "BCO16");
  EXPECT_EQ(ReadU32(&bytes[532]), 1u);
  EXPECT_EQ(simwire::ReadF32(&bytes[536]), 0.5f);
  EXPECT_EQ(ReadU32(&bytes[540]), 0xFFFFFFFFu);
}

TEST(ClientRequestLayout, RequestDataOnSimObjectIsEightWords) {
  Bytes bytes;
  simwire::EncodeRequestDataOnSimObject(&bytes, 4, 1, 1, 0, 3, 0, 0, 0, 0);
  ExpectRequestHeader(bytes, 48, 0x0E, 4);
  const std::uint32_t expected[8] = {1, 1, 0, 3, 0, 0, 0, 0};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(ReadU32(&bytes[16 + 4 * i]), expected[i]) << "word " << i;
}

TEST(ClientRequestLayout, OverlongNamesAreCutAndStillTerminated) {
  Bytes bytes;
  simwire::EncodeMapClientEventToSimEvent(&bytes, 1, 0, std::string(300, 'X'));
  ASSERT_EQ(bytes.size(), 276u) << "the field never grows";
  EXPECT_EQ(TextAt(bytes, 20), std::string(255, 'X'));
}

TEST(ClientRequestDecoding, EveryRequestWeSendDecodesToItsArguments) {
  Bytes bytes;
  simwire::ClientRequest r;

  simwire::EncodeOpen(&bytes, 1, "Request Data");
  ASSERT_EQ(simwire::DecodeClientRequest(bytes.data(), bytes.size(), &r), simwire::DecodeResult::kDecoded);
  EXPECT_EQ(r.kind, simwire::kRequestOpen);
  EXPECT_EQ(r.name, "Request Data");
  EXPECT_EQ(r.version[0], 11u);
  EXPECT_EQ(r.version[2], 62651u);

  bytes.clear();
  simwire::EncodeMapClientEventToSimEvent(&bytes, 2, 95, "AP_MASTER");
  ASSERT_EQ(simwire::DecodeClientRequest(bytes.data(), bytes.size(), &r), simwire::DecodeResult::kDecoded);
  EXPECT_EQ(r.serial, 2u);
  EXPECT_EQ(r.numbers[0], 95u);
  EXPECT_EQ(r.name, "AP_MASTER");

  bytes.clear();
  simwire::EncodeAddToDataDefinition(&bytes, 3, 0, "NAV OBS:2", "degrees", SIMCONNECT_DATATYPE_FLOAT64, 0.0f, 0xFFFFFFFF);
  ASSERT_EQ(simwire::DecodeClientRequest(bytes.data(), bytes.size(), &r), simwire::DecodeResult::kDecoded);
  EXPECT_EQ(r.name, "NAV OBS:2");
  EXPECT_EQ(r.units, "degrees");
  EXPECT_EQ(r.numbers[1], 4u);
  EXPECT_EQ(r.numbers[2], 0xFFFFFFFFu);

  bytes.clear();
  simwire::EncodeRequestDataOnSimObject(&bytes, 4, 1, 1, 0, 3, 0, 0, 0, 0);
  ASSERT_EQ(simwire::DecodeClientRequest(bytes.data(), bytes.size(), &r), simwire::DecodeResult::kDecoded);
  EXPECT_EQ(r.numbers[0], 1u);
  EXPECT_EQ(r.numbers[3], 3u);

  bytes.clear();
  simwire::EncodeTransmitClientEvent(&bytes, 5, 0, 7, 0x7700, 1, 0x10);
  ASSERT_EQ(simwire::DecodeClientRequest(bytes.data(), bytes.size(), &r), simwire::DecodeResult::kDecoded);
  EXPECT_EQ(r.numbers[1], 7u);
  EXPECT_EQ(r.numbers[2], 0x7700u);
  EXPECT_EQ(r.numbers[4], 0x10u);
}

TEST(ClientRequestDecoding, RejectsWhatCannotBeARequest) {
  Bytes bytes;
  simwire::EncodeTransmitClientEvent(&bytes, 1, 0, 7, 0, 1, 0x10);
  simwire::ClientRequest r;
  EXPECT_EQ(simwire::DecodeClientRequest(bytes.data(), 15, &r), simwire::DecodeResult::kMalformed)
      << "shorter than the header";
  EXPECT_EQ(simwire::DecodeClientRequest(bytes.data(), bytes.size() - 1, &r), simwire::DecodeResult::kMalformed)
      << "size field disagrees with the bytes";

  Bytes unmarked = bytes;
  simwire::PatchU32(&unmarked, 8, 0x05);
  EXPECT_EQ(simwire::DecodeClientRequest(unmarked.data(), unmarked.size(), &r), simwire::DecodeResult::kMalformed);

  Bytes truncatedKind;
  simwire::ByteWriter(&truncatedKind).U32(20).U32(5).U32(0xF0000005).U32(1).U32(0);
  EXPECT_EQ(simwire::DecodeClientRequest(truncatedKind.data(), truncatedKind.size(), &r),
            simwire::DecodeResult::kMalformed)
      << "a transmit needs five words";

  Bytes otherKind;
  simwire::ByteWriter(&otherKind).U32(20).U32(5).U32(0xF0000017).U32(9).U32(0);
  EXPECT_EQ(simwire::DecodeClientRequest(otherKind.data(), otherKind.size(), &r), simwire::DecodeResult::kOtherKind);
  EXPECT_EQ(r.serial, 9u);
}

TEST(ServerMessageLayout, ObjectDataPutsRequestAtTwelveAndBlockAtForty) {
  const double block[2] = {110.5, 113.45};
  simwire::SimObjectData fields;
  fields.requestId = 1;
  fields.defineId = 1;
  fields.defineCount = 2;
  Bytes bytes;
  simwire::EncodeSimObjectData(&bytes, 5, fields, block, sizeof block);
  ASSERT_EQ(bytes.size(), 56u);
  EXPECT_EQ(ReadU32(&bytes[0]), 56u);
  EXPECT_EQ(ReadU32(&bytes[8]), static_cast<std::uint32_t>(SIMCONNECT_RECV_ID_SIMOBJECT_DATA));
  EXPECT_EQ(ReadU32(&bytes[kSimObjectDataRequestOffset]), 1u);
  EXPECT_EQ(ReadU32(&bytes[36]), 2u);
  EXPECT_EQ(simwire::ReadF64(&bytes[kSimObjectDataBlockOffset]), 110.5);
  EXPECT_EQ(simwire::ReadF64(&bytes[kSimObjectDataBlockOffset + 8]), 113.45);

  simwire::SimObjectData decoded;
  ASSERT_TRUE(simwire::DecodeSimObjectData(bytes.data(), bytes.size(), &decoded));
  EXPECT_EQ(decoded.requestId, 1u);
  EXPECT_EQ(decoded.blockSize, 16u);
  EXPECT_EQ(decoded.block, bytes.data() + 40);
}

TEST(ServerMessageLayout, OpenExceptionAndQuitRoundTrip) {
  Bytes bytes;
  simwire::OpenReply open;
  open.applicationName = "KittyHawk";
  open.simConnectVersion[0] = 11;
  simwire::EncodeOpenReply(&bytes, 5, open);
  ASSERT_EQ(bytes.size(), 308u);
  simwire::OpenReply openBack;
  ASSERT_TRUE(simwire::DecodeOpenReply(bytes.data(), bytes.size(), &openBack));
  EXPECT_EQ(openBack.applicationName, "KittyHawk");
  EXPECT_EQ(openBack.simConnectVersion[0], 11u);

  bytes.clear();
  simwire::EncodeException(&bytes, 5, simwire::ExceptionReport{7, 42, 1});
  ASSERT_EQ(bytes.size(), 24u);
  simwire::ExceptionReport report;
  ASSERT_TRUE(simwire::DecodeException(bytes.data(), bytes.size(), &report));
  EXPECT_EQ(report.exception, 7u);
  EXPECT_EQ(report.serial, 42u);
  EXPECT_EQ(report.index, 1u);
  EXPECT_FALSE(simwire::DecodeOpenReply(bytes.data(), bytes.size(), &openBack)) << "wrong kind";

  bytes.clear();
  simwire::EncodeQuit(&bytes, 5);
  EXPECT_EQ(bytes, (Bytes{12, 0, 0, 0, 5, 0, 0, 0, 3, 0, 0, 0}));
}

struct WellFormedCase {
  std::uint32_t kind;
  std::uint32_t size;
  bool wellFormed;
};

TEST(ServerMessageLayout, KnownKindsMustHoldTheirFixedFields) {
  const WellFormedCase cases[] = {
      {8, 40, true},   {8, 39, false},  // object data: header of 40 bytes, block may be empty
      {1, 24, true},   {1, 23, false},  // exception: three words
      {2, 308, true},  {2, 300, false},  // open: name and ten words
      {3, 12, true},                      // quit: header only
      {4, 24, true},   {4, 16, false},   // event
      {15, 12, true},  {99, 13, true},   // kinds we do not read need only the header
  };
  for (const WellFormedCase& c : cases) {
    Bytes bytes;
    simwire::ByteWriter(&bytes).U32(c.size).U32(5).U32(c.kind);
    bytes.resize(c.size, 0);
    EXPECT_EQ(simwire::IsWellFormedMessage(bytes.data(), bytes.size()), c.wellFormed)
        << "kind " << c.kind << " size " << c.size;
  }
  Bytes lying;
  simwire::ByteWriter(&lying).U32(16).U32(5).U32(3);
  EXPECT_FALSE(simwire::IsWellFormedMessage(lying.data(), lying.size())) << "size field larger than the message";
}

}  // namespace
