// Test scaffolding of the fixture window template: the user's answers to the program's dialogs, the
// window over a scripted fixture object, and the window end to end against the simulated box and fixture.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/sys/clock.h"
#include "platform/ui/input.h"
#include "platform/ui/message_box.h"
#include "sim/fixture/model_profiles.h"
#include "zem/link/link_test_support.h"
#include "zem/model/uZemModels.h"
#include "zem/windows/EEpromUploadNotes.h"
#include "zem/windows/ErrorDialog.h"
#include "zem/windows/FixtureForm.h"
#include "zem/windows/InformationDialog.h"
#include "zem/windows/MemoryFile.h"
#include "zem/windows/SARunDialog.h"
#include "zem/windows/SaveMemoryDialog.h"
#include "zem/windows/WarningDialog.h"
#include "zem/windows/windows_test_support.h"

namespace fixtureformtest {

namespace fs = std::filesystem;
namespace profiles = simfix::profiles;
using windowstest::Bytes;
using windowstest::MakeTempFolder;
using windowstest::ReadBytes;
using windowstest::WriteBytes;

inline void SetTypeCode(const std::string& code) {
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

// The raw notes of a saved memory file (empty, with a failure, when the file is not a valid one).
inline std::vector<uint8_t> SavedNotes(const fs::path& file) {
  const std::vector<uint8_t> data = ReadBytes(file);
  const sys::Result<TMemoryFileView> parsed = ParseMemoryFile(data);
  EXPECT_TRUE(parsed.ok()) << parsed.error();
  if (!parsed) return {};
  return {parsed.value().notes.begin(), parsed.value().notes.end()};
}

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

  // No interface hardware: the demonstration's window for a Brevidor 200, as the demonstration menu opens it.
  void openDemoWindow() {
    sim_->setDeviceCount(0);
    ASSERT_FALSE(CreateDevice(Device));
    DemoMode = true;
    SetTypeCode("BV200");  // as the demonstration menu writes it
    model_ = CreateFixtureForType("BV200", 0);
    CurrentFixture = model_;
    openWindow();
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

// The window open on a Brevidor 200 the simulator plays; a derived test may script the fixture first.
class OpenWindowSimTest : public FixtureFormSimTest {
 protected:
  void SetUp() override {
    FixtureFormSimTest::SetUp();
    if (IsSkipped()) return;
    connect("BV200", 0, [this] { scriptFixture(); });
    openWindow();
  }
  virtual void scriptFixture() {}
};

}  // namespace fixtureformtest
