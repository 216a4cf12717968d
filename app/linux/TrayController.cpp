#include "app/linux/TrayController.h"

#include <QCursor>

#include "app/linux/AboutDialog.h"
#include "app/linux/TrayStateLook.h"
#include "supervisor/TrayNotes.h"

TrayController::TrayController(QObject* parent) : QObject(parent) {
  for (TrayState state : {TrayWaiting, TrayStandby, TrayConnected}) icons_[state] = TrayStateIcon(state);

  // The entries and their order are those of the Windows tray menu.
  connect(menu_.addAction(QStringLiteral("Quit")), &QAction::triggered, this, &TrayController::Quit);
  connect(menu_.addAction(QStringLiteral("&Info...")), &QAction::triggered, this, &TrayController::OpenAbout);

  icon_.setIcon(icons_[shown_]);
  icon_.setToolTip(TrayStateToolTip(shown_));
  // Handing the menu to the icon lets each tray protocol open it its own way
  // on a right click (X11 embedding pops it up, a status-notifier host draws
  // the exported menu itself).
  icon_.setContextMenu(&menu_);
  connect(&icon_, &QSystemTrayIcon::activated, this, &TrayController::OnActivated);
}

void TrayController::ShowIcon() { icon_.show(); }

void TrayController::Show(TrayState state) {
  if (state == shown_) return;
  shown_ = state;
  icon_.setIcon(icons_[state]);
  icon_.setToolTip(TrayStateToolTip(state, profileName_));
}

void TrayController::ShowNotes() {
  TrayNotesSnapshot notes;
  ReadTrayNotes(&notes);
  const QString name = QString::fromUtf8(notes.profileName);
  if (name != profileName_) {
    profileName_ = name;
    icon_.setToolTip(TrayStateToolTip(shown_, profileName_));
  }
  if (notes.problemNumber != problemsShown_) {
    problemsShown_ = notes.problemNumber;
    lastNotification_ = QString::fromUtf8(notes.profileProblem);
    icon_.showMessage(QStringLiteral("Aircraft profile refused"), lastNotification_, QSystemTrayIcon::Warning);
  }
}

void TrayController::OnActivated(QSystemTrayIcon::ActivationReason reason) {
  // A single left click (Trigger) does nothing. On a right click the tray
  // protocol has usually opened the menu already; open it here only if not.
  if (reason != QSystemTrayIcon::Context && reason != QSystemTrayIcon::DoubleClick) return;
  if (!menu_.isVisible()) menu_.popup(QCursor::pos());
}

void TrayController::OpenAbout() {
  if (about_ != nullptr) {
    about_->raise();
    about_->activateWindow();
    return;
  }
  about_ = new AboutDialog;
  about_->setAttribute(Qt::WA_DeleteOnClose);
  about_->show();
}

AboutDialog* TrayController::ShownAboutBox() const { return about_.data(); }

void TrayController::Quit() {
  icon_.hide();
  emit QuitRequested();
}
