#include "platform/sys/dynlib.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/sys/sys_testing.h"

namespace sys {
namespace {

namespace fs = std::filesystem;

using AnswerFn = int (*)();

// The test library copied into a folder of its own under a name the system's loader cannot find.
class DynamicLibraryTest : public ::testing::Test {
 protected:
  void SetUp() override { fs::copy_file(SYS_DYNLIB_TEST_LIBRARY, folder_ / kName); }
  static int answer(const DynamicLibrary& library) {
    auto fn = reinterpret_cast<AnswerFn>(library.symbol("SysDynlibTestAnswer"));
    return fn ? fn() : -1;
  }

  static constexpr const char* kName = "libsys_lookup_probe.so";
  testing::TempFolder temp_{"sys_dynlib_"};
  const fs::path& folder_ = temp_.path();
};

TEST_F(DynamicLibraryTest, NameWithoutFolderIsLookedForInTheGivenFolderFirst) {
  std::string error;
  EXPECT_EQ(DynamicLibrary::open(kName, &error), nullptr);
  EXPECT_NE(error.find(kName), std::string::npos) << error;
  auto library = DynamicLibrary::open(kName, &error, folder_.string());
  ASSERT_NE(library, nullptr) << error;
  EXPECT_EQ(answer(*library), 42);
  EXPECT_EQ(library->path(), (folder_ / kName).string());
  // The library knows where it was loaded from.
  EXPECT_EQ(folderOfCodeAt(library->symbol("SysDynlibTestAnswer")), folder_.string() + "/");
}

TEST_F(DynamicLibraryTest, NameNotInTheFolderAndPathsGoWhereTheyWouldGo) {
  std::string error;
  // Not in the folder: the system's places (the C library's maths part is always there).
  auto system = DynamicLibrary::open("libm.so.6", &error, folder_.string());
  ASSERT_NE(system, nullptr) << error;
  EXPECT_EQ(system->path(), "libm.so.6");
  // A path keeps its folder.
  const fs::path elsewhere = folder_ / "elsewhere";
  fs::create_directories(elsewhere);
  auto byPath = DynamicLibrary::open((folder_ / kName).string(), &error, elsewhere.string());
  ASSERT_NE(byPath, nullptr) << error;
  EXPECT_EQ(answer(*byPath), 42);
  EXPECT_EQ(DynamicLibrary::open((elsewhere / kName).string(), &error, folder_.string()), nullptr);
}

TEST(FolderOfCodeTest, AnAddressInNoLibraryHasNoFolder) {
  EXPECT_EQ(folderOfCodeAt(nullptr), "");
}

}  // namespace
}  // namespace sys
