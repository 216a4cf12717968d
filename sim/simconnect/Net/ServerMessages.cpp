#include "sim/simconnect/Net/ServerMessages.h"

#include "sim/simconnect/Net/ByteOrder.h"

namespace simwire {

namespace {

std::size_t BeginMessage(Bytes* out, std::uint32_t protocol, std::uint32_t kind) {
  const std::size_t start = out->size();
  ByteWriter(out).U32(0).U32(protocol).U32(kind);
  return start;
}

void FinishMessage(Bytes* out, std::size_t start) {
  PatchU32(out, start, static_cast<std::uint32_t>(out->size() - start));
}

std::uint32_t MinimumSize(std::uint32_t kind) {
  switch (kind) {
    case kMessageOpen:
      return kOpenMessageSize;
    case kMessageException:
      return kExceptionMessageSize;
    case kMessageQuit:
      return kQuitMessageSize;
    case kMessageEvent:
      return kEventMessageSize;
    case kMessageSimObjectData:
      return kSimObjectDataHeaderSize;
    default:
      return kMessageHeaderSize;
  }
}

bool HasKind(const unsigned char* bytes, std::size_t size, std::uint32_t kind) {
  return bytes != nullptr && IsWellFormedMessage(bytes, size) && MessageKind(bytes) == kind;
}

}  // namespace

void EncodeOpenReply(Bytes* out, std::uint32_t protocol, const OpenReply& reply) {
  const std::size_t start = BeginMessage(out, protocol, kMessageOpen);
  ByteWriter writer(out);
  writer.Text(reply.applicationName, kNameFieldSize);
  for (std::uint32_t v : reply.applicationVersion) writer.U32(v);
  for (std::uint32_t v : reply.simConnectVersion) writer.U32(v);
  writer.U32(0).U32(0);  // reserved
  FinishMessage(out, start);
}

void EncodeException(Bytes* out, std::uint32_t protocol, const ExceptionReport& report) {
  const std::size_t start = BeginMessage(out, protocol, kMessageException);
  ByteWriter(out).U32(report.exception).U32(report.serial).U32(report.index);
  FinishMessage(out, start);
}

void EncodeQuit(Bytes* out, std::uint32_t protocol) {
  const std::size_t start = BeginMessage(out, protocol, kMessageQuit);
  FinishMessage(out, start);
}

void EncodeSimObjectData(Bytes* out, std::uint32_t protocol, const SimObjectData& fields, const void* block,
                         std::size_t blockSize) {
  const std::size_t start = BeginMessage(out, protocol, kMessageSimObjectData);
  ByteWriter(out)
      .U32(fields.requestId)
      .U32(fields.objectId)
      .U32(fields.defineId)
      .U32(fields.flags)
      .U32(fields.entryNumber)
      .U32(fields.outOf)
      .U32(fields.defineCount)
      .Bytes(block, blockSize);
  FinishMessage(out, start);
}

std::uint32_t MessageSize(const unsigned char* bytes) { return ReadU32(bytes); }
std::uint32_t MessageProtocol(const unsigned char* bytes) { return ReadU32(bytes + 4); }
std::uint32_t MessageKind(const unsigned char* bytes) { return ReadU32(bytes + 8); }

bool IsWellFormedMessage(const unsigned char* bytes, std::size_t size) {
  if (bytes == nullptr || size < kMessageHeaderSize || size > kMaxMessageSize) return false;
  if (MessageSize(bytes) != size) return false;
  return size >= MinimumSize(MessageKind(bytes));
}

bool DecodeOpenReply(const unsigned char* bytes, std::size_t size, OpenReply* reply) {
  if (!HasKind(bytes, size, kMessageOpen) || reply == nullptr) return false;
  const unsigned char* field = bytes + kMessageHeaderSize;
  reply->applicationName = std::string(ReadText(field, kNameFieldSize));
  for (int i = 0; i < 4; ++i) reply->applicationVersion[i] = ReadU32(field + kNameFieldSize + 4 * i);
  for (int i = 0; i < 4; ++i) reply->simConnectVersion[i] = ReadU32(field + kNameFieldSize + 16 + 4 * i);
  return true;
}

bool DecodeException(const unsigned char* bytes, std::size_t size, ExceptionReport* report) {
  if (!HasKind(bytes, size, kMessageException) || report == nullptr) return false;
  report->exception = ReadU32(bytes + 12);
  report->serial = ReadU32(bytes + 16);
  report->index = ReadU32(bytes + 20);
  return true;
}

bool DecodeSimObjectData(const unsigned char* bytes, std::size_t size, SimObjectData* data) {
  if (!HasKind(bytes, size, kMessageSimObjectData) || data == nullptr) return false;
  data->requestId = ReadU32(bytes + 12);
  data->objectId = ReadU32(bytes + 16);
  data->defineId = ReadU32(bytes + 20);
  data->flags = ReadU32(bytes + 24);
  data->entryNumber = ReadU32(bytes + 28);
  data->outOf = ReadU32(bytes + 32);
  data->defineCount = ReadU32(bytes + 36);
  data->block = bytes + kSimObjectDataHeaderSize;
  data->blockSize = size - kSimObjectDataHeaderSize;
  return true;
}

}  // namespace simwire
