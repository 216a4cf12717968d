#include "app/linux/TrayStateRelay.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <cstdint>

TrayStateRelay::TrayStateRelay(TrayState shown, QObject* parent)
    : QObject(parent), requested_(shown), delivered_(shown), wakeUp_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
  if (wakeUp_ < 0) return;  // out of descriptors: the icon keeps its picture
  wakeUpNotifier_ = new QSocketNotifier(wakeUp_, QSocketNotifier::Read, this);
  connect(wakeUpNotifier_, &QSocketNotifier::activated, this, &TrayStateRelay::Deliver);
}

TrayStateRelay::~TrayStateRelay() {
  delete wakeUpNotifier_;
  if (wakeUp_ >= 0) close(wakeUp_);
}

void TrayStateRelay::Request(TrayState state) {
  if (requested_.exchange(state, std::memory_order_acq_rel) == state || wakeUp_ < 0) return;
  const std::uint64_t one = 1;
  // Only fails when the counter is about to overflow, i.e. a wake-up is
  // pending anyway.
  [[maybe_unused]] const ssize_t written = write(wakeUp_, &one, sizeof one);
}

// Several changes may arrive before the GUI thread gets round to them; one
// read takes all their wake-ups, and the newest request is what counts.
void TrayStateRelay::Deliver() {
  std::uint64_t wakeUps = 0;
  [[maybe_unused]] const ssize_t taken = read(wakeUp_, &wakeUps, sizeof wakeUps);
  const auto latest = static_cast<TrayState>(requested_.load(std::memory_order_acquire));
  if (latest == delivered_) return;
  delivered_ = latest;
  emit StateChanged(latest);
}
