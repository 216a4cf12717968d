#pragma once

#include <chrono>
#include <thread>

#include <QCoreApplication>

// Runs the calling thread's event loop until `done()` holds or `seconds`
// pass. Returns done() at the end.
template <typename Condition>
bool ProcessEventsUntil(Condition done, int seconds = 10) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (!done() && std::chrono::steady_clock::now() < deadline) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return done();
}

// Lets everything already posted (including deferred deletes) happen.
inline void DrainPostedEvents() {
  QCoreApplication::sendPostedEvents();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  QCoreApplication::processEvents();
}
