#include "zem/windows/Windows1252.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

namespace {

std::string Utf8Of(std::vector<uint8_t> bytes) {
  return Windows1252ToUtf8(bytes);
}

std::vector<uint8_t> Cp1252Of(std::string_view text, size_t& replaced) {
  return Utf8ToWindows1252(text, replaced);
}

TEST(Windows1252Test, AsciiPassesUnchanged) {
  size_t replaced = 9;
  EXPECT_EQ(Utf8Of({'N', 'o', 't', 'e'}), "Note");
  EXPECT_EQ(Cp1252Of("Note\r\n", replaced), (std::vector<uint8_t>{'N', 'o', 't', 'e', '\r', '\n'}));
  EXPECT_EQ(replaced, 0u);
}

TEST(Windows1252Test, HighBytesBecomeTheirCharacters) {
  EXPECT_EQ(Utf8Of({0x80}), "\u20AC");              // euro sign
  EXPECT_EQ(Utf8Of({0x93, 0x94}), "\u201C\u201D");  // curly quotes
  EXPECT_EQ(Utf8Of({0xE9, 0xFF}), "\u00E9\u00FF");
  EXPECT_EQ(Utf8Of({0xB0}), "\u00B0");  // degree sign
}

TEST(Windows1252Test, EveryByteComesBackUnchanged) {
  std::vector<uint8_t> all(256);
  std::iota(all.begin(), all.end(), 0);
  size_t replaced = 0;
  EXPECT_EQ(Cp1252Of(Windows1252ToUtf8(all), replaced), all);
  EXPECT_EQ(replaced, 0u);
}

TEST(Windows1252Test, CharactersTheCodePageLacksBecomeQuestionMarks) {
  size_t replaced = 0;
  EXPECT_EQ(Cp1252Of("ok \u2713 \U0001F600", replaced), (std::vector<uint8_t>{'o', 'k', ' ', '?', ' ', '?'}));
  EXPECT_EQ(replaced, 2u);
}

TEST(Windows1252Test, BytesThatAreNotUtf8BecomeQuestionMarks) {
  size_t replaced = 0;
  EXPECT_EQ(Cp1252Of("a\xC3", replaced), (std::vector<uint8_t>{'a', '?'}));     // cut-off sequence
  EXPECT_EQ(Cp1252Of("\xC0\xAF", replaced), (std::vector<uint8_t>{'?', '?'}));  // overlong '/'
  EXPECT_EQ(replaced, 2u);
}

}  // namespace
