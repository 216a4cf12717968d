// Where the single-instance lock lives and how it behaves between holders.
// Lock holders here are open file descriptions of this process: flock
// conflicts between them exactly as between two processes.

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include "app/linux/InstanceLock.h"
#include "tests/linux/TempFolder.h"

namespace {

// Sets or unsets XDG_RUNTIME_DIR for one scope.
class RuntimeDirSetting {
 public:
  explicit RuntimeDirSetting(const std::optional<std::string>& value) {
    if (const char* old = std::getenv("XDG_RUNTIME_DIR")) saved_ = old;
    if (value) {
      setenv("XDG_RUNTIME_DIR", value->c_str(), 1);
    } else {
      unsetenv("XDG_RUNTIME_DIR");
    }
  }
  ~RuntimeDirSetting() {
    if (saved_) {
      setenv("XDG_RUNTIME_DIR", saved_->c_str(), 1);
    } else {
      unsetenv("XDG_RUNTIME_DIR");
    }
  }

 private:
  std::optional<std::string> saved_;
};

std::string UserFallback() { return "/tmp/vestrel-pelvar-" + std::to_string(getuid()); }

mode_t PermissionsOf(const std::string& path) {
  struct stat info {};
  stat(path.c_str(), &info);
  return info.st_mode & 07777;
}

TEST(InstanceLockDirectory, UsesRuntimeFolderOnlyWhenUsable) {
  TempFolder runtime;
  const std::string aFile = runtime.Path() + "/not-a-folder";
  std::ofstream(aFile) << "x";

  struct Case {
    const char* what;
    std::optional<std::string> runtimeDir;
    std::string expected;
  };
  const Case cases[] = {
      {"usable runtime folder", runtime.Path(), runtime.Path()},
      {"unset", std::nullopt, UserFallback()},
      {"empty", std::string(), UserFallback()},
      {"relative path", std::string("run/user/1000"), UserFallback()},
      {"missing folder", runtime.Path() + "/gone", UserFallback()},
      {"a file, not a folder", aFile, UserFallback()},
  };
  for (const Case& c : cases) {
    RuntimeDirSetting setting(c.runtimeDir);
    EXPECT_EQ(InstanceLockDirectory(), c.expected) << c.what;
  }
  EXPECT_EQ(PermissionsOf(UserFallback()), 0700u);
}

TEST(MakePrivateFolder, AcceptsOnlyAFolderOfOurOwn) {
  TempFolder base;
  const std::string fresh = base.Path() + "/fresh";
  EXPECT_TRUE(MakePrivateFolder(fresh));
  EXPECT_EQ(PermissionsOf(fresh), 0700u);
  EXPECT_TRUE(MakePrivateFolder(fresh)) << "an existing private folder is reused";

  const std::string open = base.Path() + "/world-writable";
  mkdir(open.c_str(), 0700);
  chmod(open.c_str(), 01777);
  EXPECT_FALSE(MakePrivateFolder(open));

  const std::string groupWritable = base.Path() + "/group-writable";
  mkdir(groupWritable.c_str(), 0700);
  chmod(groupWritable.c_str(), 0770);
  EXPECT_FALSE(MakePrivateFolder(groupWritable));

  const std::string link = base.Path() + "/link";
  ASSERT_EQ(symlink(fresh.c_str(), link.c_str()), 0);
  EXPECT_FALSE(MakePrivateFolder(link)) << "a planted link could point anywhere";

  const std::string plantedFile = base.Path() + "/file";
  std::ofstream(plantedFile) << "x";
  EXPECT_FALSE(MakePrivateFolder(plantedFile));

  if (getuid() == 0) {
    const std::string foreign = base.Path() + "/foreign";
    mkdir(foreign.c_str(), 0700);
    ASSERT_EQ(chown(foreign.c_str(), 65534, 65534), 0);
    EXPECT_FALSE(MakePrivateFolder(foreign)) << "a folder someone else owns";
  }
}

TEST(TakeInstanceLock, SecondHolderIsTurnedAwayUntilTheFirstLetsGo) {
  TempFolder folder;
  int first = -1;
  ASSERT_EQ(TakeInstanceLock(folder.Path(), &first), InstanceLockResult::Acquired);
  EXPECT_EQ(PermissionsOf(folder.Path() + "/com_vestrel_pelvar.lock"), 0600u);

  int second = -1;
  EXPECT_EQ(TakeInstanceLock(folder.Path(), &second), InstanceLockResult::HeldByAnother);
  EXPECT_EQ(second, -1);

  close(first);  // as the kernel does when the holder dies
  ASSERT_EQ(TakeInstanceLock(folder.Path(), &second), InstanceLockResult::Acquired);
  close(second);
}

TEST(TakeInstanceLock, NoUsableFolderMeansNoLockButNoRefusal) {
  TempFolder folder;
  EXPECT_EQ(TakeInstanceLock(""), InstanceLockResult::Unavailable);
  EXPECT_EQ(TakeInstanceLock(folder.Path() + "/missing"), InstanceLockResult::Unavailable);

  // A link planted where the lock file belongs is not followed.
  const std::string target = folder.Path() + "/elsewhere";
  std::ofstream(target) << "";
  ASSERT_EQ(symlink(target.c_str(), (folder.Path() + "/com_vestrel_pelvar.lock").c_str()), 0);
  EXPECT_EQ(TakeInstanceLock(folder.Path()), InstanceLockResult::Unavailable);
}

}  // namespace
