// The fixture window template: memory-file bytes, the window over scripted fixture objects, and the
// window end to end against the simulated box and fixture (real link, real model classes).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/sys/byte_order.h"
#include "platform/sys/clock.h"
#include "platform/ui/input.h"
#include "platform/ui/message_box.h"
#include "platform/ui/screen.h"
#include "sim/fixture/model_profiles.h"
#include "zem/link/link_test_support.h"
#include "zem/model/uZemModels.h"
#include "zem/windows/DownloadMemProgressForm.h"
#include "zem/windows/EEpromUploadNotes.h"
#include "zem/windows/ErrorDialog.h"
#include "zem/windows/FixtureForm.h"
#include "zem/windows/InformationDialog.h"
#include "zem/windows/MemoryFile.h"
#include "zem/windows/SARunDialog.h"
#include "zem/windows/SaveMemoryDialog.h"
#include "zem/windows/WarningDialog.h"
#include "zem/windows/windows_test_support.h"

namespace {

namespace fs = std::filesystem;
namespace profiles = simfix::profiles;

// ---------------------------------------------------------------------------------------------------------
// Helpers

using windowstest::Bytes;
using windowstest::MakeTempFolder;
using windowstest::ReadBytes;
using windowstest::WriteBytes;

void SetTypeCode(const std::string& code) {
  std::copy_n(code.begin(), 5, FixtureData.begin() + fd::kFixtureInfo);
}

// Answers the program's own dialogs as a user would and records what they said.
struct DialogAnswers {
  bool saveNotes = true;
  bool acceptUpload = true;
  std::string extraNote;
  std::vector<std::string> errors, warnings, infos;
  std::vector<std::vector<std::string>> uploadNotes;
  std::vector<std::string> modalNames;
  std::function<void(ui::Form&)> extra;

  void answer(ui::Form& f) {
    modalNames.push_back(f.name());
    if (extra) extra(f);
    if (f.modalResult() != ui::ModalResult::None) return;
    auto text = [](MessageDialogBase& box) {
      std::string all;
      for (const std::string& line : box.re1->lines().lines()) all += (all.empty() ? "" : "|") + line;
      return all;
    };
    if (auto* e = dynamic_cast<TErrorForm*>(&f)) {
      errors.push_back(text(*e));
      ui::input::click(*e->sbOk);
    } else if (auto* w = dynamic_cast<TWarningForm*>(&f)) {
      warnings.push_back(text(*w));
      ui::input::click(*w->sbOk);
    } else if (auto* i = dynamic_cast<TInformationForm*>(&f)) {
      if (infos.empty() || infos.back() != text(*i)) infos.push_back(text(*i));
      if (i->sbOk->effectivelyEnabled()) ui::input::click(*i->sbOk);
    } else if (auto* s = dynamic_cast<TSaveMemoryForm*>(&f)) {
      if (!extraNote.empty()) s->Re1->lines().add(extraNote);
      ui::input::click(saveNotes ? *s->sbSave : *s->sbCancel);
    } else if (auto* u = dynamic_cast<TEEpromUploadForm*>(&f)) {
      uploadNotes.push_back(u->Re1->lines().lines());
      ui::input::click(acceptUpload ? *u->sbOk : *u->sbCancel);
    } else if (auto* r = dynamic_cast<TSARunForm*>(&f)) {
      ui::input::click(*r->sbOk);
    } else {
      f.setModalResult(ui::ModalResult::Cancel);
    }
  }
};

// A window over a scripted fixture object or over the simulator; the owner stands in for the main window.
class WindowTestBase {
 protected:
  void startUi() {
    ui::app().reset();
    ui::clearShownMessageBoxes();
    folder_ = MakeTempFolder();
    ProgramFolder = folder_.string() + "/";
    ui::setModalResponder([this](ui::Form& f) { dialogs_.answer(f); });
    ui::app().setHelpFile(ProgramFolder + "Zem.hlp");
  }
  void stopUi() {
    closeWindow();
    owner_.reset();
    ui::setMessageBoxResponder(nullptr);
    ui::clearShownMessageBoxes();
    ui::app().reset();
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }

  TFixtureFormTemplate* openWindow() {
    if (!owner_) owner_.reset(ui::createForm<ui::Form>(nullptr));
    window_ = ui::createForm<TFixtureFormTemplate>(owner_.get());
    WindowClosed = false;
    window_->show();
    return window_;
  }
  void closeWindow() {
    if (window_) window_->free();
    window_ = nullptr;
  }
  // One period of the write-back timer.
  void tick(int periods = 1) {
    for (int i = 0; i < periods; ++i) {
      sys::sleepMs(200);
      ui::app().processMessages();
    }
  }
  bool choose(ui::Ref<ui::MenuItem>& item) { return ui::input::chooseMenuItem(*item); }
  void answerFileDialogs(const fs::path& path) {
    ui::setFileDialogResponder([path](const ui::FileDialogRequest&) { return path.string(); });
  }
  bool timerOn() const { return window_->SAModifiedTimer->enabled(); }

  fs::path folder_;
  DialogAnswers dialogs_;
  ui::Owned<ui::Form> owner_;
  ui::Ref<TFixtureFormTemplate> window_;
};

// ---------------------------------------------------------------------------------------------------------
// The window over scripted fixture objects

// A fixture object whose memory operations are scripted and recorded; no device needed.
class ScriptedFixture : public TZemFixture {
 public:
  std::string name = "Scripted";
  int chunk = 4;
  int failAtBlock = -1;  // the block (from 0) whose write fails
  TAddressList list;
  std::vector<std::pair<int, int>> blocks;  // (address, count) of each WriteEepromBlock
  std::vector<std::vector<uint16_t>> blockWords;
  int resets = 0;
  int reads = 0;
  std::function<void(int)> onRead;  // ReadAllFixtureData
  std::function<int(int)> onChunk;  // ReadEepromChunk
  bool throwOnRead = false;
  std::string missing;  // what a full read cannot read; empty: everything is read

