// The fixture window's File menu: memory download, the file check and the three uploads, over scripted
// fixture objects and end to end against the simulated box and fixture.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "platform/sys/byte_order.h"
#include "platform/sys/sys_testing.h"
#include "platform/ui/input.h"
#include "platform/ui/message_box.h"
#include "platform/ui/screen.h"
#include "zem/windows/DownloadMemProgressForm.h"
#include "zem/windows/FixtureForm.h"
#include "zem/windows/MemoryFile.h"
#include "zem/windows/fixtureform_test_support.h"

namespace {

using namespace fixtureformtest;  // NOLINT(google-build-using-namespace): the test scaffolding

// ---- Download over a scripted fixture -------------------------------------------------------------------

TEST_F(FixtureFormTest, ADownloadThatRaisesGivesBackTimerAndWindow) {
  openWindow();
  fixture_.onChunk = [](int address) -> int {
    if (address == 8) throw ERangeError("EEPROM address out of range");
    return 4;
  };
  ASSERT_TRUE(choose(window_->mSaveMemToFile));
  EXPECT_EQ(ui::shownMessageBoxes().back().text, "EEPROM address out of range");
  EXPECT_TRUE(window_->enabled());
  EXPECT_TRUE(timerOn());
  for (ui::Form* f : ui::screen().forms()) EXPECT_NE(f->name(), "DownloadMemform");
}

TEST_F(FixtureFormTest, ATimerThatWasOffStaysOffAfterADownload) {
  openWindow();
  fixture_.onChunk = [](int address) -> int {
    if (address == 8) throw ERangeError("EEPROM address out of range");
    return 4;
  };
  window_->SAModifiedTimer->setEnabled(false);
  ASSERT_TRUE(choose(window_->mSaveMemToFile));
  EXPECT_FALSE(timerOn());
  EXPECT_TRUE(window_->enabled());
}

TEST_F(FixtureFormTest, CancelDuringDownloadEndsSilently) {
  openWindow();
  fixture_.onChunk = [](int address) {
    if (address == 16) {
      for (ui::Form* f : ui::screen().forms()) {
        if (auto* p = dynamic_cast<TDownloadMemform*>(f)) ui::input::click(*p->sbCancel);
      }
    }
    return 4;
  };
  ASSERT_TRUE(choose(window_->mSaveMemToFile));
  EXPECT_TRUE(DownloadAbort);
  EXPECT_TRUE(dialogs_.modalNames.empty());
  EXPECT_TRUE(ui::shownFileDialogs().empty());
  EXPECT_TRUE(window_->enabled());
  EXPECT_TRUE(timerOn());
}

TEST_F(FixtureFormTest, MemoryFolderIsMadeSafeFromTheFixtureName) {
  fixture_.name = "../../Brev:200/x";
  openWindow();
  dialogs_.saveNotes = true;
  ui::setFileDialogResponder([](const ui::FileDialogRequest&) { return std::nullopt; });
  ASSERT_TRUE(choose(window_->mSaveMemToFile));
  ASSERT_EQ(ui::shownFileDialogs().size(), 1u);
  const fs::path dir = ui::shownFileDialogs()[0].initialDir;
  EXPECT_EQ(dir.parent_path(), folder_);
  EXPECT_TRUE(fs::is_directory(dir));
  EXPECT_EQ(dir.filename().string().find(".."), std::string::npos);
  EXPECT_EQ(std::distance(fs::directory_iterator(folder_), fs::directory_iterator()), 1);
}

TEST_F(FixtureFormTest, InstalledProgramSavesMemoryFilesInTheUserDataFolder) {
  // The program as installed: its folder <prefix>/bin beside <prefix>/share/zem.
  fs::create_directories(folder_ / "prefix/bin");
  fs::create_directories(folder_ / "prefix/share/zem");
  ProgramFolder = (folder_ / "prefix/bin").string() + "/";
  sys::testing::ScopedEnv dataHome("XDG_DATA_HOME", (folder_ / "data").c_str());
  openWindow();
  dialogs_.saveNotes = true;
  ui::setFileDialogResponder([](const ui::FileDialogRequest& r) { return r.initialDir + "/saved.ZEF"; });
  ASSERT_TRUE(choose(window_->mSaveMemToFile));
  ASSERT_EQ(ui::shownFileDialogs().size(), 1u);
  EXPECT_EQ(ui::shownFileDialogs()[0].initialDir, (folder_ / "data/zem/Scripted").string());
  EXPECT_TRUE(ParseMemoryFile(ReadBytes(folder_ / "data/zem/Scripted/saved.ZEF")).ok());
  EXPECT_TRUE(fs::is_empty(folder_ / "prefix/bin"));
}

TEST_F(FixtureFormTest, AMemoryFolderThatCannotBeMadeIsNamedAndTheDialogOpensInOneThatExists) {
  // The program as installed, its user's data folder under a file: nothing can be made there.
  fs::create_directories(folder_ / "prefix/bin");
  fs::create_directories(folder_ / "prefix/share/zem");
  ProgramFolder = (folder_ / "prefix/bin").string() + "/";
  std::ofstream(folder_ / "plain-file") << "x";
  sys::testing::ScopedEnv dataHome("XDG_DATA_HOME", (folder_ / "plain-file/data").c_str());
  openWindow();
  dialogs_.saveNotes = true;
  ui::setFileDialogResponder([](const ui::FileDialogRequest& r) { return r.initialDir + "/saved.ZEF"; });
  ASSERT_TRUE(choose(window_->mSaveMemToFile));
  ASSERT_EQ(dialogs_.warnings.size(), 1u);
  const std::string missing = (folder_ / "plain-file/data/zem/Scripted").string();
  EXPECT_EQ(dialogs_.warnings[0], "The folder for these files could not be created:|" + missing + "|(" +
                                      std::make_error_code(std::errc::not_a_directory).message() + ")");
  ASSERT_EQ(ui::shownFileDialogs().size(), 1u);
  EXPECT_EQ(fs::path(ui::shownFileDialogs()[0].initialDir), folder_);
  EXPECT_TRUE(ParseMemoryFile(ReadBytes(folder_ / "saved.ZEF")).ok());
}

TEST_F(FixtureFormTest, FailedFileWriteIsReported) {
  openWindow();
  fs::create_directory(folder_ / "taken.ZEF");
  answerFileDialogs(folder_ / "taken.ZEF");
  ui::setMessageBoxResponder([](const ui::MessageBoxRequest&) { return ui::ModalResult::Yes; });
  ASSERT_TRUE(choose(window_->mSaveMemToFile));
  ASSERT_EQ(dialogs_.errors.size(), 1u);
  EXPECT_EQ(dialogs_.errors[0].rfind("Error writing file - file not saved.|", 0), 0u) << dialogs_.errors[0];
  EXPECT_TRUE(window_->enabled());
}

// ---- Uploads over a scripted fixture --------------------------------------------------------------------

class ScriptedUploadTest : public FixtureFormTest {
 protected:
  void SetUp() override {
    FixtureFormTest::SetUp();
    openWindow();
  }
};

TEST_F(ScriptedUploadTest, BlocksAreRunsOfFollowingAddresses) {
  answerFileDialogs(writeFile(64));
  fixture_.list = {10, 11, 12, 13, 14, 20};
  ASSERT_TRUE(choose(window_->mUploadCompleteMemoryFromFile));
  EXPECT_EQ(fixture_.blocks, (std::vector<std::pair<int, int>>{{10, 4}, {14, 1}, {20, 1}}));
  EXPECT_EQ(fixture_.blockWords[0], (std::vector<uint16_t>{0xA00A, 0xA00B, 0xA00C, 0xA00D}));
  EXPECT_EQ(fixture_.blockWords[2], (std::vector<uint16_t>{0xA014}));
}

TEST_F(ScriptedUploadTest, ACompletedUploadResetsTwiceAndReconnects) {
  answerFileDialogs(writeFile(64));
  fixture_.list = {10, 11};
  ASSERT_TRUE(choose(window_->mUploadCompleteMemoryFromFile));
  EXPECT_EQ(fixture_.resets, 2);
  EXPECT_TRUE(WindowClosed);
  EXPECT_FALSE(TerminateFlag);
}

TEST_F(ScriptedUploadTest, AModelWritingOneWordAtATimeStartsEachPassAtTheNextEntry) {
  answerFileDialogs(writeFile(64));
  fixture_.list = {10, 11, 12, 13, 14, 20};
  fixture_.chunk = 1;
  ASSERT_TRUE(choose(window_->mUploadSAProgramFromFile));
  EXPECT_EQ(fixture_.blocks,
            (std::vector<std::pair<int, int>>{{10, 4}, {11, 4}, {12, 3}, {13, 2}, {14, 1}, {20, 1}}));
}

TEST_F(ScriptedUploadTest, AFailedBlockStopsTheUploadWithoutReset) {
  answerFileDialogs(writeFile(64));
  fixture_.list = {0, 1, 2, 3, 10, 20, 30, 40};
  fixture_.failAtBlock = 2;
  ASSERT_TRUE(choose(window_->mUploadFixturesettingsFromFile));
  EXPECT_EQ(fixture_.blocks.size(), 3u);
  EXPECT_EQ(dialogs_.errors,
            (std::vector<std::string>{"Fatal error uploading fixture memory - upload aborted"}));
  EXPECT_EQ(fixture_.resets, 0);
  EXPECT_FALSE(WindowClosed);
  EXPECT_TRUE(window_->enabled());
  EXPECT_TRUE(timerOn());
}

TEST_F(ScriptedUploadTest, AFileWithoutTheListedWordsIsRefusedBeforeWriting) {
  answerFileDialogs(writeFile(16));
  fixture_.list = {0, 1, 2, 15, 16};
  ASSERT_TRUE(choose(window_->mUploadCompleteMemoryFromFile));
  EXPECT_TRUE(fixture_.blocks.empty());
  EXPECT_EQ(dialogs_.errors,
            (std::vector<std::string>{
                "This file does not hold the fixture memory this upload needs and cannot be uploaded."}));
  EXPECT_EQ(fixture_.resets, 0);
  EXPECT_TRUE(timerOn());
}

TEST_F(ScriptedUploadTest, AnEmptyListIsRefusedBeforeTheNotesDialog) {
  answerFileDialogs(writeFile(16));
  fixture_.list.clear();
  ASSERT_TRUE(choose(window_->mUploadCompleteMemoryFromFile));
  EXPECT_TRUE(dialogs_.uploadNotes.empty());
  EXPECT_EQ(dialogs_.errors.size(), 1u);
  EXPECT_TRUE(fixture_.blocks.empty());
  EXPECT_EQ(fixture_.resets, 0);
  EXPECT_FALSE(WindowClosed);
}

// ---- The file check -------------------------------------------------------------------------------------

TEST_F(ScriptedUploadTest, AFileForAnotherVariantIsRefused) {
  const fs::path path = writeFile(4);
  SetTypeCode("BV20L");  // same family, other variant
  EXPECT_FALSE(window_->CheckMemoryFile(path.string()));
  EXPECT_EQ(dialogs_.errors,
            (std::vector<std::string>{
                "This file has been created for a different version type of fixture and cannot "
                "be uploaded."}));
}

TEST_F(ScriptedUploadTest, AnotherMemoryMapWarnsAndPasses) {
  const fs::path path = writeFile(4);
  // Versions that differ only in the fourth byte: the warning shows the same text twice.
  FixtureData[fd::kZemVersion] = 1;
  FixtureData[fd::kZemVersion + 1] = 8;
  FixtureData[fd::kZemVersion + 3] = 0;
  std::vector<uint8_t> data = ReadBytes(path);
  data[zef::kMemoryMapVersion] = 1;
  data[zef::kMemoryMapVersion + 1] = 8;
  data[zef::kMemoryMapVersion + 3] = 4;
  sys::putLE32(data, 0, MemoryFileChecksum(data));
  WriteBytes(path, data);
  EXPECT_TRUE(window_->CheckMemoryFile(path.string()));
  ASSERT_EQ(dialogs_.warnings.size(), 1u);
  EXPECT_EQ(dialogs_.warnings[0],
            "This file has been created for a different version of fixture memory map.|(File contains "
            "version 1.8 - "
            "fixture uses version 1.8).|Uploading memory may in worst case cause the fixture to "
            "malfunction.|Please "
            "check with fixture firmware release notes for ZEM version compatibility.");
}

TEST_F(ScriptedUploadTest, AFixtureWithMemoryMapZeroTakesAnyFileSilently) {
  const fs::path path = writeFile(4);
  std::vector<uint8_t> data = ReadBytes(path);
  data[zef::kMemoryMapVersion] = 7;
  sys::putLE32(data, 0, MemoryFileChecksum(data));
  WriteBytes(path, data);
  std::fill_n(FixtureData.begin() + fd::kZemVersion, 4, 0);
  EXPECT_TRUE(window_->CheckMemoryFile(path.string()));
  EXPECT_TRUE(dialogs_.warnings.empty());
}

TEST_F(ScriptedUploadTest, AMissingFileRaisesTheFileError) {
  EXPECT_THROW((void)window_->CheckMemoryFile((folder_ / "none.ZEF").string()), std::runtime_error);
}

// ---- End to end ---------------------------------------------------------------------------------------

// A fixture whose 1024 words are all different, its window open.
class MemorySimTest : public OpenWindowSimTest {
 protected:
  void scriptFixture() override {
    for (uint32_t a = 0; a < 1024; ++a)
      sim_->setEEPromWord(a, static_cast<uint16_t>((a * 7919 + 13) % 65521));
    original_ = eeprom();
    ASSERT_EQ(original_.size(), 1024u);
  }
  // Downloads the fixture's memory into a file in the memory folder, with one note added.
  fs::path download() {
    const fs::path file = folder_ / "Brevidor 200" / "saved.ZEF";
    answerFileDialogs(file);
    dialogs_.extraNote = "Checked before the show";
    EXPECT_TRUE(choose(window_->mSaveMemToFile));
    return file;
  }
  void blankFixture() {
    for (uint32_t a = 0; a < 1024; ++a) sim_->setEEPromWord(a, 0xFFFF);
  }
  std::vector<uint16_t> original_;
};

TEST_F(MemorySimTest, TheDownloadReadsEveryWordAndGivesBackTimerAndWindow) {
  download();
  EXPECT_EQ(frames('E', 'e'), 256);
  EXPECT_TRUE(timerOn());
  EXPECT_TRUE(window_->enabled());
}

TEST_F(MemorySimTest, TheSaveDialogStartsInTheMemoryFolder) {
  download();
  ASSERT_EQ(ui::shownFileDialogs().size(), 1u);
  EXPECT_EQ(ui::shownFileDialogs()[0].initialDir, (folder_ / "Brevidor 200").string());
  EXPECT_EQ(ui::shownFileDialogs()[0].filter, "ZEM Memory files (*.ZEF)|*.ZEF");
  EXPECT_EQ(ui::shownFileDialogs()[0].defaultExt, "ZEF");
}

TEST_F(MemorySimTest, TheFileHoldsIdentityNotesAndEveryWord) {
  const std::vector<uint8_t> data = ReadBytes(download());
  const sys::Result<TMemoryFileView> parsed = ParseMemoryFile(data);
  ASSERT_TRUE(parsed.ok()) << parsed.error();
  const TMemoryFileView& view = parsed.value();
  EXPECT_EQ(std::string(view.identity.typeCode.begin(), view.identity.typeCode.end()), "BV200");
  EXPECT_EQ(view.identity.firmwareMajor, 2);
  EXPECT_EQ(view.identity.firmwareMinor, 5);
  EXPECT_EQ(view.memoryMapVersion, 0x000801u);
  EXPECT_EQ(NotesFromBytes(view.notes),
            (std::vector<std::string>{"ZEM fixture memory file", "Fixture: Brevidor 200",
                                      CurrentFixture->GetVersionText(), "", "Checked before the show"}));
  ASSERT_EQ(view.image.size(), 2048u);
  for (size_t a = 0; a < 1024; ++a) {
    ASSERT_EQ(view.image[2 * a] | (view.image[2 * a + 1] << 8), original_[a]) << a;
  }
}

TEST_F(MemorySimTest, ADownloadedFilePassesTheCheck) {
  EXPECT_TRUE(window_->CheckMemoryFile(download().string()));
  EXPECT_TRUE(dialogs_.errors.empty());
  EXPECT_TRUE(dialogs_.warnings.empty());
}

// One upload kind into a blank fixture: the command and the address ranges it leaves alone.
struct UploadKindCase {
  const char* name;
  ui::Ref<ui::MenuItem> TFixtureFormTemplate::*item;
  std::vector<std::pair<int, int>> untouched;
};

void PrintTo(const UploadKindCase& row, std::ostream* os) {
  *os << row.name;
}

const UploadKindCase kUploadKinds[] = {
    {"Settings", &TFixtureFormTemplate::mUploadFixturesettingsFromFile, {{2, 11}, {25, 39}, {300, 545}}},
    {"StandAloneProgram", &TFixtureFormTemplate::mUploadSAProgramFromFile, {{0, 299}, {546, 1023}}},
    {"CompleteMemory", &TFixtureFormTemplate::mUploadCompleteMemoryFromFile, {{2, 11}, {25, 39}}},
};

class UploadKindTest : public MemorySimTest, public ::testing::WithParamInterface<UploadKindCase> {};

TEST_P(UploadKindTest, WritesItsWordsIntoABlankFixtureResetsAndReconnects) {
  download();
  blankFixture();
  sim_->clearServiceFrames();
  WindowClosed = false;
  ASSERT_TRUE(choose((*window_).*GetParam().item));
  std::vector<uint16_t> expected = original_;
  for (const auto& [from, to] : GetParam().untouched)
    std::fill(expected.begin() + from, expected.begin() + to + 1, 0xFFFF);
  EXPECT_EQ(eeprom(), expected);
  EXPECT_TRUE(WindowClosed);
  EXPECT_FALSE(TerminateFlag);
  EXPECT_EQ(serviceFrames(81), 8);  // reset twice
  EXPECT_TRUE(timerOn());
  EXPECT_TRUE(window_->enabled());
  ASSERT_EQ(dialogs_.uploadNotes.size(), 1u);
  EXPECT_EQ(dialogs_.uploadNotes[0].back(), "Checked before the show");
  EXPECT_EQ(dialogs_.infos,
            (std::vector<std::string>{"Upload finished|Resetting fixture to re-initialize memory"}));
  EXPECT_TRUE(dialogs_.errors.empty());
}

INSTANTIATE_TEST_SUITE_P(EveryKind, UploadKindTest, ::testing::ValuesIn(kUploadKinds),
                         [](const ::testing::TestParamInfo<UploadKindCase>& info) {
                           return info.param.name;
                         });

// A refused file: its bytes and the one message the user gets.
struct RefusedFile {
  const char* name;
  std::function<std::vector<uint8_t>(const std::vector<uint8_t>& good, const std::vector<uint8_t>& image)>
      bytes;
  const char* message;
};

void PrintTo(const RefusedFile& row, std::ostream* os) {
  *os << row.name;
}

std::vector<uint8_t> Resummed(std::vector<uint8_t> f) {
  sys::putLE32(f, 0, MemoryFileChecksum(f));
  return f;
}

const RefusedFile kRefusedFiles[] = {
    {"ChangedByte",
     [](const auto& good, const auto&) {
       std::vector<uint8_t> f = good;
       f[1056] ^= 0x20;
       return f;
     },
     "Error reading file - checksum failed"},
    {"ShorterThanAHeader",
     [](const auto& good, const auto&) { return std::vector<uint8_t>(good.begin(), good.begin() + 600); },
     "Error reading file - file appears to be corrupted"},
    {"CutOff",
     [](const auto& good, const auto&) {
       return Resummed({good.begin(), good.end() - 10});
     },
     "Error reading file - file appears to be corrupted"},
    {"ImageBeyondTheFile",
     [](const auto& good, const auto&) {
       std::vector<uint8_t> f = good;
       sys::putLE32(f, zef::kImageSize, 4096);
       return Resummed(f);
     },
     "Error reading file - file appears to be corrupted"},
    {"NoMagic",
     [](const auto& good, const auto&) {
       std::vector<uint8_t> f = good;
       f[4] = 'X';
       return Resummed(f);
     },
     "Error reading file - not a valid ZEM file"},
    {"AnotherVariant",
     [](const auto&, const auto& image) {
       TMemoryFileIdentity foreign = IdentityFromFixtureData();
       foreign.typeCode[4] = 'L';
       return BuildMemoryFile(foreign, {}, image);
     },
     "This file has been created for a different version type of fixture and cannot be uploaded."},
    {"ImageTooSmall",
     [](const auto&, const auto&) {
       return BuildMemoryFile(IdentityFromFixtureData(), {}, std::vector<uint8_t>(600, 1));
     },
     "This file does not hold the fixture memory this upload needs and cannot be uploaded."},
};

class RefusedFileTest : public OpenWindowSimTest, public ::testing::WithParamInterface<RefusedFile> {
 protected:
  void SetUp() override {
    OpenWindowSimTest::SetUp();
    // The identity of the connected fixture, as the window sees it.
    good_ = BuildMemoryFile(IdentityFromFixtureData(), NotesToBytes({"n"}), image_);
  }
  std::vector<uint8_t> image_ = std::vector<uint8_t>(2048, 0x5A);
  std::vector<uint8_t> good_;
};

TEST_P(RefusedFileTest, IsToldAndSendsNothingToTheFixture) {
  const fs::path path = folder_ / "refused.ZEF";
  WriteBytes(path, GetParam().bytes(good_, image_));
  answerFileDialogs(path);
  ASSERT_TRUE(choose(window_->mUploadCompleteMemoryFromFile));
  std::vector<std::string> shown = dialogs_.errors;
  for (const auto& box : ui::shownMessageBoxes()) shown.push_back(box.text);
  EXPECT_EQ(shown, (std::vector<std::string>{GetParam().message}));
  EXPECT_EQ(frames('E', 'E'), 0);
  EXPECT_TRUE(sim_->serviceFrames().empty());
  EXPECT_FALSE(WindowClosed);
  EXPECT_TRUE(timerOn());
  EXPECT_TRUE(window_->enabled());
}

INSTANTIATE_TEST_SUITE_P(EachFault, RefusedFileTest, ::testing::ValuesIn(kRefusedFiles),
                         [](const ::testing::TestParamInfo<RefusedFile>& info) { return info.param.name; });

TEST_F(RefusedFileTest, CancelInTheNotesDialogSendsNothing) {
  const fs::path path = folder_ / "good.ZEF";
  WriteBytes(path, good_);
  answerFileDialogs(path);
  dialogs_.acceptUpload = false;
  ASSERT_TRUE(choose(window_->mUploadFixturesettingsFromFile));
  EXPECT_EQ(dialogs_.uploadNotes.size(), 1u);
  EXPECT_EQ(frames('E', 'E'), 0);
  EXPECT_FALSE(WindowClosed);
}

TEST_F(FixtureFormSimTest, UploadWithNothingToWriteIsRefusedBeforeAFileIsChosen) {
  connect("BV20L", 0);  // its complete-memory list is empty
  openWindow();
  int fileDialogs = 0;
  ui::setFileDialogResponder([&](const ui::FileDialogRequest&) {
    ++fileDialogs;
    return std::string();
  });
  ui::clearShownMessageBoxes();
  dialogs_.errors.clear();
  ASSERT_TRUE(choose(window_->mUploadCompleteMemoryFromFile));
  std::vector<std::string> shown = dialogs_.errors;
  for (const auto& box : ui::shownMessageBoxes()) shown.push_back(box.text);
  EXPECT_EQ(shown,
            (std::vector<std::string>{
                "This fixture has no memory of this kind that can be uploaded from a file - nothing was "
                "written."}));
  EXPECT_EQ(fileDialogs, 0);
  EXPECT_EQ(frames('E', 'E'), 0);
  EXPECT_TRUE(sim_->serviceFrames().empty());
  EXPECT_FALSE(WindowClosed);
  EXPECT_TRUE(timerOn());
}

TEST_F(FixtureFormSimTest, BoardSerialIsShownAsSentAndMadeSafeOnlyForTheFolder) {
  connect("BV40L", 0, [this] { sim_->setPCBSerial("A/B:C"); });
  openWindow();
  EXPECT_EQ(window_->lFixtureType->caption(), "Fixture: Brevidor 400 LED Series (A/B:C)");
  const fs::path file = folder_ / "saved.ZEF";
  answerFileDialogs(file);
  ASSERT_TRUE(choose(window_->mSaveMemToFile));
  ASSERT_EQ(ui::shownFileDialogs().size(), 1u);
  EXPECT_EQ(ui::shownFileDialogs()[0].initialDir, (folder_ / "Brevidor 400 LED Series (A_B_C)").string());
  const std::vector<std::string> notes = NotesFromBytes(SavedNotes(file));
  ASSERT_GE(notes.size(), 2u);
  EXPECT_EQ(notes[1], "Fixture: Brevidor 400 LED Series (A/B:C)");
}

TEST_F(FixtureFormSimTest, NotesTheFileCannotKeepAreToldBeforeSaving) {
  connect("BV200", 0);
  openWindow();
  const fs::path file = folder_ / "saved.ZEF";
  bool toldBeforeTheFileDialog = false;
  ui::setFileDialogResponder([&](const ui::FileDialogRequest&) {
    toldBeforeTheFileDialog = dialogs_.warnings.size() == 1;
    return file.string();
  });
  dialogs_.extraNote = "Lamp \u2713 and 5\u00B0C";
  ASSERT_TRUE(choose(window_->mSaveMemToFile));
  EXPECT_TRUE(toldBeforeTheFileDialog);
  ASSERT_EQ(dialogs_.warnings.size(), 1u);
  EXPECT_EQ(dialogs_.warnings[0],
            "The notes hold 1 character(s) that a memory file cannot keep; they are saved as '?'.");
  const std::vector<uint8_t> notes = SavedNotes(file);
  const std::vector<uint8_t> stored = Bytes(
      "Lamp ? and 5\xB0"
      "C\r\n");
  EXPECT_TRUE(std::search(notes.begin(), notes.end(), stored.begin(), stored.end()) != notes.end());
}

TEST_F(FixtureFormSimTest, DemoModeSavesNothing) {
  openDemoWindow();
  answerFileDialogs(folder_ / "demo.ZEF");
  ASSERT_TRUE(choose(window_->mSaveMemToFile));
  EXPECT_EQ(dialogs_.modalNames, (std::vector<std::string>{"SaveMemoryForm"}));
  ASSERT_EQ(ui::shownMessageBoxes().size(), 1u);
  EXPECT_EQ(ui::shownMessageBoxes()[0].text, "Demo mode - no actual file saved.");
  EXPECT_EQ(ui::shownMessageBoxes()[0].kind, ui::MessageKind::Information);
  EXPECT_TRUE(ui::shownFileDialogs().empty());
  EXPECT_TRUE(fs::is_directory(folder_ / "Brevidor 200"));
  EXPECT_TRUE(fs::is_empty(folder_ / "Brevidor 200"));
  EXPECT_FALSE(fs::exists(folder_ / "demo.ZEF"));
}

}  // namespace
