#pragma once

#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QSystemTrayIcon>
#include <cstdint>

#include "supervisor/TrayState.h"

class AboutDialog;

// The tray icon, its context menu and the About box, all on the GUI thread.
// The icon starts grey ("Standby") until the supervisor reports a state.
class TrayController : public QObject {
  Q_OBJECT

 public:
  explicit TrayController(QObject* parent = nullptr);

  // Puts the icon into the desktop's tray.
  void ShowIcon();

  // Switches picture and tooltip; showing the state already shown does not
  // touch the icon at all.
  void Show(TrayState state);
  // Takes the latest tray notes: the profile line of the tooltip, and a
  // notification for each profile refused since the last look.
  void ShowNotes();

  // Opens the About box, or brings the open one to the front.
  void OpenAbout();

  // Removes the icon, then asks the process to end.
  void Quit();

  QSystemTrayIcon& Icon() { return icon_; }
  QMenu& Menu() { return menu_; }
  AboutDialog* ShownAboutBox() const;  // null while none is open
  const QString& LastNotification() const { return lastNotification_; }

 signals:
  void QuitRequested();

 private:
  void OnActivated(QSystemTrayIcon::ActivationReason reason);

  QIcon icons_[3];  // by TrayState, loaded once
  QMenu menu_;
  QSystemTrayIcon icon_;
  TrayState shown_ = TrayStandby;
  QString profileName_;
  std::uint32_t problemsShown_ = 0;
  QString lastNotification_;
  QPointer<AboutDialog> about_;
};
