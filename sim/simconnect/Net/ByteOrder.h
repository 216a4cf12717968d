#pragma once

// Little-endian reading and writing of the wire's integers and floats,
// independent of the host's byte order and alignment.

#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

namespace simwire {

inline std::uint32_t ReadU32(const unsigned char* bytes) {
  return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
         static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

inline std::uint64_t ReadU64(const unsigned char* bytes) {
  return static_cast<std::uint64_t>(ReadU32(bytes)) | static_cast<std::uint64_t>(ReadU32(bytes + 4)) << 32;
}

inline float ReadF32(const unsigned char* bytes) {
  const std::uint32_t bits = ReadU32(bytes);
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

inline double ReadF64(const unsigned char* bytes) {
  const std::uint64_t bits = ReadU64(bytes);
  double value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

// Reads a zero-padded text field of `size` bytes: up to the first zero, never
// past the field.
inline std::string_view ReadText(const unsigned char* bytes, std::size_t size) {
  const void* end = std::memchr(bytes, 0, size);
  const std::size_t length = end ? static_cast<std::size_t>(static_cast<const unsigned char*>(end) - bytes) : size;
  return std::string_view(reinterpret_cast<const char*>(bytes), length);
}

// Appends values to a growing byte vector.
class ByteWriter {
 public:
  explicit ByteWriter(std::vector<unsigned char>* out) : out_(out) {}

  ByteWriter& U32(std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) out_->push_back(static_cast<unsigned char>(value >> shift));
    return *this;
  }
  ByteWriter& U64(std::uint64_t value) {
    U32(static_cast<std::uint32_t>(value));
    return U32(static_cast<std::uint32_t>(value >> 32));
  }
  ByteWriter& F32(float value) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return U32(bits);
  }
  ByteWriter& F64(double value) {
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return U64(bits);
  }
  ByteWriter& Byte(unsigned char value) {
    out_->push_back(value);
    return *this;
  }
  ByteWriter& Bytes(const void* data, std::size_t size) {
    const unsigned char* bytes = static_cast<const unsigned char*>(data);
    out_->insert(out_->end(), bytes, bytes + size);
    return *this;
  }
  // A text in a zero-padded field of `size` bytes; longer texts are cut so
  // the field keeps at least one terminating zero.
  ByteWriter& Text(std::string_view text, std::size_t size) {
    const std::size_t kept = text.size() < size ? text.size() : size - 1;
    Bytes(text.data(), kept);
    out_->insert(out_->end(), size - kept, 0);
    return *this;
  }

 private:
  std::vector<unsigned char>* out_;
};

// Overwrites a 32-bit field at `offset` of an already written vector.
inline void PatchU32(std::vector<unsigned char>* bytes, std::size_t offset, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) (*bytes)[offset + i] = static_cast<unsigned char>(value >> (8 * i));
}

}  // namespace simwire
