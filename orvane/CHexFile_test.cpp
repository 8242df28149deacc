#include "orvane/CHexFile.h"

#include <gtest/gtest.h>

#include <vector>

#include "orvane/orvane_test_support.h"

using orvanetest::hexData;
using orvanetest::hexRecord;
using orvanetest::kEndOfFile;

namespace {

std::vector<uint8_t> bytesFrom(uint8_t first, size_t n) {
  std::vector<uint8_t> v(n);
  for (size_t i = 0; i < n; ++i) v[i] = static_cast<uint8_t>(first + i);
  return v;
}

}  // namespace

TEST(CHexFile, RecordsAreReadOneAfterAnother) {
  CHexFile file(":0300000002 05F303\r\n" + kEndOfFile);
  EXPECT_EQ(file.ReadRecord(), intelhex::kMalformed);  // a blank inside the record

  CHexFile good(":03000000020533C3\r\n" + kEndOfFile);
  ASSERT_EQ(good.ReadRecord(), intelhex::kDataRecord);
  EXPECT_EQ(good.Record().count, 3);
  EXPECT_EQ(good.Record().data[2], 0x33);
  EXPECT_EQ(good.ReadRecord(), intelhex::kEndOfFileRecord);
  EXPECT_EQ(good.ReadRecord(), intelhex::kNoRecord);
  good.Rewind();
  EXPECT_EQ(good.ReadRecord(), intelhex::kDataRecord);
}

TEST(CHexFile, DigitsAreUpperCaseOnlyAndLinesEndInCrLf) {
  CHexFile lower(":03000000020533c3\r\n");
  EXPECT_EQ(lower.ReadRecord(), intelhex::kMalformed);
  CHexFile badSum(":03000000020533C4\r\n");
  EXPECT_EQ(badSum.ReadRecord(), intelhex::kBadChecksum);
  // Line feeds alone: the next record is looked for one character too far.
  CHexFile lineFeeds(":03000000020533C3\n:03000300010203F4\n");
  EXPECT_EQ(lineFeeds.ReadRecord(), intelhex::kDataRecord);
  EXPECT_EQ(lineFeeds.ReadRecord(), intelhex::kNoColon);
  std::vector<uint8_t> buffer(3);
  EXPECT_EQ(lineFeeds.ReadRange(0x0003, buffer), CHexFile::kStartNotFound);
}

TEST(CHexFile, RangeStartsInsideARecordAndIsCutAtTheBuffersEnd) {
  CHexFile file(hexData(0x2E0, bytesFrom(0x10, 48)) + kEndOfFile);
  std::vector<uint8_t> id(12);
  ASSERT_EQ(file.ReadRange(0x2F0, id), 12);
  EXPECT_EQ(id, bytesFrom(0x20, 12));
  std::vector<uint8_t> all(100, 0xEE);
  ASSERT_EQ(file.ReadRange(0x2E8, all), 40);  // to the end of the last record
  EXPECT_EQ(std::vector<uint8_t>(all.begin(), all.begin() + 40), bytesFrom(0x18, 40));
  EXPECT_EQ(all[40], 0);  // zero-filled beyond
}

TEST(CHexFile, RecordsAfterAGapLandAtTheirOwnOffsetAndTheGapStaysZero) {
  // The second stretch starts 0x110 bytes after the first: an offset that does not fit 8 bits.
  CHexFile file(hexData(0x300, bytesFrom(1, 16)) + hexData(0x410, bytesFrom(0x80, 16)) + kEndOfFile);
  std::vector<uint8_t> program(8192, 0xEE);
  ASSERT_EQ(file.ReadRange(0x300, program), 0x120);
  EXPECT_EQ(std::vector<uint8_t>(program.begin(), program.begin() + 16), bytesFrom(1, 16));
  EXPECT_EQ(std::vector<uint8_t>(program.begin() + 16, program.begin() + 0x110),
            std::vector<uint8_t>(0x100, 0));
  EXPECT_EQ(std::vector<uint8_t>(program.begin() + 0x110, program.begin() + 0x120), bytesFrom(0x80, 16));
}

TEST(CHexFile, RecordBelowTheStartAfterItWasFoundIsRefused) {
  CHexFile file(hexData(0x300, bytesFrom(1, 16)) + hexData(0x200, bytesFrom(9, 16)) + kEndOfFile);
  std::vector<uint8_t> program(64);
  EXPECT_EQ(file.ReadRange(0x300, program), CHexFile::kRecordBelowStart);
}

TEST(CHexFile, StartInAGapOrBeyondEveryRecordIsNotFound) {
  CHexFile file(hexData(0x310, bytesFrom(1, 16)) + kEndOfFile);
  std::vector<uint8_t> buffer(16);
  EXPECT_EQ(file.ReadRange(0x300, buffer), CHexFile::kStartNotFound);
  EXPECT_EQ(file.ReadRange(0x400, buffer), CHexFile::kStartNotFound);
  // A record that comes first but lies after the start does not stand in for it.
  CHexFile outOfOrder(hexData(0x400, bytesFrom(1, 16)) + hexData(0x300, bytesFrom(9, 16)) + kEndOfFile);
  EXPECT_EQ(outOfOrder.ReadRange(0x300, buffer), CHexFile::kStartNotFound);
}

TEST(CHexFile, DamagedLineAfterTheStartFailsTheRangeInsteadOfShorteningIt) {
  std::string text = hexData(0x300, bytesFrom(1, 48)) + kEndOfFile;
  text[text.find(":10032000") + 12] ^= 0x01;  // a data digit of the third record
  CHexFile file(text);
  std::vector<uint8_t> program(8192);
  EXPECT_EQ(file.ReadRange(0x300, program), intelhex::kBadChecksum);
}

TEST(CHexFile, ReadingEndsAtTheEndOfFileRecordAndPassesOverOtherTypes) {
  std::string text = hexRecord(0, 4, {0x00, 0x00}) + hexData(0x300, bytesFrom(1, 16)) +
                     hexRecord(0x310, 0, {}) + kEndOfFile + "trailing text";
  CHexFile file(text);
  std::vector<uint8_t> program(64);
  EXPECT_EQ(file.ReadRange(0x300, program), 16);
}

TEST(CHexFile, OpenReadsTheFileAndRefusesWhatIsNotThere) {
  CHexFile file;
  EXPECT_FALSE(file.Open("/nonexistent/firmware.hex"));
  const auto path =
      std::filesystem::temp_directory_path() / ("chexfile_" + std::to_string(::getpid()) + ".hex");
  std::ofstream(path, std::ios::binary) << hexData(0x300, bytesFrom(1, 4)) << kEndOfFile;
  ASSERT_TRUE(file.Open(path.string()));
  std::vector<uint8_t> buffer(4);
  EXPECT_EQ(file.ReadRange(0x300, buffer), 4);
  std::filesystem::remove(path);
}