  std::string GetFixtureName() override { return name; }
  bool ReadAllFixtureData(const TProgressCallback& progress) override {
    ++reads;
    if (progress) progress(1, 2);
    if (onRead) onRead(reads);
    if (throwOnRead) throw ERangeError("Lamp state out of range: 7");
    return missing.empty() || noteRead(false, missing);
  }
  int GetMaxMemoryAddress() override { return 63; }
  int ReadEepromChunk(int address) override {
    for (int k = 0; k < 4; ++k)
      setRecordWord(fd::kEEPromWords + 2 * k, static_cast<uint16_t>(0x100 + address + k));
    return onChunk ? onChunk(address) : 4;
  }
  int WriteEepromBlock(int address, int count, int) override {
    const int block = static_cast<int>(blocks.size());
    blocks.emplace_back(address, count);
    std::vector<uint16_t> words;
    for (int k = 0; k < count; ++k) words.push_back(eepromAreaWord(k));
    blockWords.push_back(words);
    if (block == failAtBlock) return 0;
    return std::min(count, chunk);
  }
  void GetMemoryAddressList(TAddressList& l) override { l = list; }
  void GetSettingsAddressList(TAddressList& l) override { l = list; }
  void GetStandAloneAddressList(TAddressList& l) override { l = list; }
  void ResetFixture() override { ++resets; }
};

class FixtureFormTest : public ::testing::Test, protected WindowTestBase {
 protected:
  void SetUp() override {
    ui::app().reset();
    InitZemData();
    startUi();
    SetTypeCode("BV200");
    CurrentFixture = &fixture_;
  }
  void TearDown() override {
    stopUi();
    CurrentFixture = nullptr;
    ui::app().reset();
    InitZemData();
  }
  // A memory file for the fixture type in FixtureData, image word a = 0xA000 + a.
  fs::path writeFile(int words, const std::string& name = "m.ZEF") {
    std::vector<uint8_t> image;
    for (int a = 0; a < words; ++a) {
      image.push_back(static_cast<uint8_t>(a & 0xFF));
      image.push_back(static_cast<uint8_t>(0xA0 + (a >> 8)));
    }
    const fs::path path = folder_ / name;
    WriteBytes(path, BuildMemoryFile(IdentityFromFixtureData(), NotesToBytes({"n"}), image));
    return path;
  }

