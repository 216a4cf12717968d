#pragma once

// Reading a fuzz input front to back, so that hand-written seeds read the way
// the harness consumes them (past the end every read yields zeros), and
// failing loudly: libFuzzer saves the input that broke an invariant.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#define FUZZ_CHECK(condition, what, value)                                                                  \
  do {                                                                                                      \
    if (!(condition)) {                                                                                     \
      std::fprintf(stderr, "invariant broken: %s (0x%llx)\n", what, static_cast<unsigned long long>(value)); \
      std::abort();                                                                                         \
    }                                                                                                       \
  } while (0)

class ByteReader {
 public:
  ByteReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  bool Empty() const { return at_ >= size_; }
  std::size_t Remaining() const { return at_ < size_ ? size_ - at_ : 0; }
  std::uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
  std::uint16_t U16() {
    const std::uint16_t low = Byte();  // operands of | are not sequenced
    return static_cast<std::uint16_t>(low | Byte() << 8);
  }
  std::uint32_t U32() {
    const std::uint32_t low = U16();
    return low | static_cast<std::uint32_t>(U16()) << 16;
  }

  // Up to `count` bytes; fewer at the end of the input.
  std::size_t Take(std::size_t count, const std::uint8_t** bytes) {
    const std::size_t n = count < Remaining() ? count : Remaining();
    *bytes = data_ + at_;
    at_ += n;
    return n;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t at_ = 0;
};
