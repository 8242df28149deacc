#include "zem/link/ZemUtils.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/sys/clock.h"
#include "platform/ui/application.h"
#include "zem/link/ZEMData.h"

namespace {

class DelayTest : public ::testing::Test {
 protected:
  void SetUp() override { InitZemData(); }
  void TearDown() override {
    ui::app().reset();
    InitZemData();
  }
};

TEST_F(DelayTest, WaitsTheTimeAcrossTheTickWrapAndOnlyDelayProcessesMessages) {
  sys::ScopedVirtualClock clock(0xFFFFFFF0u);
  int ran = 0;
  ui::app().post([&] { ++ran; });
  DelayNoMessages(100);
  EXPECT_EQ(sys::tickCount(), 0xFFFFFFF0u + 100u);  // 84 past the wrap: neither cut short nor endless
  EXPECT_EQ(ran, 0);
  Delay(40);
  EXPECT_EQ(sys::tickCount(), 0xFFFFFFF0u + 140u);
  EXPECT_EQ(ran, 1);
}

TEST_F(DelayTest, ZeroOrTerminateEndTheWaitAtOnce) {
  sys::ScopedVirtualClock clock(0);
  Delay(0);
  EXPECT_EQ(sys::tickCount(), 0u);
  ui::app().post([] { TerminateFlag = true; });
  Delay(2000);
  EXPECT_LE(sys::tickCount(), 1u);
  DelayNoMessages(2000);
  EXPECT_LE(sys::tickCount(), 1u);
}

TEST(ZemUtilsTest, ShortStringShowsControlBytesAsUnderscores) {
  const uint8_t bytes[] = {65, 10, 66};
  EXPECT_EQ(BufferToShortString(bytes, 3), "A_B");
}

TEST(ZemUtilsTest, ShortStringStopsAtTheDataAndAt255Bytes) {
  const uint8_t bytes[] = {65, 10, 66};
  EXPECT_EQ(BufferToShortString(bytes, 40), "A_B");
  EXPECT_EQ(BufferToShortString(std::vector<uint8_t>(400, 'x'), 400).size(), 255u);
}

TEST(ZemUtilsTest, VersionTextNamesTheBuildOnlyWhenThereIsOne) {
  EXPECT_EQ(VersionToText(2 | (3 << 8)), "2.3");
  EXPECT_EQ(VersionToText(2 | (3 << 8) | (5 << 16)), "2.3 build 5");
}

TEST(SafeFolderNameTest, OrdinaryNamesStayAsTheyAre) {
  EXPECT_EQ(SafeFolderName("Brevidor 600"), "Brevidor 600");
  EXPECT_EQ(SafeFolderName("Brevidor 400 LED Series (A1.b)"), "Brevidor 400 LED Series (A1.b)");
}

TEST(SafeFolderNameTest, CharactersWithAMeaningToFileSystemsBecomeUnderscores) {
  EXPECT_EQ(SafeFolderName("C:\\x*?\"<>|/"), "C__x_______");
  EXPECT_EQ(SafeFolderName("\x01tab\tend\x7f"), "_tab_end_");
  EXPECT_EQ(SafeFolderName("caf\xc3\xa9"), "caf__");  // not ASCII: unknown to some file systems
}

TEST(SafeFolderNameTest, DotRunsAndTheEmptyNameCannotNameAnotherFolder) {
  EXPECT_EQ(SafeFolderName("a..b"), "a__b");
  EXPECT_EQ(SafeFolderName("."), "_");
  EXPECT_EQ(SafeFolderName(""), "_");
  EXPECT_EQ(SafeFolderName("v1.2"), "v1.2");
}

TEST(SafeFolderNameTest, NoNameLeavesTheFolderItIsPutIn) {
  for (const std::string name : {"..", ".", "../../etc", "a/b\\c:d", "x..y", "", "...", "\x01\x7f"}) {
    const std::string safe = SafeFolderName(name);
    EXPECT_FALSE(safe.empty());
    EXPECT_EQ(safe.find_first_of("/\\:"), std::string::npos) << name;
    EXPECT_EQ(safe.find(".."), std::string::npos) << name;
    EXPECT_NE(safe, ".");
    EXPECT_EQ(std::filesystem::path("/base/" + safe).lexically_normal().parent_path(),
              std::filesystem::path("/base"))
        << name;
  }
}

}  // namespace
