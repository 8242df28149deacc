#include "usbdevice/CHexResource.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "usbdevice/loader_images.h"

using ::testing::ElementsAre;

namespace {

std::string line(std::string_view text) {
  return std::string(text) + "\r\n";
}

}  // namespace

TEST(ParseHexRecord, DataRecordGivesCountAddressAndBytes) {
  intelhex::HexRecord r;
  ASSERT_EQ(intelhex::ParseHexRecord(":030000000205F303", r), intelhex::kDataRecord);
  EXPECT_EQ(r.count, 3);
  EXPECT_EQ(r.address(), 0x0000);
  EXPECT_THAT(r.bytes(), ElementsAre(0x02, 0x05, 0xF3));
}

TEST(ParseHexRecord, RejectsBadInputWithoutTouchingTheRecord) {
  intelhex::HexRecord r;
  ASSERT_EQ(intelhex::ParseHexRecord(":0212340001FEB9", r), 0);
  EXPECT_EQ(intelhex::ParseHexRecord("0212340001FEB9", r), intelhex::kNoColon);
  EXPECT_EQ(intelhex::ParseHexRecord("", r), intelhex::kNoColon);
  EXPECT_EQ(intelhex::ParseHexRecord(":0212340001FE", r), intelhex::kMalformed);  // checksum cut off
  EXPECT_EQ(intelhex::ParseHexRecord(":10123400", r), intelhex::kMalformed);      // count says 16 bytes
  EXPECT_EQ(intelhex::ParseHexRecord(":", r), intelhex::kMalformed);
  EXPECT_EQ(intelhex::ParseHexRecord(":0212340001FGB9", r), intelhex::kMalformed);  // G is no digit
  EXPECT_EQ(intelhex::ParseHexRecord(":0212340001FEBA", r), intelhex::kBadChecksum);
  EXPECT_EQ(r.address(), 0x1234);
  EXPECT_THAT(r.bytes(), ElementsAre(0x01, 0xFE));
}

TEST(ParseHexRecord, LowerCaseDigitsOnlyWhenAllowed) {
  intelhex::HexRecord r;
  EXPECT_EQ(intelhex::ParseHexRecord(":0212340001feb9", r, intelhex::Digits::AnyCase), 0);
  EXPECT_EQ(intelhex::ParseHexRecord(":0212340001feb9", r, intelhex::Digits::UpperCaseOnly),
            intelhex::kMalformed);
}

TEST(CHexResource, ReadsRecordsUntilNoLineIsLeft) {
  std::string text = line(":030000000205F303") + "\n\r\n" + line(":00000001FF");
  auto reader = CHexResource::FromText(text);
  EXPECT_EQ(reader.GetTotalSize(), text.size());
  EXPECT_EQ(reader.ReadRecord(), intelhex::kDataRecord);
  EXPECT_EQ(reader.GetBytesRead(), 19u);
  EXPECT_EQ(reader.ReadRecord(), intelhex::kEndOfFileRecord);
  EXPECT_EQ(reader.Record().count, 0);
  EXPECT_EQ(reader.ReadRecord(), intelhex::kNoRecord);
  // The skipped empty lines are not counted as read.
  EXPECT_EQ(reader.GetBytesRead(), text.size() - 3);
}

TEST(CHexResource, BytesReadReachTheTotalWhenTheTextEndsInALineFeed) {
  auto reader = CHexResource::FromText(line(":030000000205F303") + line(":00000001FF"));
  while (reader.ReadRecord() >= 0) {
  }
  EXPECT_EQ(reader.GetBytesRead(), reader.GetTotalSize());
}

TEST(CHexResource, BadChecksumStaysOnTheSameLine) {
  auto reader = CHexResource::FromText(line(":030000000205F304") + line(":00000001FF"));
  EXPECT_EQ(reader.ReadRecord(), intelhex::kBadChecksum);
  EXPECT_EQ(reader.ReadRecord(), intelhex::kBadChecksum);
  EXPECT_EQ(reader.GetBytesRead(), 0u);
}

TEST(CHexResource, TruncatedLastLineIsAnErrorNotAnOverrun) {
  // The text ends in the middle of a record that promises 16 data bytes.
  auto reader = CHexResource::FromText(line(":030000000205F303") + ":1000100001020304");
  EXPECT_EQ(reader.ReadRecord(), intelhex::kDataRecord);
  EXPECT_EQ(reader.ReadRecord(), intelhex::kMalformed);
  EXPECT_EQ(reader.ReadRecord(), intelhex::kMalformed);
}

TEST(CHexResource, LineWithoutColon) {
  auto reader = CHexResource::FromText("030000000205F303\r\n");
  EXPECT_EQ(reader.ReadRecord(), intelhex::kNoColon);
}

TEST(CHexResource, UnknownResourceHasNoLines) {
  CHexResource reader(999);
  EXPECT_EQ(reader.GetTotalSize(), 0u);
  EXPECT_EQ(reader.ReadRecord(), intelhex::kNoRecord);
}

class LoaderResource : public ::testing::TestWithParam<int> {};

// Each embedded loader reads whole: CRLF lines, data records inside the 4 KiB of code RAM that every chip of
// both kinds has, then the end of file.
TEST_P(LoaderResource, ReadsWholeAndEndsWithTheEndOfFileRecord) {
  auto text = FindHexResource(GetParam());
  ASSERT_TRUE(text.has_value());
  EXPECT_NE(text->find(":00000001FF\r\n"), std::string_view::npos);
  CHexResource reader(GetParam());
  int type = 0;
  int records = 0;
  while ((type = reader.ReadRecord()) == intelhex::kDataRecord) {
    ASSERT_GE(reader.Record().count, 1);
    ASSERT_LE(reader.Record().address() + reader.Record().count, 0x1000);
    ++records;
  }
  EXPECT_EQ(type, intelhex::kEndOfFileRecord);
  EXPECT_GT(records, 0);
  EXPECT_EQ(reader.ReadRecord(), intelhex::kNoRecord);
  EXPECT_EQ(reader.GetBytesRead(), reader.GetTotalSize());
}

INSTANTIATE_TEST_SUITE_P(BothChipKinds, LoaderResource,
                         ::testing::Values(kLoaderFx2ResourceId, kLoaderAn21ResourceId));
