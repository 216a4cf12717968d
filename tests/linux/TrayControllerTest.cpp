// The tray icon's pictures, tooltips, menu and commands, on an offscreen
// display: the controller object is the same one the bridge puts in the tray.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>

#include "app/linux/AboutDialog.h"
#include "app/linux/TrayController.h"
#include "tests/linux/EventLoopWait.h"
#include "tests/linux/TrayLooks.h"

namespace {

int OpenAboutBoxes() {
  int count = 0;
  for (QWidget* widget : QApplication::topLevelWidgets()) count += qobject_cast<AboutDialog*>(widget) != nullptr;
  return count;
}

TEST(TrayController, StartsGreyInStandby) {
  TrayController tray;
  EXPECT_EQ(tray.Icon().toolTip(), QStringLiteral("VESTREL\nStandby"));
  EXPECT_EQ(Shown(tray.Icon(), 16), CommittedEmblem("standby", 16));
}

TEST(TrayController, EachStateShowsItsEmblemAndToolTip) {
  TrayController tray;
  for (const Look& look : kLooks) {
    tray.Show(look.state);
    EXPECT_EQ(tray.Icon().toolTip(), QString::fromUtf8(look.toolTip)) << look.emblem;
    for (int size : {16, 24, 32, 48, 256}) {
      EXPECT_EQ(Shown(tray.Icon(), size), CommittedEmblem(look.emblem, size)) << look.emblem << " " << size;
    }
  }
}

TEST(TrayController, StateAlreadyShownLeavesTheIconAlone) {
  TrayController tray;
  tray.Show(TrayConnected);
  // Marks the icon so that any re-send of the same state would show.
  tray.Icon().setToolTip(QStringLiteral("untouched"));
  tray.Show(TrayConnected);
  EXPECT_EQ(tray.Icon().toolTip(), QStringLiteral("untouched"));
  tray.Show(TrayWaiting);
  EXPECT_EQ(tray.Icon().toolTip(), QStringLiteral("VESTREL\nWaiting for Dorvik"));
}

TEST(TrayController, MenuHoldsQuitThenInfo) {
  TrayController tray;
  const QList<QAction*> actions = tray.Menu().actions();
  ASSERT_EQ(actions.size(), 2);
  EXPECT_EQ(actions[0]->text(), QStringLiteral("Quit"));
  EXPECT_EQ(actions[1]->text(), QStringLiteral("&Info..."));
  EXPECT_EQ(tray.Icon().contextMenu(), &tray.Menu());
}

TEST(TrayController, RightClickAndDoubleClickOpenTheMenu) {
  struct Case {
    QSystemTrayIcon::ActivationReason reason;
    bool opensMenu;
  };
  const Case cases[] = {
      {QSystemTrayIcon::Context, true},
      {QSystemTrayIcon::DoubleClick, true},
      {QSystemTrayIcon::Trigger, false},
      {QSystemTrayIcon::MiddleClick, false},
  };
  for (const Case& c : cases) {
    TrayController tray;
    emit tray.Icon().activated(c.reason);
    DrainPostedEvents();
    EXPECT_EQ(tray.Menu().isVisible(), c.opensMenu) << "reason " << c.reason;
    tray.Menu().hide();
  }
}

TEST(TrayController, InfoOpensOneAboutBoxAtATime) {
  TrayController tray;
  QAction* info = tray.Menu().actions().at(1);
  info->trigger();
  AboutDialog* about = tray.ShownAboutBox();
  ASSERT_NE(about, nullptr);
  EXPECT_TRUE(about->isVisible());
  EXPECT_TRUE(about->isModal());

  info->trigger();
  EXPECT_EQ(tray.ShownAboutBox(), about);
  EXPECT_EQ(OpenAboutBoxes(), 1);

  about->accept();
  DrainPostedEvents();
  EXPECT_EQ(tray.ShownAboutBox(), nullptr);
  EXPECT_EQ(OpenAboutBoxes(), 0);

  info->trigger();
  EXPECT_NE(tray.ShownAboutBox(), nullptr) << "a closed box can be opened again";
  tray.ShownAboutBox()->reject();
  DrainPostedEvents();
}

TEST(TrayController, QuitRemovesTheIconThenAsksToEnd) {
  TrayController tray;
  tray.ShowIcon();
  bool iconGoneWhenAsked = false;
  int quitRequests = 0;
  QObject::connect(&tray, &TrayController::QuitRequested, [&] {
    ++quitRequests;
    iconGoneWhenAsked = !tray.Icon().isVisible();
  });
  tray.Menu().actions().at(0)->trigger();
  EXPECT_EQ(quitRequests, 1);
  EXPECT_TRUE(iconGoneWhenAsked);
}

}  // namespace
