#include "zem/windows/MemoryUpload.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "zem/link/ZEMData.h"

namespace {

// Image of n words, word a holding a + 0x100 (low byte first).
std::vector<uint8_t> Image(int words) {
  std::vector<uint8_t> image;
  for (int a = 0; a < words; ++a) {
    image.push_back(static_cast<uint8_t>(a));
    image.push_back(1);
  }
  return image;
}

struct Block {
  int address;
  std::vector<int> words;
  bool operator==(const Block&) const = default;
};

// Runs the upload with a writer that takes at most chunk words and fails at block failAt (-1: never).
std::vector<Block> Blocks(const TAddressList& list, int chunk, int failAt = -1, bool* result = nullptr) {
  std::vector<Block> blocks;
  const bool ok = UploadImageWords(
      Image(32), list,
      [&](int address, int count) {
        Block b{address, {}};
        for (int k = 0; k < count; ++k) b.words.push_back(FixtureData[fd::kEEPromWords + 2 * k] | 0x100);
        blocks.push_back(b);
        if (static_cast<int>(blocks.size()) - 1 == failAt) return 0;
        return std::min(count, chunk);
      },
      nullptr);
  if (result) *result = ok;
  return blocks;
}

TEST(MemoryUpload, BlocksAreRunsOfUpToFourConsecutiveAddresses) {
  EXPECT_EQ(Blocks({10, 11, 12, 13, 14, 20}, 4),
            (std::vector<Block>{{10, {0x10A, 0x10B, 0x10C, 0x10D}}, {14, {0x10E}}, {20, {0x114}}}));
}

TEST(MemoryUpload, AWriterOfOneWordStartsTheNextBlockAtTheNextEntry) {
  const auto blocks = Blocks({10, 11, 12, 13, 14}, 1);
  ASSERT_EQ(blocks.size(), 5u);
  EXPECT_EQ(blocks[1], (Block{11, {0x10B, 0x10C, 0x10D, 0x10E}}));
  EXPECT_EQ(blocks[4], (Block{14, {0x10E}}));
}

TEST(MemoryUpload, ABlockThatWritesNothingEndsTheUpload) {
  bool ok = true;
  EXPECT_EQ(Blocks({1, 2, 3, 4, 5, 6, 7, 8, 9}, 4, 1, &ok).size(), 2u);
  EXPECT_FALSE(ok);
}

TEST(MemoryUpload, AnImageWithoutAListedWordWritesNothing) {
  EXPECT_FALSE(ImageHoldsAddresses(Image(32), {0, 31, 32}));
  EXPECT_FALSE(ImageHoldsAddresses(Image(32), {-1}));
  EXPECT_TRUE(ImageHoldsAddresses(Image(32), {0, 31}));
  bool ok = true;
  EXPECT_TRUE(Blocks({30, 31, 32}, 4, -1, &ok).empty());
  EXPECT_FALSE(ok);
}

}  // namespace
