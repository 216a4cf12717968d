// The "Info" box: its texts, its emblem and every way of closing it.

#include <gtest/gtest.h>

#include <functional>

#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "app/linux/AboutDialog.h"
#include "tests/linux/EventLoopWait.h"

namespace {

QStringList LabelTexts(const AboutDialog& about) {
  QStringList texts;
  for (QLabel* label : about.findChildren<QLabel*>()) {
    if (!label->text().isEmpty()) texts << label->text();
  }
  return texts;
}

TEST(AboutDialog, ShowsTitleProductLineYearAndGreyEmblem) {
  AboutDialog about;
  EXPECT_EQ(about.windowTitle(), QStringLiteral("Info"));
  EXPECT_TRUE(about.isModal());

  const QStringList texts = LabelTexts(about);
  ASSERT_EQ(texts.size(), 2);
  EXPECT_EQ(texts[0], QStringLiteral("VESTREL MSFS Plug-In 0.5.0"));
  EXPECT_TRUE(texts[1].contains(QStringLiteral("2025"))) << texts[1].toStdString();

  const QLabel* emblem = about.findChild<QLabel*>(QStringLiteral("emblem"));
  ASSERT_NE(emblem, nullptr);
  EXPECT_EQ(emblem->pixmap().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied),
            QImage(QStringLiteral(VP_ICON_DIR "/standby-32.png")).convertToFormat(QImage::Format_ARGB32_Premultiplied));

  const QList<QPushButton*> buttons = about.findChildren<QPushButton*>();
  ASSERT_EQ(buttons.size(), 1);
  EXPECT_EQ(buttons[0]->text(), QStringLiteral("OK"));
  EXPECT_TRUE(buttons[0]->isDefault());
}

TEST(AboutDialog, EveryWayOfClosingItCloses) {
  struct Case {
    const char* how;
    std::function<void(AboutDialog&)> close;
    QDialog::DialogCode result;
  };
  const Case cases[] = {
      {"OK", [](AboutDialog& d) { QTest::mouseClick(d.findChild<QPushButton*>(), Qt::LeftButton); },
       QDialog::Accepted},
      {"Enter", [](AboutDialog& d) { QTest::keyClick(&d, Qt::Key_Return); }, QDialog::Accepted},
      {"Escape", [](AboutDialog& d) { QTest::keyClick(&d, Qt::Key_Escape); }, QDialog::Rejected},
      {"close button", [](AboutDialog& d) { d.close(); }, QDialog::Rejected},
  };
  for (const Case& c : cases) {
    AboutDialog about;
    about.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&about)) << c.how;
    about.setResult(-1);
    c.close(about);
    DrainPostedEvents();
    EXPECT_FALSE(about.isVisible()) << c.how;
    EXPECT_EQ(about.result(), c.result) << c.how;
  }
}

}  // namespace
