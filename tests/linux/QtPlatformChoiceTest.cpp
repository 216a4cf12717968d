// Which platform Qt is handed for each request and each set of displays
// that answer, and where the Wayland display is looked for. Whether an X
// display answers is the end-to-end tests' part.

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "app/linux/DisplayProbe.h"
#include "app/linux/QtPlatformChoice.h"
#include "tests/support/TempFolder.h"

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

// The compositor's socket is named by WAYLAND_DISPLAY, relative to
// XDG_RUNTIME_DIR unless absolute, and is wayland-0 when unnamed.
TEST(QtPlatformChoice, FindsTheWaylandSocketWhereTheSessionNamesIt) {
  TempFolder runtime;
  const int compositor = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address = {};
  address.sun_family = AF_UNIX;
  const std::string path = runtime.Path() + "/wayland-0";
  std::strcpy(address.sun_path, path.c_str());
  ASSERT_EQ(bind(compositor, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(listen(compositor, 4), 0);
  const struct {
    const char* runtimeDir;
    const char* display;
    bool reachable;
  } rows[] = {
      {runtime.Path().c_str(), "wayland-0", true},
      {runtime.Path().c_str(), nullptr, true},
      {"/nonexistent", path.c_str(), true},
      {runtime.Path().c_str(), "wayland-1", false},
      {nullptr, "wayland-0", false},
  };
  for (const auto& row : rows) {
    row.runtimeDir != nullptr ? setenv("XDG_RUNTIME_DIR", row.runtimeDir, 1) : unsetenv("XDG_RUNTIME_DIR");
    row.display != nullptr ? setenv("WAYLAND_DISPLAY", row.display, 1) : unsetenv("WAYLAND_DISPLAY");
    EXPECT_EQ(WaylandDisplayReachable(), row.reachable)
        << "XDG_RUNTIME_DIR " << (row.runtimeDir ? row.runtimeDir : "unset") << ", WAYLAND_DISPLAY "
        << (row.display ? row.display : "unset");
  }
  close(compositor);
}

}  // namespace
