// GoogleTest entry point for tests that need a Qt application object. Built
// twice: with QCoreApplication for the thread-crossing tests, with
// QApplication (offscreen unless a display is chosen) for the widgets.

#include <gtest/gtest.h>

#ifdef VP_TEST_WIDGETS
#include <QApplication>
using TestApplication = QApplication;
#else
#include <QCoreApplication>
using TestApplication = QCoreApplication;
#endif

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  TestApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
