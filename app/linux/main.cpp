// The bridge's main thread: single-instance lock, tray, supervisor, and the
// Qt event loop until "Quit".

#include <QApplication>
#include <QSessionManager>
#include <cstring>
#include <memory>
#include <thread>

#include "app/linux/CommandLine.h"
#include "app/linux/InstanceLock.h"
#include "app/linux/PanelAccessProbe.h"
#include "app/linux/ProcessEnd.h"
#include "app/linux/ProfileCheckCommand.h"
#include "app/linux/ProfileFolderPaths.h"
#include "app/linux/QtPlatformChoice.h"
#include "app/linux/SysfsPanelListing.h"
#include "app/linux/TerminationSignals.h"
#include "app/linux/TrayController.h"
#include "app/linux/TrayStateBridge.h"
#include "app/linux/TrayStateRelay.h"
#include "sim/profile/ProfileLibrary.h"
#include "supervisor/PanelPresence.h"
#include "supervisor/SupervisorThread.h"
#include "supervisor/WaitCauses.h"

int main(int argc, char** argv) {
  if (argc >= 2 && std::strcmp(argv[1], "--check-profiles") == 0) return CheckProfilesCommand(argc, argv);
  const int answered = AnswerCommandLine(argc, argv, stdout, stderr);
  if (answered != kRunTheBridge) return answered;
  // A termination request from the moment the lock is held on must take the
  // orderly way out, so signals are caught first.
  CatchTerminationSignals();
  // Before anything is shown or connected: a second bridge leaves silently.
  if (TakeInstanceLock(InstanceLockDirectory()) == InstanceLockResult::HeldByAnother) return 1;

  EndProcessOnExit();
  // Without a reachable display (a terminal over ssh, a user service, a
  // session that has ended) the bridge still bridges, without an icon.
  SettleQtPlatform();

  // Qt is handed no option: the command line has been answered above.
  static int qtArgc = 1;
  static char programName[] = "vestrel-pelvar";
  static char* qtArgv[] = {programName, nullptr};
  QApplication app(qtArgc, qtArgv);
  // Closing the About box must not end a program that has no other window.
  QApplication::setQuitOnLastWindowClosed(false);
  // The autostart entry starts the bridge at login; a copy restored from the
  // last session as well would only find the lock. Qt hands the hint over at
  // the end of each save, whichever of the two requests that save makes.
  const auto restartNever = [](QSessionManager& manager) { manager.setRestartHint(QSessionManager::RestartNever); };
  QObject::connect(&app, &QGuiApplication::commitDataRequest, restartNever);
  QObject::connect(&app, &QGuiApplication::saveStateRequest, restartNever);

  TrayStateRelay relay(TrayStandby);
  std::unique_ptr<TrayController> tray;
  // On a display the icon is put up whether or not a tray host is there yet:
  // at login the bridge may start before the panel that hosts it, and Qt
  // docks an icon that is meant to be visible as soon as a host appears.
  if (QGuiApplication::platformName() != QLatin1String("offscreen")) {
    tray = std::make_unique<TrayController>();
    QObject::connect(&relay, &TrayStateRelay::StateChanged, tray.get(), &TrayController::Show);
    QObject::connect(&relay, &TrayStateRelay::NotesChanged, tray.get(), &TrayController::ShowNotes);
    QObject::connect(tray.get(), &TrayController::QuitRequested, [] { EndProcess(0); });
    tray->ShowIcon();
  }
  DeliverTerminationSignals(&app, [&tray] {
    if (tray != nullptr) tray->Quit();
    EndProcess(0);
  });
  InstallTrayStateRelay(&relay);

  profile::ProfileFolders() = LinuxProfileFolders();
  panelOpenProbe = ProbeUnopenablePanel;
  panelPresence = LookForPanelInSysfs;
  std::thread(SupervisorThread).detach();
  EndProcess(app.exec());
}
