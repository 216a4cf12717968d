// The supervisor thread reports a tray state 40 times a second; these tests
// stand in for it with a std::thread and check what reaches the GUI thread.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include <QEvent>
#include <QObject>
#include <QSocketNotifier>

#include "app/TrayState.h"
#include "app/linux/TrayStateBridge.h"
#include "app/linux/TrayStateRelay.h"
#include "tests/linux/EventLoopWait.h"

namespace {

// Counts how often the GUI thread is woken for the relay.
class WakeUpCounter : public QObject {
 public:
  int count = 0;
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::SockAct) ++count;
    return false;
  }
};

// What the GUI thread received, and whether every delivery happened there.
struct Deliveries {
  std::vector<TrayState> states;
  bool allOnGuiThread = true;
};

class TrayStateRelayTest : public testing::Test {
 protected:
  TrayStateRelayTest() : relay_(TrayStandby) {
    QSocketNotifier* wakeUp = relay_.findChild<QSocketNotifier*>();
    if (wakeUp != nullptr) wakeUp->installEventFilter(&wakeUps_);
    const std::thread::id gui = std::this_thread::get_id();
    QObject::connect(&relay_, &TrayStateRelay::StateChanged, [this, gui](TrayState state) {
      received_.states.push_back(state);
      received_.allOnGuiThread = received_.allOnGuiThread && std::this_thread::get_id() == gui;
      deliveredCount_ = static_cast<int>(received_.states.size());
    });
    InstallTrayStateRelay(&relay_);
  }
  ~TrayStateRelayTest() override { InstallTrayStateRelay(nullptr); }

  // Runs `passes` on a worker thread while this thread keeps its event loop
  // going, then lets every posted delivery arrive.
  template <typename Passes>
  void RunSupervisorStandIn(Passes passes) {
    std::atomic<bool> workerDone{false};
    std::thread worker([&] {
      passes();
      workerDone = true;
    });
    ProcessEventsUntil([&] { return workerDone.load(); });
    worker.join();
    DrainPostedEvents();
  }

  // For a worker that must see a state arrive before it moves on.
  bool WaitForDeliveries(int count) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (deliveredCount_.load() < count && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return deliveredCount_.load() >= count;
  }

  TrayStateRelay relay_;
  WakeUpCounter wakeUps_;
  Deliveries received_;
  std::atomic<int> deliveredCount_{0};
};

TEST_F(TrayStateRelayTest, SteadyStateAlreadyShownNeverWakesGuiThread) {
  RunSupervisorStandIn([] {
    for (int pass = 0; pass < 4000; ++pass) ShowTrayState(TrayStandby);
  });
  EXPECT_EQ(wakeUps_.count, 0);
  EXPECT_TRUE(received_.states.empty());
}

TEST_F(TrayStateRelayTest, OneChangeRepeatedEveryPassWakesGuiThreadOnce) {
  RunSupervisorStandIn([] {
    for (int pass = 0; pass < 4000; ++pass) ShowTrayState(TrayWaiting);
  });
  EXPECT_EQ(wakeUps_.count, 1);
  EXPECT_EQ(received_.states, std::vector<TrayState>{TrayWaiting});
  EXPECT_TRUE(received_.allOnGuiThread);
}

// Panel found, then the simulator: waiting -> standby -> connected, each held
// for many passes, as long as the GUI thread needs to show it.
TEST_F(TrayStateRelayTest, ConnectionSequenceArrivesInOrderOnGuiThread) {
  RunSupervisorStandIn([this] {
    int shown = 0;
    for (TrayState state : {TrayWaiting, TrayStandby, TrayConnected}) {
      for (int pass = 0; pass < 40; ++pass) ShowTrayState(state);
      WaitForDeliveries(++shown);
      for (int pass = 0; pass < 40; ++pass) ShowTrayState(state);
    }
  });
  EXPECT_EQ(wakeUps_.count, 3);
  EXPECT_EQ(received_.states, (std::vector<TrayState>{TrayWaiting, TrayStandby, TrayConnected}));
  EXPECT_TRUE(received_.allOnGuiThread);
}

// A flickering connection may change state faster than the GUI thread runs:
// it may skip states but must end on the last one and never repeat itself.
TEST_F(TrayStateRelayTest, FlickeringStatesSettleOnTheLastOne) {
  RunSupervisorStandIn([] {
    for (int pass = 0; pass < 2000; ++pass) ShowTrayState(pass % 2 == 0 ? TrayWaiting : TrayConnected);
    ShowTrayState(TrayStandby);
    ShowTrayState(TrayConnected);
  });
  ASSERT_FALSE(received_.states.empty());
  EXPECT_EQ(received_.states.back(), TrayConnected);
  for (size_t i = 1; i < received_.states.size(); ++i) EXPECT_NE(received_.states[i], received_.states[i - 1]);
  EXPECT_LE(received_.states.size(), static_cast<size_t>(wakeUps_.count));
  EXPECT_TRUE(received_.allOnGuiThread);
}

TEST(TrayStateBridge, CallsWithoutRelayAreDropped) {
  // Before the GUI exists and after Quit the supervisor keeps calling.
  InstallTrayStateRelay(nullptr);
  std::thread worker([] {
    for (int pass = 0; pass < 100; ++pass) ShowTrayState(TrayConnected);
  });
  worker.join();

  TrayStateRelay relay(TrayStandby);
  std::vector<TrayState> received;
  QObject::connect(&relay, &TrayStateRelay::StateChanged, [&](TrayState state) { received.push_back(state); });
  DrainPostedEvents();
  EXPECT_TRUE(received.empty());
}

}  // namespace
