#include "zem/windows/MemoryFile.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/sys/byte_order.h"
#include "zem/windows/windows_test_support.h"

namespace {

namespace fs = std::filesystem;
using windowstest::Bytes;

TMemoryFileIdentity SampleIdentity() {
  TMemoryFileIdentity id;
  id.typeCode = {'B', 'V', '2', '0', '0'};
  id.firmwareMajor = 2;
  id.firmwareMinor = 5;
  id.firmwareBuild = 7;
  id.memoryMapVersion = {1, 8, 0, 9};
  return id;
}

const std::vector<uint8_t> kImage = {0x34, 0x12, 0xFF, 0x00};

std::vector<uint8_t> SampleNotes() {
  return NotesToBytes({"ZEM fixture memory file", "", "x"});
}

std::vector<uint8_t> SampleFile() {
  return BuildMemoryFile(SampleIdentity(), SampleNotes(), kImage);
}

// A file with a note and 64 image bytes, damaged by the caller.
std::vector<uint8_t> GoodFile() {
  return BuildMemoryFile(TMemoryFileIdentity{}, NotesToBytes({"note"}), std::vector<uint8_t>(64, 7));
}

// The file with its checksum made to match again, so that only its sizes are wrong.
std::vector<uint8_t> Resummed(std::vector<uint8_t> file) {
  sys::putLE32(file, zef::kChecksum, MemoryFileChecksum(file));
  return file;
}

// What ParseMemoryFile says of the bytes: "accepted" or its message.
std::string Verdict(const std::vector<uint8_t>& file) {
  const sys::Result<TMemoryFileView> view = ParseMemoryFile(file);
  return view ? "accepted" : view.error();
}

constexpr const char* kCorrupted = "Error reading file - file appears to be corrupted";
constexpr const char* kChecksumFailed = "Error reading file - checksum failed";

// ---- Writing ----

TEST(MemoryFileTest, NotesAreLinesEndedByCrLf) {
  EXPECT_EQ(SampleNotes(), Bytes("ZEM fixture memory file\r\n\r\nx\r\n"));
}

TEST(MemoryFileTest, HeaderCarriesMagicConstantAndIdentity) {
  const std::vector<uint8_t> file = SampleFile();
  ASSERT_EQ(file.size(), 1055 + SampleNotes().size() + kImage.size());
  EXPECT_EQ(std::string(file.begin() + 4, file.begin() + 7), "ZEM");
  EXPECT_EQ(std::vector<uint8_t>(file.begin() + 7, file.begin() + 11), (std::vector<uint8_t>{0, 1, 1, 0}));
  EXPECT_EQ(std::string(file.begin() + 11, file.begin() + 16), "BV200");
  EXPECT_EQ(file[16], 2);
  EXPECT_EQ(file[17], 5);
  EXPECT_EQ(file[18], 7);
  EXPECT_EQ(std::vector<uint8_t>(file.begin() + 19, file.begin() + 23), (std::vector<uint8_t>{1, 8, 0, 9}));
}

TEST(MemoryFileTest, HeaderCarriesSizesAndZeroReservedBytes) {
  const std::vector<uint8_t> file = SampleFile();
  EXPECT_EQ(sys::getLE32(file, 23), kImage.size());
  EXPECT_EQ(sys::getLE32(file, 27), SampleNotes().size());
  EXPECT_TRUE(std::all_of(file.begin() + 31, file.begin() + 1055, [](uint8_t b) { return b == 0; }));
}

TEST(MemoryFileTest, ChecksumIsTheByteSumFromOffsetFour) {
  const std::vector<uint8_t> file = SampleFile();
  uint32_t sum = 0;
  for (size_t i = 4; i < file.size(); ++i) sum += file[i];
  EXPECT_EQ(sys::getLE32(file, 0), sum);
}

// ---- Reading ----

TEST(MemoryFileTest, AWrittenFileReadsBack) {
  const std::vector<uint8_t> file = SampleFile();
  const sys::Result<TMemoryFileView> view = ParseMemoryFile(file);
  ASSERT_TRUE(view.ok()) << view.error();
  EXPECT_EQ(view.value().identity.typeCode, SampleIdentity().typeCode);
  EXPECT_EQ(view.value().memoryMapVersion, 0x09000801u);
  EXPECT_EQ(std::vector<uint8_t>(view.value().image.begin(), view.value().image.end()), kImage);
  EXPECT_EQ(NotesFromBytes(view.value().notes),
            (std::vector<std::string>{"ZEM fixture memory file", "", "x"}));
}

TEST(MemoryFileTest, SwappingTwoImageBytesKeepsThePlainByteSum) {
  std::vector<uint8_t> file = SampleFile();
  const size_t image = 1055 + SampleNotes().size();
  std::swap(file[image], file[image + 1]);
  EXPECT_EQ(Verdict(file), "accepted");
}

TEST(MemoryFileTest, AHeaderAloneIsAValidEmptyFile) {
  const std::vector<uint8_t> empty = BuildMemoryFile(TMemoryFileIdentity{}, {}, {});
  EXPECT_EQ(empty.size(), 1055u);
  EXPECT_EQ(Verdict(empty), "accepted");
}

TEST(MemoryFileTest, AFileShorterThanAHeaderIsCorrupted) {
  const std::vector<uint8_t> good = GoodFile();
  EXPECT_EQ(Verdict({good.begin(), good.begin() + 1054}), kCorrupted);
}

TEST(MemoryFileTest, AFileWithoutTheMagicIsNoZemFile) {
  std::vector<uint8_t> bad = GoodFile();
  bad[5] = 'X';
  EXPECT_EQ(Verdict(bad), "Error reading file - not a valid ZEM file");
}

TEST(MemoryFileTest, AChangedNotesByteFailsTheChecksum) {
  std::vector<uint8_t> bad = GoodFile();
  bad[1055] ^= 1;
  EXPECT_EQ(Verdict(bad), kChecksumFailed);
}

TEST(MemoryFileTest, AChangedChecksumFieldFailsTheChecksum) {
  std::vector<uint8_t> bad = GoodFile();
  bad[0] ^= 1;
  EXPECT_EQ(Verdict(bad), kChecksumFailed);
}

TEST(MemoryFileTest, ACutOffFileWithAMatchingChecksumIsCorrupted) {
  const std::vector<uint8_t> good = GoodFile();
  EXPECT_EQ(Verdict(Resummed({good.begin(), good.end() - 2})), kCorrupted);
}

TEST(MemoryFileTest, SizesBeyondTheFileAreCorrupted) {
  std::vector<uint8_t> notesTooLarge = GoodFile();
  sys::putLE32(notesTooLarge, zef::kNotesSize, 0xFFFFFFF0u);
  EXPECT_EQ(Verdict(Resummed(notesTooLarge)), kCorrupted);
  std::vector<uint8_t> bothHuge = GoodFile();
  sys::putLE32(bothHuge, zef::kImageSize, 0xFFFFFFFFu);
  sys::putLE32(bothHuge, zef::kNotesSize, 0xFFFFFFFFu);
  EXPECT_EQ(Verdict(Resummed(bothHuge)), kCorrupted);
}

// ---- Notes text ----

TEST(MemoryFileTest, StoredNotesInTheCodePageReadAsUtf8) {
  const std::vector<uint8_t> stored = {'5', 0xB0, 'C', ' ', 0x80, '\r', '\n', 0xE9, 't', 0xE9, '\r', '\n'};
  EXPECT_EQ(NotesFromBytes(stored), (std::vector<std::string>{"5\u00B0C \u20AC", "\u00E9t\u00E9"}));
}

TEST(MemoryFileTest, NotesWithEveryHighByteWriteBackTheSameBytes) {
  std::vector<uint8_t> stored;
  for (int b = 0x80; b <= 0xFF; ++b) stored.push_back(static_cast<uint8_t>(b));
  stored.push_back('\r');
  stored.push_back('\n');
  size_t replaced = 0;
  EXPECT_EQ(NotesToBytes(NotesFromBytes(stored), replaced), stored);
  EXPECT_EQ(replaced, 0u);
}

TEST(MemoryFileTest, NoteCharactersTheCodePageLacksAreCountedAndStoredAsQuestionMarks) {
  size_t replaced = 0;
  EXPECT_EQ(NotesToBytes({"ok \u2713"}, replaced), Bytes("ok ?\r\n"));
  EXPECT_EQ(replaced, 1u);
}

// ---- Files on disk ----

class FileBytesTest : public ::testing::Test {
 protected:
  void TearDown() override { fs::remove_all(folder_); }
  fs::path folder_ = windowstest::MakeTempFolder();
};

TEST_F(FileBytesTest, SavedBytesLoadBack) {
  const fs::path target = folder_ / "a.ZEF";
  const sys::Result<void> saved = SaveFileBytes(target.string(), Bytes("new"));
  ASSERT_TRUE(saved.ok()) << saved.error();
  EXPECT_EQ(windowstest::ReadBytes(target), Bytes("new"));
}

TEST_F(FileBytesTest, AFolderThatIsMissingIsReported) {
  const sys::Result<void> saved = SaveFileBytes((folder_ / "missing" / "b.ZEF").string(), Bytes("x"));
  EXPECT_FALSE(saved.ok());
  EXPECT_THAT(saved.error(), ::testing::HasSubstr("b.ZEF"));
}

TEST_F(FileBytesTest, AFailedSaveLeavesNothingBehind) {
  fs::create_directory(folder_ / "c.ZEF");  // a folder where the file should go
  EXPECT_FALSE(SaveFileBytes((folder_ / "c.ZEF").string(), Bytes("x")).ok());
  EXPECT_EQ(std::distance(fs::directory_iterator(folder_), fs::directory_iterator()), 1);
}

TEST_F(FileBytesTest, AMissingFileFailsToLoadWithItsName) {
  const sys::Result<std::vector<uint8_t>> loaded = LoadFileBytes((folder_ / "none.ZEF").string());
  EXPECT_FALSE(loaded.ok());
  EXPECT_THAT(loaded.error(), ::testing::HasSubstr("none.ZEF"));
}

}  // namespace
