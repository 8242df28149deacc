#include "usbdevice/boot_image.h"

#include <gtest/gtest.h>

#include <vector>

TEST(BootImage, TrailerWordsCountFromTheEnd) {
  std::vector<uint8_t> image(20, 0);
  image[9] = 0x12;  // trailer word at size - 11
  image[10] = 0x34;
  image[11] = 0x86;  // product id at size - 9
  image[12] = 0x13;
  image[13] = 0x01;  // version at size - 7
  image[14] = 0x02;
  EXPECT_EQ(GetImageProductId(image), 0x8613);
  EXPECT_EQ(GetImageVersion(image), 0x0102);
  EXPECT_EQ(GetImageTrailerWord(image), 0x1234);
}

TEST(BootImage, TinyImageHasNoTrailer) {
  std::vector<uint8_t> image(8, 0xFF);
  EXPECT_FALSE(GetImageProductId(image).has_value());
  EXPECT_FALSE(GetImageVersion(std::span<const uint8_t>(image).first(6)).has_value());
  EXPECT_FALSE(GetImageTrailerWord(std::span<const uint8_t>(image).first(10 - 2)).has_value());
  EXPECT_FALSE(GetImageProductId({}).has_value());
  image.resize(9);
  EXPECT_EQ(GetImageProductId(image), 0xFFFF);
}

namespace {

// Kind byte, 8 header bytes, then the given load records (length, address, data) and a 12-byte trailer.
std::vector<uint8_t> imageWithRecords(std::initializer_list<std::pair<uint16_t, uint16_t>> records) {
  std::vector<uint8_t> image(9, 0);
  image[0] = bootimage::kKindAn21;
  for (auto [length, address] : records) {
    image.push_back(static_cast<uint8_t>(length >> 8));
    image.push_back(static_cast<uint8_t>(length));
    image.push_back(static_cast<uint8_t>(address >> 8));
    image.push_back(static_cast<uint8_t>(address));
    if (address != bootimage::kResetRegisterAn21) image.insert(image.end(), length, 0xAB);
  }
  return image;
}

}  // namespace

TEST(BootImage, LoadRecordHeadersWalkToTheResetRecord) {
  auto image = imageWithRecords({{3, 0x0000}, {2, 0x1000}, {1, 0x7F92}});
  size_t position = bootimage::kFirstLoadRecord;
  uint16_t address = 0;
  uint16_t length = 0;
  EXPECT_EQ(ReadLoadRecordHeader(image, position, address, length), bootimage::kRecordRead);
  EXPECT_EQ(position, 13u);
  EXPECT_EQ(length, 3);
  EXPECT_EQ(address, 0x0000);
  position += length;
  EXPECT_EQ(ReadLoadRecordHeader(image, position, address, length), bootimage::kRecordRead);
  EXPECT_EQ(address, 0x1000);
  position += length;
  EXPECT_EQ(ReadLoadRecordHeader(image, position, address, length), bootimage::kResetRecord);
  EXPECT_EQ(position, image.size());
  EXPECT_EQ(ReadLoadRecordHeader(image, position, address, length), bootimage::kEndOfImage);
  EXPECT_EQ(FindResetLoadRecord(image), image.size());
}

TEST(BootImage, ChainWithoutResetRecordEndsAtOrPastTheSize) {
  auto image = imageWithRecords({{3, 0x0000}, {2, 0x1000}});
  EXPECT_GE(FindResetLoadRecord(image), image.size());
  // A record whose length runs past the end.
  image = imageWithRecords({{3, 0x0000}});
  image[10] = 0xF0;
  EXPECT_GE(FindResetLoadRecord(image), image.size());
  EXPECT_GE(FindResetLoadRecord(std::vector<uint8_t>(4, 0)), 4u);
}

TEST(BootImage, HeaderCutShortByTheEndIsAnError) {
  auto image = imageWithRecords({{1, 0x0000}});
  image.push_back(0x00);
  image.push_back(0x01);  // half a header
  size_t position = image.size() - 2;
  uint16_t address = 0x5555;
  uint16_t length = 0x6666;
  EXPECT_EQ(ReadLoadRecordHeader(image, position, address, length), bootimage::kTruncatedRecord);
  EXPECT_EQ(position, image.size() - 2);
  EXPECT_EQ(address, 0x5555);
  EXPECT_EQ(length, 0x6666);
  EXPECT_EQ(FindResetLoadRecord(image), image.size());
}
