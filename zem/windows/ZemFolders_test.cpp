#include "zem/windows/ZemFolders.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/sys/sys_testing.h"
#include "zem/link/ZEMData.h"
#include "zem/windows/windows_test_support.h"

namespace {

namespace fs = std::filesystem;

// A program folder in a temporary tree, and the user's data folder ($XDG_DATA_HOME) in the same tree.
class ZemFoldersTest : public ::testing::Test {
 protected:
  void TearDown() override {
    ProgramFolder = savedProgramFolder_;
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }
  // The program as run from the folder (relative to the tree); the folder is made.
  void runFrom(const std::string& relative) {
    fs::create_directories(root_ / relative);
    ProgramFolder = (root_ / relative).string() + "/";
  }
  void install() { fs::create_directories(root_ / "prefix/share/zem"); }
  std::string userData() const { return (root_ / "data/zem").string() + "/"; }

  const std::string savedProgramFolder_ = ProgramFolder;
  fs::path root_ = windowstest::MakeTempFolder();
  sys::testing::ScopedEnv dataHome_{"XDG_DATA_HOME", (root_ / "data").c_str()};
};

TEST_F(ZemFoldersTest, ProgramRunFromItsBuildOrAPortableFolderKeepsMemoryFilesBesideIt) {
  runFrom("portable");
  EXPECT_EQ(memoryFilesRoot(), ProgramFolder);
  // The folder as found, without its trailing separator.
  ProgramFolder.pop_back();
  EXPECT_EQ(memoryFilesRoot(), ProgramFolder + "/");
}

TEST_F(ZemFoldersTest, InstalledProgramKeepsMemoryFilesInTheUserDataFolder) {
  runFrom("prefix/bin");
  install();
  // Even where the program's folder could be written (the superuser, a staging prefix).
  EXPECT_EQ(memoryFilesRoot(), userData());
}

TEST_F(ZemFoldersTest, ProgramFolderThatCannotBeWrittenGivesTheUserDataFolder) {
  std::ofstream(root_ / "file") << "x";
  ProgramFolder = (root_ / "file").string() + "/";
  EXPECT_EQ(memoryFilesRoot(), userData());
}

TEST_F(ZemFoldersTest, HelpFileBesideTheProgramComesFirstThenTheInstalledOne) {
  runFrom("prefix/bin");
  const std::string beside = ProgramFolder + "Zem.hlp";
  // Neither there: named beside the program.
  EXPECT_EQ(helpFilePath(), beside);
  install();
  EXPECT_EQ(helpFilePath(), beside);
  std::ofstream(root_ / "prefix/share/zem/Zem.hlp") << "help";
  // Found through bin/.., named without it.
  EXPECT_EQ(helpFilePath(), (root_ / "prefix/share/zem/Zem.hlp").string());
  std::ofstream(beside) << "help";
  EXPECT_EQ(helpFilePath(), beside);
}

}  // namespace
