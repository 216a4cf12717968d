#pragma once

#include <functional>

class QObject;

// Logging out or Ctrl+C in a terminal (SIGTERM, SIGINT) end the bridge the
// same way as "Quit". Signals are caught from the first call on, before Qt
// is up, and noted in a self-pipe; the second call hands them to `onSignal`
// on the thread of `context`, including one that arrived in between.
void CatchTerminationSignals();
void DeliverTerminationSignals(QObject* context, std::function<void()> onSignal);
