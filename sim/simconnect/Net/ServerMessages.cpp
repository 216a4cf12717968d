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
    case SIMCONNECT_RECV_ID_OPEN:
      return kOpenMessageSize;
    case SIMCONNECT_RECV_ID_EXCEPTION:
      return kExceptionMessageSize;
    case SIMCONNECT_RECV_ID_QUIT:
      return kQuitMessageSize;
    case SIMCONNECT_RECV_ID_EVENT:
      return kEventMessageSize;
    case SIMCONNECT_RECV_ID_EVENT_FILENAME:
      return kEventFilenameMessageSize;
    case SIMCONNECT_RECV_ID_SIMOBJECT_DATA:
      return kSimObjectDataBlockOffset;
    case SIMCONNECT_RECV_ID_SYSTEM_STATE:
      return kSystemStateMessageSize;
    default:
      return kMessageHeaderSize;
  }
}

bool HasKind(const unsigned char* bytes, std::size_t size, std::uint32_t kind) {
  return bytes != nullptr && IsWellFormedMessage(bytes, size) && MessageKind(bytes) == kind;
}

}  // namespace

void EncodeOpenReply(Bytes* out, std::uint32_t protocol, const OpenReply& reply) {
  const std::size_t start = BeginMessage(out, protocol, SIMCONNECT_RECV_ID_OPEN);
  ByteWriter writer(out);
  writer.Text(reply.applicationName, kNameFieldSize);
  for (std::uint32_t v : reply.applicationVersion) writer.U32(v);
  for (std::uint32_t v : reply.simConnectVersion) writer.U32(v);
  writer.U32(0).U32(0);  // reserved
  FinishMessage(out, start);
}

void EncodeException(Bytes* out, std::uint32_t protocol, const ExceptionReport& report) {
  const std::size_t start = BeginMessage(out, protocol, SIMCONNECT_RECV_ID_EXCEPTION);
  ByteWriter(out).U32(report.exception).U32(report.serial).U32(report.index);
  FinishMessage(out, start);
}

void EncodeQuit(Bytes* out, std::uint32_t protocol) {
  const std::size_t start = BeginMessage(out, protocol, SIMCONNECT_RECV_ID_QUIT);
  FinishMessage(out, start);
}

void EncodeSimObjectData(Bytes* out, std::uint32_t protocol, const SIMCONNECT_RECV_SIMOBJECT_DATA& fields,
                         const void* block, std::size_t blockSize) {
  const std::size_t start = BeginMessage(out, protocol, SIMCONNECT_RECV_ID_SIMOBJECT_DATA);
  ByteWriter(out)
      .U32(fields.dwRequestID)
      .U32(fields.dwObjectID)
      .U32(fields.dwDefineID)
      .U32(fields.dwFlags)
      .U32(fields.dwentrynumber)
      .U32(fields.dwoutof)
      .U32(fields.dwDefineCount)
      .Bytes(block, blockSize);
  FinishMessage(out, start);
}

void EncodeEventFilename(Bytes* out, std::uint32_t protocol, std::uint32_t groupId, std::uint32_t eventId,
                         std::string_view fileName) {
  const std::size_t start = BeginMessage(out, protocol, SIMCONNECT_RECV_ID_EVENT_FILENAME);
  ByteWriter(out).U32(groupId).U32(eventId).U32(0).Text(fileName, kSimConnectMaxPath).U32(0);
  FinishMessage(out, start);
}

void EncodeSystemState(Bytes* out, std::uint32_t protocol, std::uint32_t requestId, std::uint32_t integer, float number,
                       std::string_view text) {
  const std::size_t start = BeginMessage(out, protocol, SIMCONNECT_RECV_ID_SYSTEM_STATE);
  ByteWriter(out).U32(requestId).U32(integer).F32(number).Text(text, kSimConnectMaxPath);
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

bool DecodeException(const unsigned char* bytes, std::size_t size, ExceptionReport* report) {
  if (!HasKind(bytes, size, SIMCONNECT_RECV_ID_EXCEPTION) || report == nullptr) return false;
  report->exception = ReadU32(bytes + 12);
  report->serial = ReadU32(bytes + 16);
  report->index = ReadU32(bytes + 20);
  return true;
}

}  // namespace simwire
