// The tray menu and the Info box, on an offscreen display: what they say,
// where the menu opens and how they close. How they open in a real tray is
// the desktop test's part.

#include <gtest/gtest.h>

#include <QAction>
#include <QCursor>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <functional>

#include "app/linux/AboutDialog.h"
#include "app/linux/TrayController.h"

namespace {

TEST(TrayMenu, HoldsQuitThenInfoAndQuitRemovesTheIconBeforeAskingToEnd) {
  TrayController tray;
  tray.ShowIcon();
  const QList<QAction*> actions = tray.Menu().actions();
  ASSERT_EQ(actions.size(), 2);
  EXPECT_EQ(actions[0]->text(), QStringLiteral("Quit"));
  EXPECT_EQ(actions[1]->text(), QStringLiteral("&Info..."));
  EXPECT_EQ(tray.Icon().contextMenu(), &tray.Menu());

  int iconGoneWhenAsked = 0;
  QObject::connect(&tray, &TrayController::QuitRequested, [&] { iconGoneWhenAsked += !tray.Icon().isVisible(); });
  actions[0]->trigger();
  EXPECT_EQ(iconGoneWhenAsked, 1);
}

// Where the tray does not open the menu itself, a double click or a right
// click opens it at the pointer; a single click opens nothing.
TEST(TrayMenu, OpensWhereThePointerIs) {
  TrayController tray;
  QCursor::setPos(120, 90);
  for (const auto reason : {QSystemTrayIcon::Trigger, QSystemTrayIcon::DoubleClick, QSystemTrayIcon::Context}) {
    tray.Menu().hide();
    emit tray.Icon().activated(reason);
    EXPECT_EQ(tray.Menu().isVisible(), reason != QSystemTrayIcon::Trigger) << reason;
    if (tray.Menu().isVisible()) {
      EXPECT_EQ(tray.Menu().pos(), QPoint(120, 90)) << reason;
    }
  }
}

TEST(AboutDialog, ShowsTitleProductLineYearAndGreyEmblem) {
  AboutDialog about;
  EXPECT_EQ(about.windowTitle(), QStringLiteral("Info"));
  EXPECT_TRUE(about.isModal());
  QStringList texts;
  for (QLabel* label : about.findChildren<QLabel*>()) {
    if (!label->text().isEmpty()) texts << label->text();
  }
  EXPECT_EQ(texts, QStringList({"VESTREL MSFS Plug-In 0.5.0", "Dorvik panel bridge, 2025"}));
  const QLabel* emblem = about.findChild<QLabel*>(QStringLiteral("emblem"));
  ASSERT_NE(emblem, nullptr);
  EXPECT_EQ(emblem->pixmap().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied),
            QImage(QStringLiteral(VP_ICON_DIR "/standby-32.png")).convertToFormat(QImage::Format_ARGB32_Premultiplied));
}

TEST(AboutDialog, OkEnterEscapeAndTheCloseButtonEachCloseIt) {
  const struct {
    const char* how;
    std::function<void(AboutDialog&)> close;
    QDialog::DialogCode result;
  } cases[] = {
      {"OK", [](AboutDialog& d) { QTest::mouseClick(d.findChild<QPushButton*>(), Qt::LeftButton); }, QDialog::Accepted},
      {"Enter", [](AboutDialog& d) { QTest::keyClick(&d, Qt::Key_Return); }, QDialog::Accepted},
      {"Escape", [](AboutDialog& d) { QTest::keyClick(&d, Qt::Key_Escape); }, QDialog::Rejected},
      {"close button", [](AboutDialog& d) { d.close(); }, QDialog::Rejected},
  };
  for (const auto& c : cases) {
    AboutDialog about;
    about.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&about)) << c.how;
    EXPECT_EQ(about.findChildren<QPushButton*>().size(), 1) << c.how;
    about.setResult(-1);
    c.close(about);
    EXPECT_FALSE(about.isVisible()) << c.how;
    EXPECT_EQ(about.result(), c.result) << c.how;
  }
}

}  // namespace
