// Which platform Qt is handed for each request and each set of displays
// that answer. Whether a display answers is the end-to-end tests' part.

#include <gtest/gtest.h>

#include <string>

#include "app/linux/QtPlatformChoice.h"

namespace {

TEST(QtPlatformChoice, NeverNamesADisplayThatDidNotAnswerAndEndsInOffscreen) {
  struct Row {
    const char* requested;
    bool x11;
    bool wayland;
    const char* chosen;
  };
  const Row rows[] = {
      {"", false, false, "offscreen"},        {"", true, false, "xcb;offscreen"},
      {"", false, true, "wayland;offscreen"}, {"", true, true, ""},  // Qt's own choice between two live displays
      {"xcb", false, true, "offscreen"},      {"wayland;xcb", true, false, "xcb;offscreen"},
      {"vnc", false, false, "vnc;offscreen"}, {"offscreen", true, true, "offscreen"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(ChooseQtPlatform(row.requested, row.x11, row.wayland), row.chosen)
        << "asked '" << row.requested << "', X " << row.x11 << ", Wayland " << row.wayland;
  }
}

}  // namespace
