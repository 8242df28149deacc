#include "orvane/CHexFile.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

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

namespace {

struct DamagedText {
  const char* name;
  std::string text;
  size_t line;
  CHexFile::Fault fault;
};

void PrintTo(const DamagedText& row, std::ostream* os) {
  *os << row.name;
}

// Two data records of 16 bytes: 45 characters a line with its CR LF.
std::string twoLines() {
  return hexData(0x300, bytesFrom(1, 32));
}

// The text with the digit at pos changed to another.
std::string digitChanged(std::string text, size_t pos) {
  text[pos] = text[pos] == '0' ? '1' : '0';
  return text;
}

}  // namespace

class CheckWholeFault : public testing::TestWithParam<DamagedText> {};

TEST_P(CheckWholeFault, NamesTheFirstFailingLineAndItsReason) {
  const CHexFile file(GetParam().text);
  const auto fault = file.CheckWhole();
  ASSERT_TRUE(fault.has_value());
  EXPECT_EQ(fault->line, GetParam().line);
  EXPECT_EQ(fault->fault, GetParam().fault);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, CheckWholeFault,
    testing::Values(
        DamagedText{"CutAtALineBoundary", twoLines(), 3, CHexFile::Fault::NoEndOfFile},
        DamagedText{"Empty", "", 1, CHexFile::Fault::NoEndOfFile},
        DamagedText{"ChecksumChanged", digitChanged(twoLines(), 45 + 42) + kEndOfFile, 2,
                    CHexFile::Fault::BadChecksum},
        DamagedText{"LineFeedsAlone", ":03000000020533C3\n" + kEndOfFile, 1, CHexFile::Fault::NoCrLf},
        DamagedText{"CarriageReturnsAlone", ":03000000020533C3\r" + kEndOfFile, 1, CHexFile::Fault::NoCrLf},
        DamagedText{"MoreAfterTheChecksum", ":03000000020533C300\r\n" + kEndOfFile, 1,
                    CHexFile::Fault::NoCrLf},
        DamagedText{"LastRecordWithoutLineEnd", ":03000000020533C3", 1, CHexFile::Fault::NoCrLf},
        DamagedText{"LowerCaseDigit", twoLines() + ":03000000020533c3\r\n" + kEndOfFile, 3,
                    CHexFile::Fault::BadDigit},
        DamagedText{"BlankInside", ":0300000002 05F303\r\n" + kEndOfFile, 1, CHexFile::Fault::BadDigit},
        DamagedText{"BlankLine", twoLines() + "\r\n" + kEndOfFile, 3, CHexFile::Fault::NotARecord},
        DamagedText{"CountLargerThanTheLine", ":10030000AB\r\n" + kEndOfFile, 1, CHexFile::Fault::CutShort},
        DamagedText{"CutInsideALine", twoLines().substr(0, 60), 2, CHexFile::Fault::CutShort},
        DamagedText{"EndOfFileRecordCut", twoLines() + ":00000001F", 3, CHexFile::Fault::CutShort}),
    [](const testing::TestParamInfo<DamagedText>& info) { return std::string(info.param.name); });

TEST(CHexFile, CheckWholeTakesAFileToItsEndOfFileRecordAndLeavesWhatFollows) {
  // An extended-address record, the end-of-file record without a line end, and text after it.
  EXPECT_FALSE(CHexFile(hexRecord(0, 4, {0x00, 0x00}) + twoLines() + ":00000001FF").CheckWhole());
  EXPECT_FALSE(CHexFile(twoLines() + kEndOfFile + "not HEX\n:zz\r\n").CheckWhole());
}

TEST(CHexFile, OpenReadsOnlyARegularFile) {
  sys::testing::TempFolder folder("chexfile_");
  const auto fifo = folder.path() / "firmware.hex";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  CHexFile file;
  EXPECT_FALSE(file.Open(fifo.string()));  // returns at once, with no writer at the other end
  EXPECT_FALSE(file.Open(folder.path().string()));
}