  sys::ScopedVirtualClock clock_{0x20000};
  ScriptedFixture fixture_;
};

TEST_F(FixtureFormTest, FirstActivationReadsOnceEvenWhenActivatedFromInsideTheRead) {
  fixture_.onRead = [this](int reads) {
    // An activation arriving while the read pumps messages must not start a second read.
    if (reads == 1 && window_ && window_->onActivate) window_->onActivate(window_.get());
  };
  openWindow();
  EXPECT_EQ(fixture_.reads, 1);
  EXPECT_TRUE(window_->Activated);
  EXPECT_TRUE(window_->enabled());
  EXPECT_TRUE(timerOn());
  EXPECT_EQ(ActiveWriteBackTimer, window_->SAModifiedTimer.get());
  // Later activations (after a dialog) and shows read nothing and leave the timer alone.
  EXPECT_TRUE(choose(window_->mAbout));
  window_->SAModifiedTimer->setEnabled(false);
  window_->hide();
  window_->show();
  EXPECT_EQ(fixture_.reads, 1);
  EXPECT_FALSE(timerOn());
  closeWindow();
  EXPECT_EQ(ActiveWriteBackTimer, nullptr);
}

TEST_F(FixtureFormTest, AFullReadThatStopsEarlyIsToldNamingWhatIsMissing) {
  fixture_.missing = "lamp status and counters";
  openWindow();
  EXPECT_EQ(dialogs_.warnings,
            std::vector<std::string>{"Fixture data could not be read completely (missing: lamp status and "
                                     "counters). The window may show values the fixture does not hold; press "
                                     "Refresh to read again."});
}

TEST_F(FixtureFormTest, ACompleteReadTellsNothing) {
  openWindow();
  EXPECT_TRUE(dialogs_.warnings.empty());
}

TEST_F(FixtureFormTest, TheDemonstrationReadsNothingAndTellsNothing) {
  DemoMode = true;
  fixture_.missing = "fixture information";
  openWindow();
  EXPECT_TRUE(dialogs_.warnings.empty());
}

TEST_F(FixtureFormTest, LongOperationsGiveBackTimerAndWindowAfterExceptions) {
  fixture_.throwOnRead = true;
  openWindow();
  // The read raised: shown like the application's default handler would, the window usable again.
  ASSERT_EQ(ui::shownMessageBoxes().size(), 1u);
  EXPECT_EQ(ui::shownMessageBoxes()[0].text, "Lamp state out of range: 7");
  EXPECT_TRUE(window_->enabled());
  EXPECT_TRUE(timerOn());

  fixture_.onChunk = [](int address) -> int {
    if (address == 8) throw ERangeError("EEPROM address out of range");
    return 4;
  };
  ASSERT_TRUE(choose(window_->mSaveMemToFile));
  EXPECT_EQ(ui::shownMessageBoxes().back().text, "EEPROM address out of range");
  EXPECT_TRUE(window_->enabled());
  EXPECT_TRUE(timerOn());
  for (ui::Form* f : ui::screen().forms()) EXPECT_NE(f->name(), "DownloadMemform");

  // A timer that was off stays off.
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

TEST_F(FixtureFormTest, UploadBlocksAreRunsOfFollowingAddresses) {
  openWindow();
  answerFileDialogs(writeFile(64));
  fixture_.list = {10, 11, 12, 13, 14, 20};
  ASSERT_TRUE(choose(window_->mUploadCompleteMemoryFromFile));
  EXPECT_EQ(fixture_.blocks, (std::vector<std::pair<int, int>>{{10, 4}, {14, 1}, {20, 1}}));
  EXPECT_EQ(fixture_.blockWords[0], (std::vector<uint16_t>{0xA00A, 0xA00B, 0xA00C, 0xA00D}));
  EXPECT_EQ(fixture_.blockWords[2], (std::vector<uint16_t>{0xA014}));
  EXPECT_EQ(fixture_.resets, 2);
  EXPECT_TRUE(WindowClosed);
  EXPECT_FALSE(TerminateFlag);

  // A model that writes one word at a time: each pass starts at the next list entry.
  WindowClosed = false;
  fixture_.blocks.clear();
  fixture_.chunk = 1;
  ASSERT_TRUE(choose(window_->mUploadSAProgramFromFile));
  EXPECT_EQ(fixture_.blocks,
            (std::vector<std::pair<int, int>>{{10, 4}, {11, 4}, {12, 3}, {13, 2}, {14, 1}, {20, 1}}));
}

TEST_F(FixtureFormTest, FailedBlockStopsTheUploadWithoutReset) {
  openWindow();
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

TEST_F(FixtureFormTest, UploadRefusesAFileWithoutTheListedWordsBeforeWriting) {
  openWindow();
  answerFileDialogs(writeFile(16));
  fixture_.list = {0, 1, 2, 15, 16};
  ASSERT_TRUE(choose(window_->mUploadCompleteMemoryFromFile));
  EXPECT_TRUE(fixture_.blocks.empty());
  EXPECT_EQ(dialogs_.errors,
            (std::vector<std::string>{
                "This file does not hold the fixture memory this upload needs and cannot be uploaded."}));
  EXPECT_EQ(fixture_.resets, 0);
  EXPECT_TRUE(timerOn());

  // An empty list is refused before the notes dialog, with its message.
  dialogs_.errors.clear();
  fixture_.list.clear();
  ASSERT_TRUE(choose(window_->mUploadCompleteMemoryFromFile));
  EXPECT_EQ(dialogs_.uploadNotes.size(), 1u);
  EXPECT_EQ(dialogs_.errors.size(), 1u);
  EXPECT_TRUE(fixture_.blocks.empty());
  EXPECT_EQ(fixture_.resets, 0);
  EXPECT_FALSE(WindowClosed);
}

TEST_F(FixtureFormTest, FileCheckComparesTypeAndMemoryMap) {
  openWindow();
  const fs::path path = writeFile(4);
  // Same family, other variant: refused with the error box.
  SetTypeCode("BV20L");
  EXPECT_FALSE(window_->CheckMemoryFile(path.string()));
  EXPECT_EQ(dialogs_.errors,
            (std::vector<std::string>{
                "This file has been created for a different version type of fixture and cannot "
                "be uploaded."}));
  SetTypeCode("BV200");
  // Versions that differ only in the fourth byte: a warning showing the same text twice; still accepted.
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
  // A fixture that reports version 0 takes any file without a word.
  std::fill_n(FixtureData.begin() + fd::kZemVersion, 4, 0);
  EXPECT_TRUE(window_->CheckMemoryFile(path.string()));
  EXPECT_EQ(dialogs_.warnings.size(), 1u);
  EXPECT_THROW((void)window_->CheckMemoryFile((folder_ / "none.ZEF").string()), std::runtime_error);
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

// A model window that removes a page and adds one of its own.
class PagesRemovedForm : public TFixtureFormTemplate {
 public:
  explicit PagesRemovedForm(ui::Component* owner) : TFixtureFormTemplate(owner) {}
  void FormCreate(ui::Component* sender) override {
    TFixtureFormTemplate::FormCreate(sender);
    tsStandAloneSettings->free();
    extra = new ui::TabSheet(this);
    extra->setPageControl(PC1);
  }
  ui::TabSheet* extra = nullptr;
};

TEST_F(FixtureFormTest, HelpFollowsThePageNotItsPosition) {
  owner_.reset(ui::createForm<ui::Form>(nullptr));
  auto* form = ui::createForm<PagesRemovedForm>(owner_.get());
  window_ = form;
  form->show();
  EXPECT_FALSE(form->tsStandAloneSettings);
  form->PC1->setActivePage(form->tsMonitor);
  ASSERT_TRUE(choose(form->mHelp));
  form->PC1->setActivePage(form->extra);
  ASSERT_TRUE(choose(form->mHelp));
  form->PC1->setActivePage(form->tsAdjustment);
  ASSERT_TRUE(choose(form->mHelp));
  ASSERT_TRUE(choose(form->mHelpContents));
  ASSERT_TRUE(choose(form->mFileMenuHelp));
  const auto& requests = ui::app().helpRequests();
  ASSERT_EQ(requests.size(), 4u);
  EXPECT_EQ(requests[0].topic, "Monitor");
  EXPECT_EQ(requests[1].topic, "Adjustment");
  EXPECT_EQ(requests[2].command, ui::kHelpTopics);
  EXPECT_EQ(requests[2].data, 0u);
  EXPECT_EQ(requests[3].topic, "FileMenu");
  // Updates skip what the window removed.
  EXPECT_NO_THROW(form->UpdateAll());
}

TEST_F(FixtureFormTest, ReconnectAndCloseSetTheLoopFlags) {
  openWindow();
  ASSERT_TRUE(ui::input::click(*window_->sbReconnect));
  EXPECT_TRUE(WindowClosed);
  EXPECT_FALSE(TerminateFlag);
  WindowClosed = false;
  ASSERT_TRUE(ui::input::clickCloseBox(*window_));
  EXPECT_TRUE(WindowClosed);
  EXPECT_TRUE(TerminateFlag);
  EXPECT_FALSE(timerOn());
}

TEST_F(FixtureFormTest, TabsAndMenuAreDrawnByTheWindow) {
  openWindow();
  ui::Canvas& tabs = window_->PC1->canvas();
  tabs.clearOps();
  window_->PC1->drawTabs();
  std::vector<ui::CanvasOp> fills, texts;
  for (const ui::CanvasOp& op : tabs.ops())
    (op.kind == ui::CanvasOp::Kind::FillRect ? fills : texts).push_back(op);
  ASSERT_EQ(fills.size(), 6u);
  ui::Rect active = window_->PC1->tabRect(0);
  active.bottom -= 2;
  EXPECT_EQ(fills[0].rect, active);
  EXPECT_EQ(fills[0].brushColor, 0xFFFFFFu);
  EXPECT_EQ(fills[1].brushColor, 0xC0C0C0u);
  EXPECT_EQ(texts[0].text, "Fixture info");
  EXPECT_EQ(texts[0].font.color, ui::clBlack);
  EXPECT_EQ(texts[1].font.color, ui::clWhite);
  EXPECT_EQ(texts[1].point, (ui::Point{window_->PC1->tabRect(1).left + 2, window_->PC1->tabRect(1).top + 2}));

  ui::Canvas menu;
  menu.font = window_->font();
  EXPECT_EQ(window_->N1->measure(menu).height, 6);
  EXPECT_EQ(window_->mMenuFiles->measure(menu).width, menu.textWidth("Files") + 8);
  window_->mMenuFiles->draw(menu, {0, 0, 60, 20}, true);
  ASSERT_EQ(menu.ops().size(), 3u);
  EXPECT_EQ(menu.ops()[0].rect, (ui::Rect{0, -1, 60, 21}));
  EXPECT_EQ(menu.ops()[0].brushColor, 0xBDBDBDu);
  EXPECT_EQ(menu.ops()[1].rect, (ui::Rect{0, 0, 60, 22}));
  EXPECT_EQ(menu.ops()[1].brushColor, 0x808080u);
  EXPECT_EQ(menu.ops()[2].text, "Files");
  EXPECT_EQ(menu.ops()[2].point, (ui::Point{8, 2}));
}

// A model object that records the scene times written back.
class SceneTimesFixture : public TZemFixture {
 public:
  int wait = 0;
  int fade = 0;
  std::vector<int> waitWrites, fadeWrites;
  std::string GetFixtureName() override { return "Scenes"; }
  bool ReadAllFixtureData(const TProgressCallback&) override { return true; }
  int GetWaitTimeSeconds() override { return wait; }
  int GetFadeTimeSeconds() override { return fade; }
  bool SetWaitTimeSeconds(int s) override {
    waitWrites.push_back(s);
    wait = s;
    return true;
  }
  bool SetFadeTimeSeconds(int s) override {
    fadeWrites.push_back(s);
    fade = s;
    return true;
  }
};

TEST_F(FixtureFormTest, SceneTimesAreShownAndWrittenOnlyWhenEdited) {
  SceneTimesFixture scenes;
  scenes.wait = 90;
  scenes.fade = 65000;  // more than 18 hours: the hour edit cannot show it
  CurrentFixture = &scenes;
  openWindow();
  EXPECT_EQ(window_->cbWaitTime->itemIndex(), 29);
  EXPECT_EQ(window_->cbWaitTime->items()[29], "1 Minute 30 Seconds");
  EXPECT_EQ(window_->cbWaitTime->items()[1], "1 Second");
  EXPECT_EQ(window_->cbFadeTime->items()[1], "1 Seconds");
  EXPECT_EQ(window_->cbFadeTime->items().count(), 33);
  EXPECT_EQ(window_->cbWaitTime->items().count(), 46);
  EXPECT_EQ(window_->seWaitHour->caption(), "0");
  EXPECT_EQ(window_->seWaitMinute->caption(), "1");
  EXPECT_EQ(window_->seWaitSecond->caption(), "30");
  EXPECT_EQ(window_->cbFadeTime->itemIndex(), -1);
  EXPECT_EQ(window_->lSceneCounter->caption(), "Scene 1 of 0");
  tick(3);
  EXPECT_TRUE(scenes.waitWrites.empty());
  EXPECT_TRUE(scenes.fadeWrites.empty());

  // The user changes minute and second within one period: one write of the total.
  window_->seWaitMinute->setText("2");
  window_->seWaitSecond->setText("5");
  tick();
  EXPECT_EQ(scenes.waitWrites, (std::vector<int>{125}));
  tick(2);
  EXPECT_EQ(scenes.waitWrites.size(), 1u);
  EXPECT_TRUE(scenes.fadeWrites.empty());
  CurrentFixture = &fixture_;
  closeWindow();
}

// ---------------------------------------------------------------------------------------------------------
// End to end against the simulated box and fixture

class FixtureFormSimTest : public linktest::SimTest, protected WindowTestBase {
 protected:
  void SetUp() override {
    linktest::SimTest::SetUp();
    if (IsSkipped()) return;
    startUi();
  }
  void TearDown() override {
    stopUi();
    CurrentFixture = nullptr;
    delete model_;
    model_ = nullptr;
    linktest::SimTest::TearDown();
  }

  // Loads the model's profile (then the script) and identifies the fixture as the search loop does.
  void connect(const std::string& code, uint8_t subtype, const std::function<void()>& script = {}) {
    const profiles::ModelProfile* p = profiles::findProfile(code, subtype);
    ASSERT_NE(p, nullptr);
    profiles::apply(*sim_, *p);
    if (script) script();
    ASSERT_TRUE(CreateDevice(Device));
    Device->Open();
    TZemFixture generic;
    for (int k = 0; k < 3; ++k) ASSERT_TRUE(generic.ReadSerialNumber());
    ASSERT_TRUE(generic.ReadFixtureInfo());
    model_ = CreateFixtureForType(generic.GetTypeCode(), generic.GetSubType());
    ASSERT_NE(model_, nullptr);
    CurrentFixture = model_;
    sim_->clearReceivedFrames();
    sim_->clearServiceFrames();
  }

  int frames(char command, char subCommand) const {
    int n = 0;
    for (const auto& f : sim_->receivedFrames()) {
      if (f.bytes.size() > 5 && f.bytes[4] == command && f.bytes[5] == subCommand) ++n;
    }
    return n;
  }
  int serviceFrames(int function) const {
    int n = 0;
    for (const auto& f : sim_->serviceFrames()) n += f.function == function ? 1 : 0;
    return n;
  }
  std::vector<uint16_t> eeprom() const {
    std::vector<uint16_t> words(sim_->eepromSize());
    for (uint32_t a = 0; a < words.size(); ++a) words[a] = sim_->eepromWord(a);
    return words;
  }
  // Types the value and completes it with Enter.
  void typeInto(ui::SpinEdit& edit, const std::string& text) {
    ASSERT_TRUE(edit.setFocus());
    edit.selectAll();
    ui::input::typeText(text);
    ui::input::pressKey(ui::vk::Return);
  }

  TZemFixture* model_ = nullptr;
};

TEST_F(FixtureFormSimTest, WindowShowsTheIdentifiedFixture) {
  connect("BV200", 0, [this] {
    std::vector<uint8_t> program = sim_->group('A', 'a');
    program[0] = 5;  // scenes
    program[1] = 3;  // the scene being edited, from 0
    sim_->setGroup('A', 'a', program);
  });
  openWindow();
  EXPECT_EQ(window_->caption(), "Brevidor 200");
  EXPECT_EQ(frames('P', 'v'), 1);
  EXPECT_EQ(window_->lFixtureType->caption(), "Fixture: Brevidor 200");
  EXPECT_EQ(window_->lFixtureId->caption(), "FixtureID: SIM-BV200-0-000");
  EXPECT_EQ(window_->seDMXAddress->caption(), "17");
  EXPECT_EQ(window_->seHour->caption(), "9");
  EXPECT_EQ(window_->lSceneCounter->caption(), "Scene 4 of 5");
  EXPECT_EQ(window_->lPowerOnHours->caption(), "Total Power-on hours 4321");
  std::vector<std::string> captions;
  for (int i = 0; i < window_->PC1->pageCount(); ++i) captions.push_back(window_->PC1->page(i)->caption());
  EXPECT_EQ(captions, (std::vector<std::string>{"Fixture info", "Fixture settings", "Stand-alone settings",
                                                "Stand-alone program", "Adjustment", "Monitor"}));
  EXPECT_EQ(window_->sbReconnect->caption(), "Reconnect");
  EXPECT_FALSE(window_->cbDisplayEnable->visible());
  // Nothing the window showed goes back to the fixture.
  tick(5);
  EXPECT_EQ(frames('P', 'P') + frames('P', 'S') + frames('P', 'B') + frames('P', 'D'), 0);
}

TEST_F(FixtureFormSimTest, EachEditIsWrittenOnce) {
  connect("BV200", 0);
  openWindow();
  ASSERT_TRUE(ui::input::selectTab(*window_->PC1, *window_->tsFixtureSettings));
  // Three digits typed between two ticks: one write of 120.
  typeInto(*window_->seDMXAddress, "120");
  tick();
  EXPECT_EQ(frames('P', 'P'), 1);
  EXPECT_EQ(sim_->group('P', 'p')[0], 120);
  EXPECT_EQ(sim_->group('P', 'p')[1], 0);
  tick(3);
  EXPECT_EQ(frames('P', 'P'), 1);

  // The settings lists write at once. The fixture holds "DMX Reset" off (1); "On" is the value 0.
  EXPECT_EQ(window_->cbDMXReset->itemIndex(), 1);
  ASSERT_TRUE(ui::input::selectComboItem(*window_->cbDMXReset, 0));
  EXPECT_EQ(frames('P', 'P'), 2);
  EXPECT_EQ(sim_->group('P', 'p')[6] & 0x02, 0);
  EXPECT_EQ(window_->cbDMXReset->itemIndex(), 0);
  ASSERT_TRUE(ui::input::selectComboItem(*window_->cbAutoLampOn, 1));
  EXPECT_EQ(frames('P', 'P'), 3);
  EXPECT_EQ(sim_->group('P', 'p')[6] & 0x10, 0x10);
  // Choosing what the fixture already holds reads but writes nothing.
  ASSERT_TRUE(ui::input::selectComboItem(*window_->cbAutoLampOn, 1));
  EXPECT_EQ(frames('P', 'P'), 3);

  ASSERT_TRUE(ui::input::selectTab(*window_->PC1, *window_->tsFixtureInfo));
  typeInto(*window_->seHour, "7");
  tick();
  typeInto(*window_->seDate, "28");
  tick();
  EXPECT_EQ(frames('P', 'S'), 2);
  EXPECT_EQ(sim_->group('P', 's')[5], 7);
  EXPECT_EQ(sim_->group('P', 's')[3], 28);
  tick(2);
  EXPECT_EQ(frames('P', 'S'), 2);

  ASSERT_TRUE(ui::input::selectTab(*window_->PC1, *window_->tsStandAloneSettings));
  ASSERT_TRUE(ui::input::selectComboItem(*window_->cbTimerMode, 3));
  typeInto(*window_->seT2MStop, "59");
  typeInto(*window_->seSensorLevelTrigger, "200");
  tick(3);
  EXPECT_EQ(frames('P', 'B'), 2);
  EXPECT_EQ(sim_->group('P', 'b')[1], 3);
  EXPECT_EQ(sim_->group('P', 'b')[9], 59);
  EXPECT_EQ(frames('P', 'D'), 1);
  EXPECT_EQ(sim_->group('P', 'd')[1], 200);
  EXPECT_EQ(frames('P', 'P'), 3);
}

TEST_F(FixtureFormSimTest, AValueIsWrittenOnceWhenItsTypingIsComplete) {
  connect("BV200", 0);
  openWindow();
  ASSERT_TRUE(ui::input::selectTab(*window_->PC1, *window_->tsFixtureSettings));
  ui::SpinEdit& address = *window_->seDMXAddress;
  ASSERT_TRUE(address.setFocus());
  address.selectAll();
  // A slow typist: ticks pass between the digits, and no partial value ("5", "51") is written.
  for (char digit : std::string("510")) {
    ui::input::keyPress(digit);
    tick(3);
  }
  EXPECT_TRUE(address.editing());
  EXPECT_EQ(frames('P', 'P'), 0);
  // Complete (Enter): beyond the range, so the edit shows its maximum, and that is what is written.
  ui::input::pressKey(ui::vk::Return);
  EXPECT_FALSE(address.editing());
  EXPECT_EQ(address.caption(), std::to_string(address.maxValue()));
  tick(3);
  EXPECT_EQ(frames('P', 'P'), 1);
  EXPECT_EQ(sim_->group('P', 'p')[0] | (sim_->group('P', 'p')[1] << 8), address.maxValue());

  // Leaving the edit completes a value too.
  address.selectAll();
  ui::input::typeText("42");
  tick(2);
  EXPECT_EQ(frames('P', 'P'), 1);
  ASSERT_TRUE(window_->seDMXAddress->parent() != nullptr);
  ASSERT_TRUE(window_->cbDMXReset->setFocus());
  tick();
  EXPECT_EQ(frames('P', 'P'), 2);
  EXPECT_EQ(sim_->group('P', 'p')[0], 42);
}

TEST_F(FixtureFormSimTest, AListWhoseSendFailedShowsWhatTheFixtureHolds) {
  connect("BV200", 0);
  openWindow();
  ASSERT_TRUE(ui::input::selectTab(*window_->PC1, *window_->tsFixtureSettings));
  ASSERT_EQ(window_->cbAutoLampOn->itemIndex(), 0);
  const std::vector<uint8_t> held = sim_->group('P', 'p');
  // The send is not confirmed and the fixture keeps its setting; the read-back after the error box says so.
  sim_->setFault({simfix::Fault::NoAcknowledge, 1});
  ui::setMessageBoxResponder([&](const ui::MessageBoxRequest&) {
    sim_->setGroup('P', 'p', held);
    return ui::ModalResult::Ok;
  });
  ASSERT_TRUE(ui::input::selectComboItem(*window_->cbAutoLampOn, 1));
  ASSERT_EQ(ui::shownMessageBoxes().size(), 1u);
  EXPECT_EQ(window_->cbAutoLampOn->itemIndex(), 0);
  EXPECT_EQ(CurrentFixture->GetAutoLampOn(), 0);
}

TEST_F(FixtureFormSimTest, AByteSettingReadAsAWordIsNamedAsMissing) {
  connect("BV600", 0, [this] { sim_->setEEPromWord(78, 300); });  // the stand-alone mode, a byte
  openWindow();
  ASSERT_EQ(dialogs_.warnings.size(), 1u);
  EXPECT_THAT(dialogs_.warnings[0],
              ::testing::HasSubstr("(missing: setting at EEPROM address 78 (300 is no byte value))"));
}

TEST_F(FixtureFormSimTest, TextThatIsNoNumberWritesNothing) {
  connect("BV200", 0);
  openWindow();
  ASSERT_TRUE(ui::input::selectTab(*window_->PC1, *window_->tsFixtureSettings));
  ASSERT_TRUE(window_->seDMXAddress->setFocus());
  window_->seDMXAddress->setText("");
  tick(2);
  window_->seDMXAddress->setText("5.");
  tick(2);
  window_->seDMXAddress->setText("600");  // beyond the range while still being typed
  tick(2);
  EXPECT_EQ(frames('P', 'P'), 0);
  window_->seDMXAddress->setText("42");
  tick();
  EXPECT_EQ(frames('P', 'P'), 1);
  EXPECT_EQ(sim_->group('P', 'p')[0], 42);
  // The key filter lets digits, '.', backspace and the codes 35 to 40 through only.
  char key = 'a';
  window_->seKeyPress(window_->seDMXAddress, key);
  EXPECT_EQ(key, 0);
  for (char allowed : {'7', '.', '\b', '#', '('}) {
    key = allowed;
    window_->seKeyPress(window_->seDMXAddress, key);
    EXPECT_EQ(key, allowed);
  }
}

TEST_F(FixtureFormSimTest, TheDmxAddressLoweredToFitTheFootprintIsWrittenOnce) {
  connect("BV200", 0, [this] {
    std::vector<uint8_t> personality = sim_->group('P', 'p');
    personality[0] = 510 & 0xFF;  // beyond what a 7-channel footprint allows
    personality[1] = 510 >> 8;
    sim_->setGroup('P', 'p', personality);
  });
  openWindow();
  tick();
  EXPECT_EQ(window_->seDMXAddress->maxValue(), 506);
  EXPECT_EQ(window_->seDMXAddress->caption(), "506");
  tick(5);
  EXPECT_EQ(frames('P', 'P'), 1);
  EXPECT_EQ(sim_->group('P', 'p')[0], 506 & 0xFF);
  EXPECT_EQ(sim_->group('P', 'p')[1], 506 >> 8);
  EXPECT_EQ(CurrentFixture->GetDmxAddress(), 506);
}

TEST_F(FixtureFormSimTest, AValueAnEditCannotShowIsNotWritten) {
  connect("BV200", 0, [this] {
    std::vector<uint8_t> clock = sim_->group('P', 's');
    clock[3] = 0;  // a date the date edit cannot show
    sim_->setGroup('P', 's', clock);
  });
  openWindow();
  EXPECT_EQ(window_->seDate->caption(), "1");
  tick(5);
  EXPECT_EQ(frames('P', 'S'), 0);
  EXPECT_EQ(frames('P', 'P'), 0);
}

TEST_F(FixtureFormSimTest, ValuesShownAfterAFailedReadAreNotWritten) {
  connect("BV200", 0);
  openWindow();
  EXPECT_EQ(window_->seDate->caption(), "14");
  ui::setMessageBoxResponder([](const ui::MessageBoxRequest&) { return ui::ModalResult::Ok; });
  // Refresh: the serial read clears the record, the fixture information comes, then the fixture falls
  // silent. The window then shows the empty record, limited by the edits' ranges.
  ui::app().post([this] { sim_->setFault({simfix::Fault::Silent, -1}); });
  ASSERT_TRUE(ui::input::click(*window_->sbRefresh));
  EXPECT_FALSE(WindowClosed);
  sim_->setFault({simfix::Fault::None});
  sim_->clearReceivedFrames();
  EXPECT_EQ(window_->seDate->caption(), "1");
  EXPECT_EQ(window_->seMonth->caption(), "1");
  EXPECT_EQ(window_->seDMXAddress->caption(), "1");
  EXPECT_TRUE(timerOn());
  EXPECT_TRUE(window_->enabled());
  tick(5);
  EXPECT_EQ(frames('P', 'S'), 0);
  EXPECT_EQ(frames('P', 'P'), 0);
  EXPECT_EQ(sim_->group('P', 's')[3], 14);
}

TEST_F(FixtureFormSimTest, RefreshReadsAgainOrReconnectsForAnotherFixture) {
  connect("BV200", 0);
  openWindow();
  ASSERT_TRUE(ui::input::click(*window_->sbRefresh));
  EXPECT_EQ(frames('P', 'v'), 2);
  EXPECT_FALSE(WindowClosed);
  EXPECT_TRUE(window_->enabled());
  EXPECT_TRUE(timerOn());
  sim_->setSerial("SIM-BV200-0-001");
  ASSERT_TRUE(ui::input::click(*window_->sbRefresh));
  EXPECT_EQ(frames('P', 'v'), 2);
  EXPECT_TRUE(WindowClosed);
  EXPECT_FALSE(TerminateFlag);
}

TEST_F(FixtureFormSimTest, ResetAndLampButtons) {
  connect("BV200", 0);
  openWindow();
  ASSERT_TRUE(ui::input::selectTab(*window_->PC1, *window_->tsAdjustment));
  ASSERT_TRUE(ui::input::click(*window_->sbLampOff2));
  EXPECT_EQ(serviceFrames(83), 4);
  EXPECT_EQ(window_->lLampStatus->caption(), "Lamp is ON");
  EXPECT_FALSE(WindowClosed);
  ASSERT_TRUE(ui::input::click(*window_->sbReset2));
  EXPECT_EQ(serviceFrames(81), 8);
  EXPECT_EQ(dialogs_.infos, (std::vector<std::string>{"Fixture is resetting. This may take a minute or two. "
                                                      "Meanwhile the fixture is not able to comunicate."}));
  EXPECT_TRUE(WindowClosed);
  EXPECT_FALSE(TerminateFlag);
}

TEST_F(FixtureFormSimTest, StandAloneRunPausesTheTimerAndRereadsTheProgram) {
  connect("BV200", 0);
  openWindow();
  bool timerDuringRun = true;
  dialogs_.extra = [&](ui::Form& f) {
    if (dynamic_cast<TSARunForm*>(&f)) timerDuringRun = timerOn();
  };
  ASSERT_TRUE(ui::input::selectTab(*window_->PC1, *window_->tsStandAloneProgram));
  ASSERT_TRUE(ui::input::click(*window_->sbRun));
  EXPECT_FALSE(timerDuringRun);
  EXPECT_TRUE(timerOn());
  // Switched on, then off again once the box is closed.
  ASSERT_EQ(sim_->serviceFrames().size(), 8u);
  for (size_t i = 0; i < 8; ++i) {
    EXPECT_EQ(sim_->serviceFrames()[i].function, 37);
    EXPECT_EQ(sim_->serviceFrames()[i].value, i < 4 ? 1 : 0);
  }
  EXPECT_GE(frames('A', 'a'), 1);
  EXPECT_EQ(dialogs_.modalNames, (std::vector<std::string>{"SARunForm"}));

  // Scene buttons step the fixture and show the scene it now edits.
  sim_->clearServiceFrames();
  ASSERT_TRUE(ui::input::click(*window_->sbNext));
  EXPECT_EQ(serviceFrames(112), 4);
}

TEST_F(FixtureFormSimTest, DownloadCheckAndUploadBackIntoABlankFixture) {
  connect("BV200", 0, [this] {
    for (uint32_t a = 0; a < 1024; ++a)
      sim_->setEEPromWord(a, static_cast<uint16_t>((a * 7919 + 13) % 65521));
  });
  const std::vector<uint16_t> original = eeprom();
  ASSERT_EQ(original.size(), 1024u);
  openWindow();
  const fs::path file = folder_ / "Brevidor 200" / "saved.ZEF";
  answerFileDialogs(file);
  dialogs_.extraNote = "Checked before the show";
  ASSERT_TRUE(choose(window_->mSaveMemToFile));
  EXPECT_EQ(frames('E', 'e'), 256);
  EXPECT_TRUE(timerOn());
  EXPECT_TRUE(window_->enabled());
  ASSERT_EQ(ui::shownFileDialogs().size(), 1u);
  EXPECT_EQ(ui::shownFileDialogs()[0].initialDir, (folder_ / "Brevidor 200").string());
  EXPECT_EQ(ui::shownFileDialogs()[0].filter, "ZEM Memory files (*.ZEF)|*.ZEF");
  EXPECT_EQ(ui::shownFileDialogs()[0].defaultExt, "ZEF");

  const std::vector<uint8_t> data = ReadBytes(file);
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
    ASSERT_EQ(view.image[2 * a] | (view.image[2 * a + 1] << 8), original[a]) << a;
  }
  EXPECT_TRUE(window_->CheckMemoryFile(file.string()));
  EXPECT_TRUE(dialogs_.errors.empty());
  EXPECT_TRUE(dialogs_.warnings.empty());

  // Back into a blank fixture, one kind after the other.
  for (uint32_t a = 0; a < 1024; ++a) sim_->setEEPromWord(a, 0xFFFF);
  std::vector<uint16_t> expected(1024, 0xFFFF);
  auto upload = [&](ui::Ref<ui::MenuItem>& item, const std::set<std::pair<int, int>>& skipped, int first,
                    int last) {
    sim_->clearServiceFrames();
    WindowClosed = false;
    ASSERT_TRUE(choose(item));
    EXPECT_TRUE(WindowClosed);
    EXPECT_FALSE(TerminateFlag);
    EXPECT_EQ(serviceFrames(81), 8);  // reset twice
    for (int a = first; a <= last; ++a) {
      bool skip = false;
      for (const auto& [from, to] : skipped) skip = skip || (a >= from && a <= to);
      if (!skip) expected[static_cast<size_t>(a)] = original[static_cast<size_t>(a)];
    }
    EXPECT_EQ(eeprom(), expected);
    EXPECT_TRUE(timerOn());
    EXPECT_TRUE(window_->enabled());
  };
  upload(window_->mUploadFixturesettingsFromFile, {{2, 11}, {25, 39}, {300, 545}}, 0, 1023);
  upload(window_->mUploadSAProgramFromFile, {}, 300, 545);
  for (uint32_t a = 0; a < 1024; ++a) sim_->setEEPromWord(a, 0xFFFF);
  std::fill(expected.begin(), expected.end(), 0xFFFF);
  upload(window_->mUploadCompleteMemoryFromFile, {{2, 11}, {25, 39}}, 0, 1023);
  EXPECT_EQ(sim_->eepromWord(2), 0xFFFF);
  EXPECT_EQ(sim_->eepromWord(40), original[40]);
  ASSERT_EQ(dialogs_.uploadNotes.size(), 3u);
  EXPECT_EQ(dialogs_.uploadNotes[0].back(), "Checked before the show");
  EXPECT_EQ(dialogs_.infos,
            (std::vector<std::string>{"Upload finished|Resetting fixture to re-initialize memory"}));
  EXPECT_TRUE(dialogs_.errors.empty());
}

TEST_F(FixtureFormSimTest, RefusedFilesSendNothingToTheFixture) {
  connect("BV200", 0);
  openWindow();
  std::vector<uint8_t> image(2048, 0x5A);
  const std::vector<uint8_t> good = BuildMemoryFile(IdentityFromFixtureData(), NotesToBytes({"n"}), image);
  auto resum = [](std::vector<uint8_t> f) {
    sys::putLE32(f, 0, MemoryFileChecksum(f));
    return f;
  };
  std::vector<uint8_t> corrupted = good;
  corrupted[1056] ^= 0x20;
  std::vector<uint8_t> oversized = good;
  sys::putLE32(oversized, zef::kImageSize, 4096);
  TMemoryFileIdentity foreign = IdentityFromFixtureData();
  foreign.typeCode[4] = 'L';
  const std::vector<std::pair<std::vector<uint8_t>, std::string>> cases = {
      {corrupted, "Error reading file - checksum failed"},
      {{good.begin(), good.begin() + 600}, "Error reading file - file appears to be corrupted"},
      {resum({good.begin(), good.end() - 10}), "Error reading file - file appears to be corrupted"},
      {resum(oversized), "Error reading file - file appears to be corrupted"},
      {resum([&] {
         std::vector<uint8_t> f = good;
         f[4] = 'X';
         return f;
       }()),
       "Error reading file - not a valid ZEM file"},
      {BuildMemoryFile(foreign, {}, image),
       "This file has been created for a different version type of fixture and cannot be uploaded."},
      {BuildMemoryFile(IdentityFromFixtureData(), {}, std::vector<uint8_t>(600, 1)),
       "This file does not hold the fixture memory this upload needs and cannot be uploaded."},
  };
  int index = 0;
  for (const auto& [bytes, text] : cases) {
    SCOPED_TRACE(text);
    const fs::path path = folder_ / ("refused" + std::to_string(index++) + ".ZEF");
    WriteBytes(path, bytes);
    answerFileDialogs(path);
    ui::clearShownMessageBoxes();
    dialogs_.errors.clear();
    ASSERT_TRUE(choose(window_->mUploadCompleteMemoryFromFile));
    std::vector<std::string> shown = dialogs_.errors;
    for (const auto& box : ui::shownMessageBoxes()) shown.push_back(box.text);
    EXPECT_EQ(shown, (std::vector<std::string>{text}));
    EXPECT_EQ(frames('E', 'E'), 0);
    EXPECT_TRUE(sim_->serviceFrames().empty());
    EXPECT_FALSE(WindowClosed);
    EXPECT_TRUE(timerOn());
    EXPECT_TRUE(window_->enabled());
  }
  // Cancel in the notes dialog sends nothing either.
  answerFileDialogs(folder_ / "refused0.ZEF");
  WriteBytes(folder_ / "refused0.ZEF", good);
  dialogs_.acceptUpload = false;
  const size_t notesShown = dialogs_.uploadNotes.size();
  ASSERT_TRUE(choose(window_->mUploadFixturesettingsFromFile));
  EXPECT_EQ(dialogs_.uploadNotes.size(), notesShown + 1);
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
  const std::vector<uint8_t> data = ReadBytes(file);
  const sys::Result<TMemoryFileView> parsed = ParseMemoryFile(data);
  ASSERT_TRUE(parsed.ok()) << parsed.error();
  const std::vector<std::string> notes = NotesFromBytes(parsed.value().notes);
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
  const std::vector<uint8_t> data = ReadBytes(file);
  const sys::Result<TMemoryFileView> parsed = ParseMemoryFile(data);
  ASSERT_TRUE(parsed.ok()) << parsed.error();
  const std::vector<uint8_t> stored = Bytes(
      "Lamp ? and 5\xB0"
      "C\r\n");
  EXPECT_TRUE(std::search(parsed.value().notes.begin(), parsed.value().notes.end(), stored.begin(),
                          stored.end()) != parsed.value().notes.end());
}

TEST_F(FixtureFormSimTest, DemoModeSavesNothing) {
  sim_->setDeviceCount(0);
  ASSERT_FALSE(CreateDevice(Device));
  DemoMode = true;
  SetTypeCode("BV200");  // as the demonstration menu writes it
  model_ = CreateFixtureForType("BV200", 0);
  CurrentFixture = model_;
  openWindow();
  EXPECT_EQ(window_->caption(), "Brevidor 200: DEMO");
  EXPECT_EQ(window_->sbReconnect->caption(), "Demo");
  EXPECT_FALSE(window_->sbRefresh->enabled());
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
