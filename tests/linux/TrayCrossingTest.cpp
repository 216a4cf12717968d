// The supervisor thread's only way into the GUI, as the bridge wires it: a
// stand-in thread calls ShowTrayState 1000 times a second, the tray icon on
// the GUI thread changes picture and tooltip. TSan watches this crossing.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QSocketNotifier>
#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "app/linux/TrayController.h"
#include "app/linux/TrayStateBridge.h"
#include "app/linux/TrayStateRelay.h"
#include "supervisor/TrayNotes.h"

namespace {

// Runs this thread's event loop until `done()` holds or `milliseconds` pass.
template <typename Condition>
bool ProcessEventsUntil(Condition done, int milliseconds = 10000) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  while (!done() && std::chrono::steady_clock::now() < deadline) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return done();
}

// The tooltip, and at every size the committed artwork, read from the source
// tree rather than from the resources so that a mix-up there shows.
void ExpectLook(TrayController& tray, const char* emblem, const char* toolTip) {
  EXPECT_EQ(tray.Icon().toolTip(), QString::fromUtf8(toolTip)) << emblem;
  for (int size : {16, 24, 32, 48, 256}) {
    const QImage shown = tray.Icon().icon().pixmap(QSize(size, size)).toImage();
    const QImage committed(QStringLiteral(VP_ICON_DIR "/%1-%2.png").arg(QLatin1String(emblem)).arg(size));
    EXPECT_EQ(shown.convertToFormat(QImage::Format_ARGB32_Premultiplied),
              committed.convertToFormat(QImage::Format_ARGB32_Premultiplied))
        << emblem << " at " << size;
  }
}

// Counts how often the GUI thread is woken for the relay.
class WakeUps : public QObject {
 public:
  int count = 0;
  bool eventFilter(QObject*, QEvent* event) override {
    count += event->type() == QEvent::SockAct;
    return false;
  }
};

TEST(TrayCrossing, EachStateChangeWakesTheGuiThreadOnceAndReachesTheIcon) {
  TrayController tray;
  ExpectLook(tray, "standby", "VESTREL\nStandby");  // grey from start-up until the first pass

  TrayStateRelay relay(TrayStandby);
  WakeUps wakeUps;
  relay.findChild<QSocketNotifier*>()->installEventFilter(&wakeUps);
  QObject::connect(&relay, &TrayStateRelay::StateChanged, &tray, &TrayController::Show);
  InstallTrayStateRelay(&relay);

  // The last one is the start-up state, so that every step is a change.
  const struct {
    TrayState state;
    const char* emblem;
    const char* toolTip;
  } looks[] = {{TrayWaiting, "waiting", "VESTREL\nWaiting for Dorvik"},
               {TrayConnected, "connected", "VESTREL\nConnected to MSFS"},
               {TrayStandby, "standby", "VESTREL\nStandby"}};
  for (const auto& look : looks) {
    std::atomic<bool> stop{false};
    std::thread supervisor([&] {
      while (!stop) {
        ShowTrayState(look.state);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
    });
    EXPECT_TRUE(ProcessEventsUntil([&] { return tray.Icon().toolTip() == QString::fromUtf8(look.toolTip); }));
    ProcessEventsUntil([] { return false; }, 50);  // many passes more, all the same state
    stop = true;
    supervisor.join();
    ExpectLook(tray, look.emblem, look.toolTip);
  }
  EXPECT_EQ(wakeUps.count, 3);

  // Before the GUI exists and after Quit the supervisor keeps calling.
  InstallTrayStateRelay(nullptr);
  std::thread([] { ShowTrayState(TrayConnected); }).join();
  ProcessEventsUntil([] { return false; }, 50);
  EXPECT_EQ(wakeUps.count, 3);
}

}  // namespace

namespace {

// The profile in use crosses with the tray state: the supervisor publishes
// it while passes go on, and the connected tooltip gains (and loses) a third
// line, cut to the tray's 127 characters without splitting a character;
// each profile refused meanwhile becomes one notification.
TEST(TrayCrossing, TheProfileInUseReachesTheConnectedTooltip) {
  TrayController tray;
  TrayStateRelay relay(TrayStandby);
  QObject::connect(&relay, &TrayStateRelay::StateChanged, &tray, &TrayController::Show);
  QObject::connect(&relay, &TrayStateRelay::NotesChanged, &tray, &TrayController::ShowNotes);
  InstallTrayStateRelay(&relay);
  const std::string longName = "Fenix A320 " + std::string(120, 'x') + "é";
  const struct {
    const char* name;
    QString toolTip;
  } steps[] = {
      {"FlyByWire A32NX", QStringLiteral("VESTREL\nConnected to MSFS\nProfile: FlyByWire A32NX")},
      {longName.c_str(), QStringLiteral("VESTREL\nConnected to MSFS\nProfile: Fenix A320 ") + QString(92 - 11, 'x')},
      {"", QStringLiteral("VESTREL\nConnected to MSFS")},
  };
  for (const auto& step : steps) {
    std::atomic<bool> stop{false};
    std::thread supervisor([&] {
      PublishProfileName(step.name);
      // A refused profile, once per step: each is a new notification.
      PublishProfileProblem((std::string("a32nx.toml:5:1: refused before ") + step.name).c_str());
      while (!stop) {
        ShowTrayState(TrayConnected);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
    });
    EXPECT_TRUE(ProcessEventsUntil([&] { return tray.Icon().toolTip() == step.toolTip; }))
        << tray.Icon().toolTip().toStdString();
    EXPECT_TRUE(ProcessEventsUntil([&] {
      return tray.LastNotification() == QString::fromUtf8((std::string("a32nx.toml:5:1: refused before ") + step.name)
                                                              .substr(0, kProfileProblemSize - 1)
                                                              .c_str());
    })) << tray.LastNotification().toStdString();
    stop = true;
    supervisor.join();
  }
  InstallTrayStateRelay(nullptr);
}

}  // namespace
