#pragma once

#include <QObject>
#include <atomic>
#include <cstdint>

#include "supervisor/TrayState.h"

class QSocketNotifier;

// Carries the tray state, and news of the tray notes (the profile in use, a
// profile refused), from the supervisor thread to the GUI thread. The
// supervisor asks 40 times a second, almost always for the state it asked
// for last time with the notes unchanged; only a change wakes the GUI
// thread, so the steady case costs one atomic load and one exchange.
//
// The wake-up is an eventfd watched by the GUI thread's event loop rather
// than a posted Qt event: nothing is allocated on one thread and freed on
// the other, and the hand-over is a plain write/read pair that thread
// checkers understand without knowing Qt's internals.
class TrayStateRelay : public QObject {
  Q_OBJECT

 public:
  // `shown` is the state the tray shows before the first request. Create
  // the relay on the thread that is to receive StateChanged, once that
  // thread has an event loop (after QCoreApplication exists).
  explicit TrayStateRelay(TrayState shown, QObject* parent = nullptr);
  ~TrayStateRelay() override;

  // Any thread. Must not be called once the relay is being destroyed.
  void Request(TrayState state);

 signals:
  // On the relay's own thread, with the latest requested state, and only
  // when it differs from the state delivered before.
  void StateChanged(TrayState state);
  // On the relay's own thread, when the tray notes changed since last time.
  void NotesChanged();

 private:
  void Deliver();

  // The state in the low 32 bits, the notes' version in the high ones.
  std::atomic<std::uint64_t> requested_;
  std::uint64_t delivered_;  // relay's thread only
  int wakeUp_;               // eventfd
  QSocketNotifier* wakeUpNotifier_ = nullptr;
};
