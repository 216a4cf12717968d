#include "app/linux/TrayStateRelay.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <cstdint>

#include "supervisor/TrayNotes.h"

namespace {

std::uint64_t Key(TrayState state) {
  return static_cast<std::uint64_t>(TrayNotesVersion()) << 32 | static_cast<std::uint32_t>(state);
}

}  // namespace

TrayStateRelay::TrayStateRelay(TrayState shown, QObject* parent)
    : QObject(parent), requested_(Key(shown)), delivered_(Key(shown)), wakeUp_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
  if (wakeUp_ < 0) return;  // out of descriptors: the icon keeps its picture
  wakeUpNotifier_ = new QSocketNotifier(wakeUp_, QSocketNotifier::Read, this);
  connect(wakeUpNotifier_, &QSocketNotifier::activated, this, &TrayStateRelay::Deliver);
}

TrayStateRelay::~TrayStateRelay() {
  delete wakeUpNotifier_;
  if (wakeUp_ >= 0) close(wakeUp_);
}

void TrayStateRelay::Request(TrayState state) {
  const std::uint64_t key = Key(state);
  if (requested_.exchange(key, std::memory_order_acq_rel) == key || wakeUp_ < 0) return;
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
  const std::uint64_t latest = requested_.load(std::memory_order_acquire);
  const std::uint64_t before = delivered_;
  delivered_ = latest;
  if ((latest & 0xFFFFFFFFu) != (before & 0xFFFFFFFFu)) emit StateChanged(static_cast<TrayState>(latest & 0xFFFFFFFFu));
  if ((latest >> 32) != (before >> 32)) emit NotesChanged();
}
