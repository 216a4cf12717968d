// Where the single-instance lock lives, and why nothing another user plants
// in /tmp can keep the bridge out or lead its lock elsewhere.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "app/linux/InstanceLock.h"
#include "tests/support/TempFolder.h"

namespace {

mode_t PermissionsOf(const std::string& path) {
  struct stat info {};
  stat(path.c_str(), &info);
  return info.st_mode & 07777;
}

// InstanceLockDirectory() with XDG_RUNTIME_DIR set to `value` (null: unset).
std::string LockDirectoryWith(const char* value) {
  const char* saved = std::getenv("XDG_RUNTIME_DIR");
  const std::string restore = saved != nullptr ? saved : "";
  value != nullptr ? setenv("XDG_RUNTIME_DIR", value, 1) : unsetenv("XDG_RUNTIME_DIR");
  const std::string directory = InstanceLockDirectory();
  saved != nullptr ? setenv("XDG_RUNTIME_DIR", restore.c_str(), 1) : unsetenv("XDG_RUNTIME_DIR");
  return directory;
}

TEST(InstanceLock, RuntimeFolderOnlyWhenUsableElseAPrivateOneInTmp) {
  TempFolder runtime;
  runtime.Write("file", "x");
  const std::string fallback = "/tmp/vestrel-pelvar-" + std::to_string(getuid());
  EXPECT_EQ(LockDirectoryWith(runtime.Path().c_str()), runtime.Path());
  for (const std::string& unusable : {std::string("unset"), std::string(), std::string("run/user/1000"),
                                      runtime.Path() + "/missing", runtime.Path() + "/file"}) {
    EXPECT_EQ(LockDirectoryWith(unusable == "unset" ? nullptr : unusable.c_str()), fallback) << unusable;
  }
  EXPECT_EQ(PermissionsOf(fallback), 0700u);
}

TEST(InstanceLock, OnlyAFolderOfOurOwnThatNobodyElseMayWriteTo) {
  TempFolder base;
  const std::string in = base.Path() + "/";
  ASSERT_TRUE(MakePrivateFolder(in + "fresh"));
  EXPECT_EQ(PermissionsOf(in + "fresh"), 0700u);
  EXPECT_TRUE(MakePrivateFolder(in + "fresh")) << "an existing private folder is reused";

  mkdir((in + "open").c_str(), 0700);
  chmod((in + "open").c_str(), 01777);
  mkdir((in + "group").c_str(), 0700);
  chmod((in + "group").c_str(), 0770);
  mkdir((in + "foreign").c_str(), 0700);
  const bool canGiveAway = chown((in + "foreign").c_str(), 65534, 65534) == 0;
  ASSERT_EQ(symlink((in + "fresh").c_str(), (in + "link").c_str()), 0);
  base.Write("file", "x");
  for (const char* planted : {"open", "group", "link", "file", canGiveAway ? "foreign" : "open"}) {
    EXPECT_FALSE(MakePrivateFolder(in + planted)) << planted;
  }
}

TEST(InstanceLock, LockFileIsPrivateAndAPlantedLinkIsNotFollowed) {
  TempFolder folder;
  int held = -1;
  ASSERT_EQ(TakeInstanceLock(folder.Path(), &held), InstanceLockResult::Acquired);
  EXPECT_EQ(PermissionsOf(folder.Path() + "/com_vestrel_pelvar.lock"), 0600u);
  close(held);

  // No lock to be had is no reason to refuse to start.
  TempFolder planted;
  planted.Write("elsewhere", "");
  ASSERT_EQ(symlink((planted.Path() + "/elsewhere").c_str(), (planted.Path() + "/com_vestrel_pelvar.lock").c_str()), 0);
  EXPECT_EQ(TakeInstanceLock(planted.Path()), InstanceLockResult::Unavailable);
  EXPECT_EQ(TakeInstanceLock(""), InstanceLockResult::Unavailable);
  EXPECT_EQ(TakeInstanceLock(folder.Path() + "/missing"), InstanceLockResult::Unavailable);
}

}  // namespace
