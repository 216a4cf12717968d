// The bridge's main thread: single-instance lock, tray, supervisor, and the
// Qt event loop until "Quit".

#include <chrono>
#include <memory>

#include <hidapi/hidapi.h>

#include <QApplication>

#include "app/linux/InstanceLock.h"
#include "app/linux/ProcessEnd.h"
#include "app/linux/QtPlatformChoice.h"
#include "app/linux/SupervisorRunner.h"
#include "app/linux/TerminationSignals.h"
#include "app/linux/TrayController.h"
#include "app/linux/TrayStateBridge.h"
#include "app/linux/TrayStateRelay.h"

namespace {

// The longest the end of the process waits for the supervisor to leave its
// pass; a pass never blocks, so only a broken one takes longer, and the
// process then ends without ending the HID library.
constexpr std::chrono::milliseconds kSupervisorStopBound{250};

void EndSupervisorAndHidLibrary() {
  if (StopSupervisor(kSupervisorStopBound)) hid_exit();
}

}  // namespace

int main() {
  // As on every platform, the HID library is started before anything else,
  // by a second instance too.
  hid_init();
  // A termination request from the moment the lock is held on must take the
  // orderly way out, so signals are caught first.
  CatchTerminationSignals();
  // Before anything is shown or connected: a second bridge leaves silently.
  if (TakeInstanceLock(InstanceLockDirectory()) == InstanceLockResult::HeldByAnother) {
    hid_exit();
    return 1;
  }

  EndProcessOnExit();
  FinishBeforeProcessEnd(EndSupervisorAndHidLibrary);
  // Without a reachable display (a terminal over ssh, a user service, a
  // session that has ended) the bridge still bridges, without an icon.
  SettleQtPlatform();

  // The command line is ignored, Qt's own options included.
  static int qtArgc = 1;
  static char programName[] = "vestrel-pelvar";
  static char* qtArgv[] = {programName, nullptr};
  QApplication app(qtArgc, qtArgv);
  // Closing the About box must not end a program that has no other window.
  QApplication::setQuitOnLastWindowClosed(false);

  TrayStateRelay relay(TrayStandby);
  std::unique_ptr<TrayController> tray;
  // On a display the icon is put up whether or not a tray host is there yet:
  // at login the bridge may start before the panel that hosts it, and Qt
  // docks an icon that is meant to be visible as soon as a host appears.
  if (QGuiApplication::platformName() != QLatin1String("offscreen")) {
    tray = std::make_unique<TrayController>();
    QObject::connect(&relay, &TrayStateRelay::StateChanged, tray.get(), &TrayController::Show);
    QObject::connect(tray.get(), &TrayController::QuitRequested, [] { EndProcess(0); });
    tray->ShowIcon();
  }
  DeliverTerminationSignals(&app, [&tray] {
    if (tray != nullptr) tray->Quit();
    EndProcess(0);
  });
  InstallTrayStateRelay(&relay);

  StartSupervisor();
  EndProcess(app.exec());
}
