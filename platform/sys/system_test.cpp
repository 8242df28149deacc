#include "platform/sys/system.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/sys/sys_testing.h"

namespace sys {
namespace {

namespace fs = std::filesystem;

class FoldersTest : public ::testing::Test {
 protected:
  std::string folder(const std::string& relative) const { return (root_ / relative).string() + "/"; }

  testing::TempFolder temp_{"sys_folders_"};
  const fs::path& root_ = temp_.path();
};

TEST_F(FoldersTest, UserDataFolderIsUnderXdgDataHome) {
  testing::ScopedEnv data("XDG_DATA_HOME", (root_ / "data").c_str());
  EXPECT_EQ(userDataFolder("zem"), folder("data/zem"));
}

TEST_F(FoldersTest, UserDataFolderDefaultsToLocalShareUnderHome) {
  testing::ScopedEnv data("XDG_DATA_HOME", nullptr);
  testing::ScopedEnv home("HOME", root_.c_str());
  EXPECT_EQ(userDataFolder("zem"), folder(".local/share/zem"));
}

TEST_F(FoldersTest, RelativeOrEmptyXdgDataHomeIsIgnored) {
  testing::ScopedEnv home("HOME", (root_.string() + "/").c_str());
  for (const char* value : {"relative/data", ""}) {
    testing::ScopedEnv data("XDG_DATA_HOME", value);
    EXPECT_EQ(userDataFolder("zem"), folder(".local/share/zem")) << value;
  }
}

TEST_F(FoldersTest, WithoutHomeTheUserDatabaseGivesTheHome) {
  testing::ScopedEnv data("XDG_DATA_HOME", nullptr);
  testing::ScopedEnv home("HOME", nullptr);
  const std::string found = userDataFolder("zem");
  ASSERT_FALSE(found.empty());
  EXPECT_EQ(found.rfind('/', 0), 0u) << found;
  EXPECT_TRUE(found.ends_with("/.local/share/zem/")) << found;
}

TEST_F(FoldersTest, InstalledDataFolderIsShareBesideBin) {
  fs::create_directories(root_ / "prefix/bin");
  EXPECT_EQ(installedDataFolder(folder("prefix/bin"), "zem"), "");
  fs::create_directories(root_ / "prefix/share/zem");
  EXPECT_EQ(fs::weakly_canonical(installedDataFolder(folder("prefix/bin"), "zem")),
            fs::weakly_canonical(root_ / "prefix/share/zem/"));
  // Without the trailing separator the same.
  EXPECT_EQ(installedDataFolder((root_ / "prefix/bin").string(), "zem"),
            installedDataFolder(folder("prefix/bin"), "zem"));
  EXPECT_EQ(installedDataFolder("", "zem"), "");
}

TEST_F(FoldersTest, InstalledDataFolderMustBeAFolder) {
  fs::create_directories(root_ / "prefix/bin");
  fs::create_directories(root_ / "prefix/share");
  std::ofstream(root_ / "prefix/share/zem") << "not a folder";
  EXPECT_EQ(installedDataFolder(folder("prefix/bin"), "zem"), "");
}

TEST_F(FoldersTest, WritableFolder) {
  EXPECT_TRUE(folderWritable(root_.string()));
  EXPECT_FALSE(folderWritable((root_ / "missing").string()));
  EXPECT_FALSE(folderWritable(""));
  std::ofstream(root_ / "file") << "x";
  EXPECT_FALSE(folderWritable((root_ / "file").string()));
  EXPECT_FALSE(folderWritable(folder("file")));
  // Permission bits do not bind the superuser.
  if (::geteuid() != 0) {
    fs::create_directories(root_ / "read-only");
    fs::permissions(root_ / "read-only", fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_FALSE(folderWritable((root_ / "read-only").string()));
  }
}

TEST_F(FoldersTest, ExistingFolderIsTheNearestOneThatIsThere) {
  fs::create_directories(root_ / "a");
  EXPECT_EQ(fs::path(existingFolder((root_ / "a").string())), root_ / "a");
  EXPECT_EQ(fs::path(existingFolder((root_ / "a/b/c").string())), root_ / "a");
  EXPECT_EQ(fs::path(existingFolder((root_ / "a/../x/y").string())), root_);
  std::ofstream(root_ / "a/file") << "x";
  EXPECT_EQ(fs::path(existingFolder((root_ / "a/file/below").string())), root_ / "a");  // a file is no folder
  EXPECT_EQ(existingFolder("/"), "/");
  EXPECT_EQ(existingFolder("no-such-folder-here/x"), "");
}

}  // namespace
}  // namespace sys
