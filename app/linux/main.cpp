// The bridge's main thread: single-instance lock, tray, supervisor, and the
// Qt event loop until "Quit".

#include <memory>
#include <thread>

#include <QApplication>
#include <QSystemTrayIcon>

#include "app/linux/InstanceLock.h"
#include "app/linux/PanelAccessProbe.h"
#include "app/linux/ProcessEnd.h"
#include "app/linux/TerminationSignals.h"
#include "app/linux/TrayController.h"
#include "app/linux/TrayStateBridge.h"
#include "app/linux/TrayStateRelay.h"
#include "supervisor/SupervisorThread.h"
#include "supervisor/WaitCauses.h"

namespace {

// Started where there is no display at all (a terminal over ssh, a user
// service), the bridge still bridges, without an icon, rather than failing
// to find a platform.
void RunHeadlessWithoutDisplay() {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
      qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
}

bool TrayHostPresent() {
  return QGuiApplication::platformName() != QLatin1String("offscreen") && QSystemTrayIcon::isSystemTrayAvailable();
}

}  // namespace

int main() {
  // A termination request from the moment the lock is held on must take the
  // orderly way out, so signals are caught first.
  CatchTerminationSignals();
  // Before anything is shown or connected: a second bridge leaves silently.
  if (TakeInstanceLock(InstanceLockDirectory()) == InstanceLockResult::HeldByAnother) return 1;

  EndProcessOnExit();
  RunHeadlessWithoutDisplay();

  // The command line is ignored, Qt's own options included.
  static int qtArgc = 1;
  static char programName[] = "vestrel-pelvar";
  static char* qtArgv[] = {programName, nullptr};
  QApplication app(qtArgc, qtArgv);
  // Closing the About box must not end a program that has no other window.
  QApplication::setQuitOnLastWindowClosed(false);

  TrayStateRelay relay(TrayStandby);
  std::unique_ptr<TrayController> tray;
  if (TrayHostPresent()) {
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

  panelOpenProbe = ProbeUnopenablePanel;
  std::thread(SupervisorThread).detach();
  EndProcess(app.exec());
}
