#pragma once

// A fuzz input read front to back, as hand-written seeds are (past the end
// every read yields nothing), and a loud failure whose input libFuzzer saves.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

inline void FuzzCheck(bool holds, const char* what, unsigned long long value) {
  if (holds) return;
  std::fprintf(stderr, "invariant broken: %s (0x%llx)\n", what, value);
  std::abort();
}

class ByteReader {
 public:
  ByteReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  bool Empty() const { return at_ >= size_; }
  std::uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
  std::uint16_t U16() {
    const std::uint16_t low = Byte();  // the operands of | are not sequenced
    return static_cast<std::uint16_t>(low | Byte() << 8);
  }
  std::uint32_t U32() {
    const std::uint32_t low = U16();
    return low | static_cast<std::uint32_t>(U16()) << 16;
  }
  // Up to `count` bytes; fewer at the end of the input.
  std::vector<unsigned char> Bytes(std::size_t count) {
    const std::size_t n = count < size_ - at_ ? count : size_ - at_;
    at_ += n;
    return std::vector<unsigned char>(data_ + at_ - n, data_ + at_);
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t at_ = 0;
};
