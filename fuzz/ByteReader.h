#pragma once

// Reads a fuzz input front to back, so that hand-written seeds read the way
// the harness consumes them. Past the end every read yields zeros.

#include <cstddef>
#include <cstdint>
#include <cstring>

class ByteReader {
 public:
  ByteReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  bool Empty() const { return at_ >= size_; }
  std::size_t Remaining() const { return at_ < size_ ? size_ - at_ : 0; }

  std::uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
  std::uint16_t U16() {
    const std::uint16_t low = Byte();
    return static_cast<std::uint16_t>(low | Byte() << 8);
  }
  std::uint32_t U32() {
    const std::uint32_t low = U16();
    return low | static_cast<std::uint32_t>(U16()) << 16;
  }

  // Up to `count` bytes; fewer at the end of the input. Returns how many.
  std::size_t Take(std::size_t count, const std::uint8_t** bytes) {
    const std::size_t n = count < Remaining() ? count : Remaining();
    *bytes = data_ + at_;
    at_ += n;
    return n;
  }

  // Exactly `count` bytes into `out`, zero-filled past the end.
  void Fill(void* out, std::size_t count) {
    const std::uint8_t* bytes;
    const std::size_t n = Take(count, &bytes);
    if (n) std::memcpy(out, bytes, n);
    if (n < count) std::memset(static_cast<std::uint8_t*>(out) + n, 0, count - n);
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t at_ = 0;
};
