#include "sim/simconnect/Net/WireDecoder.h"

#include "sim/simconnect/Net/ByteOrder.h"

namespace simwire {

WireDecoder::WireDecoder(std::uint32_t minimumSize, std::uint32_t maximumSize)
    : minimumSize_(minimumSize < 4 ? 4 : minimumSize),
      maximumSize_(maximumSize < minimumSize_ ? minimumSize_ : maximumSize) {}

bool WireDecoder::Feed(const void* bytes, std::size_t size) {
  if (broken_) return false;
  if (bytes == nullptr || size == 0) return true;
  // Drop what was taken out before growing, so the buffer holds at most the
  // bytes not yet decoded.
  if (start_ > 0 && start_ == buffer_.size()) {
    buffer_.clear();
    start_ = 0;
  } else if (start_ >= 4096 && start_ * 2 >= buffer_.size()) {
    buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(start_));
    start_ = 0;
  }
  const unsigned char* data = static_cast<const unsigned char*>(bytes);
  buffer_.insert(buffer_.end(), data, data + size);
  return CheckLeadingSize();
}

// Rejects an impossible size as soon as its four bytes are in, so a broken
// stream is noticed without waiting for bytes that would never make sense.
bool WireDecoder::CheckLeadingSize() {
  if (BufferedBytes() < 4) return true;
  const std::uint32_t size = ReadU32(buffer_.data() + start_);
  if (size < minimumSize_ || size > maximumSize_) {
    broken_ = true;
    buffer_.clear();
    start_ = 0;
  }
  return !broken_;
}

WireDecoder::Status WireDecoder::Next(std::vector<unsigned char>* message) {
  if (broken_) return Status::kBroken;
  if (!CheckLeadingSize()) return Status::kBroken;
  if (BufferedBytes() < 4) return Status::kNeedMore;
  const std::uint32_t size = ReadU32(buffer_.data() + start_);
  if (BufferedBytes() < size) return Status::kNeedMore;
  const auto first = buffer_.begin() + static_cast<std::ptrdiff_t>(start_);
  message->assign(first, first + size);
  start_ += size;
  if (start_ == buffer_.size()) {
    buffer_.clear();
    start_ = 0;
  }
  // The following message's size, if already in, is checked at once; the
  // message just taken out is still good.
  CheckLeadingSize();
  return Status::kMessage;
}

bool WireDecoder::HasPartialMessage() const {
  if (broken_ || BufferedBytes() == 0) return false;
  if (BufferedBytes() < 4) return true;
  return BufferedBytes() < ReadU32(buffer_.data() + start_);
}

void WireDecoder::Reset() {
  buffer_.clear();
  start_ = 0;
  broken_ = false;
}

}  // namespace simwire
