// usbfs_run leaves no test bed folder behind, however it ends.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "platform/sys/sys_testing.h"

namespace {

namespace fs = std::filesystem;
using sys::testing::TempFolder;

// Runs usbfs_run with a clean environment whose temporary folder is tmp; the program it starts writes
// the test bed's folder (UMOCKDEV_DIR) into seen first. Answers std::system's status.
int runEmulated(const fs::path& tmp, const fs::path& seen, const std::string& then) {
  const std::string command = "env -i PATH=/usr/bin:/bin TMPDIR='" + tmp.string() +
                              "' '" USBFS_RUN "' /bin/sh -c 'printf %s \"$UMOCKDEV_DIR\" > \"" +
                              seen.string() + "\"; " + then + "' >/dev/null 2>&1";
  return std::system(command.c_str());
}

// Waits (real time, at most 5 s) until the folder holds nothing: the folder's watcher works on its own.
bool emptiesSoon(const fs::path& folder) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!fs::is_empty(folder)) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

std::string readText(const fs::path& path) {
  std::ifstream in(path);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

struct Ending {
  const char* name;
  const char* then;  // what the started program does after noting the folder
};

void PrintTo(const Ending& ending, std::ostream* os) {
  *os << ending.name;
}

class UsbfsRunCleanup : public ::testing::TestWithParam<Ending> {};

TEST_P(UsbfsRunCleanup, LeavesNoTestBedFolder) {
  TempFolder tmp("usbfs_run_tmp_");
  TempFolder notes("usbfs_run_notes_");
  const fs::path seen = notes.path() / "dir";
  (void)runEmulated(tmp.path(), seen, GetParam().then);  // the exit status is the ending's, not the point
  const std::string dir = readText(seen);
  ASSERT_EQ(dir.rfind(tmp.path().string() + "/", 0), 0u)
      << "the test bed was made in the given folder: " << dir;
  EXPECT_TRUE(emptiesSoon(tmp.path())) << dir << " is still there";
}

INSTANTIATE_TEST_SUITE_P(Endings, UsbfsRunCleanup,
                         ::testing::Values(Ending{"ProgramEnds", "exit 3"},
                                           Ending{"RunIsKilled", "kill -KILL $PPID"}),
                         [](const ::testing::TestParamInfo<Ending>& info) { return info.param.name; });

}  // namespace
