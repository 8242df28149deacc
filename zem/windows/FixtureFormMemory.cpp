// The fixture window's File menu: the memory download into a memory file, the check every upload runs
// first, and the three uploads (stand-alone program, settings, complete memory).
//
// Everything an upload sends comes from the file it checked: the file is loaded once, its sizes are
// checked against its length, and every address the upload will write is checked against the image
// before the first word goes out, so a refused file leaves the fixture untouched.
#include <algorithm>
#include <stdexcept>
#include <vector>

#include "platform/sys/byte_order.h"
#include "platform/ui/application.h"
#include "platform/ui/message_box.h"
#include "zem/link/ZEMData.h"
#include "zem/link/ZemUtils.h"
#include "zem/windows/DownloadMemProgressForm.h"
#include "zem/windows/EEpromUploadNotes.h"
#include "zem/windows/FixtureForm.h"
#include "zem/windows/InformationDialog.h"
#include "zem/windows/MemoryFile.h"
#include "zem/windows/MemoryUpload.h"
#include "zem/windows/SaveMemoryDialog.h"
#include "zem/windows/UploadMemProgressForm.h"
#include "zem/windows/ZemStrings.h"

namespace {

constexpr int kAreaWords = 4;  // the EEPROM-words area of FixtureData
constexpr uint32_t kCompleteBlockPauseMs = 50;
constexpr uint32_t kAfterUploadPauseMs = 1000;
constexpr const char* kMemoryFileExt = "ZEF";

std::string MemoryFileFilter() {
  return ZemString(ZemStr::FfMemoryFilesFilter) + " (*.ZEF)|*.ZEF";
}

uint32_t FixtureMemoryMapVersion() {
  return sys::getLE32(FixtureData, fd::kZemVersion);
}

}  // namespace

void TFixtureFormTemplate::PrepareMemoryFileDialog(ui::FileDialog& dialog) {
  PrepareFileDialog(dialog, MemoryFileFilter(), kMemoryFileExt);
}

TMemoryFileView TFixtureFormTemplate::LoadMemoryFile(const std::string& fileName,
                                                     std::vector<uint8_t>& bytes) {
  sys::Result<std::vector<uint8_t>> loaded = LoadFileBytes(fileName);
  // A file that cannot be read is the file error of the class library; a damaged one the memory-file error.
  if (!loaded) throw std::runtime_error(loaded.error());
  bytes = std::move(loaded).value();
  sys::Result<TMemoryFileView> file = ParseMemoryFile(bytes);
  if (!file) throw EZEMFileError(file.error());
  return file.value();
}

// ---------------------------------------------------------------------------------------------------------
// Download

void TFixtureFormTemplate::mSaveMemToFileClick(ui::Component*) {
  DownloadMemory();
}

void TFixtureFormTemplate::DownloadMemory() {
  if (!CurrentFixture || !SaveDialog) return;
  TZemFixture& f = *CurrentFixture;
  std::vector<uint8_t> image;
  // The window stays disabled until the file is written or the user gave up.
  WindowDisabled disabled(*this, true);
  {
    ui::Owned<TDownloadMemform> progress(new TDownloadMemform(this));
    progress->show();
    DownloadAbort = false;
    int address = 0;
    const int last = f.GetMaxMemoryAddress();
    TimerPause pause(*this);
    while (!DownloadAbort && address <= last) {
      const int n = std::min(f.ReadEepromChunk(address), kAreaWords);
      if (n < 1) {
        DownloadAbort = true;
        ShowErrorForm(ZemString(ZemStr::FfDownloadFailed));
      } else {
        // The image ends at the model's last address even when a chunk reaches beyond it.
        const int words = std::min(n, last + 1 - address);
        for (int k = 0; k < words; ++k) {
          const size_t at = fd::kEEPromWords + 2 * static_cast<size_t>(k);
          image.push_back(FixtureData[at]);
          image.push_back(FixtureData[at + 1]);
        }
        address += n;
      }
      if (progress) progress->SetProgress(address, f.GetMaxMemoryAddress());
      // Cancel takes effect here.
      ui::app().processMessages();
    }
    pause.restore();
  }
  if (DownloadAbort) return;

  std::vector<std::string> notes;
  {
    ui::Owned<TSaveMemoryForm> notesForm(new TSaveMemoryForm(this));
    notesForm->Re1->lines().assign({ZemString(ZemStr::FfNotesTitle),
                                    ZemFormat(ZemStr::FfFixtureType, f.GetFixtureName().c_str()),
                                    f.GetVersionText(), ""});
    if (notesForm->showModal() != ui::ModalResult::Ok) return;
    notes = notesForm->Re1->lines().lines();
  }
  size_t replaced = 0;
  const std::vector<uint8_t> notesBytes = NotesToBytes(notes, replaced);
  if (replaced > 0) ShowWarningForm(ZemFormat(ZemStr::FfNotesCharactersReplaced, static_cast<int>(replaced)));
  const std::vector<uint8_t> file = BuildMemoryFile(IdentityFromFixtureData(), notesBytes, image);

  PrepareMemoryFileDialog(*SaveDialog);
  if (DemoMode) {
    ui::messageBox({ui::MessageKind::Information, ui::app().title(), ZemString(ZemStr::FfDemoNoSave),
                    ui::MessageButtons::Ok});
    return;
  }
  if (!SaveDialog->execute()) return;
  SaveFileOrReport(SaveDialog->fileName, file);
}

// ---------------------------------------------------------------------------------------------------------
// Check

bool TFixtureFormTemplate::CheckMemoryFile(const std::string& fileName) {
  std::vector<uint8_t> bytes;
  return CheckMemoryData(LoadMemoryFile(fileName, bytes));
}

bool TFixtureFormTemplate::CheckMemoryData(const TMemoryFileView& file) {
  if (!std::equal(file.identity.typeCode.begin(), file.identity.typeCode.end(),
                  FixtureData.begin() + fd::kFixtureInfo + fdarea::info::kTypeCode)) {
    ShowErrorForm(ZemString(ZemStr::FfFileOtherType));
    return false;
  }
  const uint32_t fixtureVersion = FixtureMemoryMapVersion();
  if (fixtureVersion != 0 && file.memoryMapVersion != fixtureVersion) {
    const std::string fileText = VersionToText(file.memoryMapVersion);
    const std::string fixtureText = VersionToText(fixtureVersion);
    ShowWarningForm(ZemString(ZemStr::FfFileOtherMap1) + "\r" +
                    ZemFormat(ZemStr::FfFileOtherMap2, fileText.c_str(), fixtureText.c_str()) + "\r" +
                    ZemString(ZemStr::FfFileOtherMap3) + "\r" + ZemString(ZemStr::FfFileOtherMap4));
  }
  return true;
}

// ---------------------------------------------------------------------------------------------------------
// Uploads

void TFixtureFormTemplate::mUploadSAProgramFromFileClick(ui::Component*) {
  UploadFromFile(UploadKind::StandAloneProgram);
}

void TFixtureFormTemplate::mUploadFixturesettingsFromFileClick(ui::Component*) {
  UploadFromFile(UploadKind::Settings);
}

void TFixtureFormTemplate::mUploadCompleteMemoryFromFileClick(ui::Component*) {
  UploadFromFile(UploadKind::CompleteMemory);
}

void TFixtureFormTemplate::UploadFromFile(UploadKind kind) {
  if (!CurrentFixture || !OpenDialog) return;
  TZemFixture& f = *CurrentFixture;
  const ZemStr caption = kind == UploadKind::StandAloneProgram ? ZemStr::FfUploadingSAProgram
                         : kind == UploadKind::Settings        ? ZemStr::FfUploadingSettings
                                                               : ZemStr::FfUploadingComplete;
  // Whatever happens below, the timer gets back the state it has now.
  TimerPause timer(*this, false);

  TAddressList list;
  switch (kind) {
    case UploadKind::StandAloneProgram:
      f.GetStandAloneAddressList(list);
      break;
    case UploadKind::Settings:
      f.GetSettingsAddressList(list);
      break;
    case UploadKind::CompleteMemory:
      f.GetMemoryAddressList(list);
      break;
  }
  // A model with no words of this kind to upload says so before a file is chosen, and writes nothing
  // (no block, no reset).
  if (list.empty()) {
    ShowErrorForm(ZemString(ZemStr::FfNothingToUpload));
    return;
  }

  PrepareMemoryFileDialog(*OpenDialog);
  if (!OpenDialog->execute()) return;
  std::vector<uint8_t> bytes;
  const TMemoryFileView file = LoadMemoryFile(OpenDialog->fileName, bytes);
  if (!CheckMemoryData(file)) return;

  {
    ui::Owned<TEEpromUploadForm> notesForm(new TEEpromUploadForm(this));
    notesForm->setCaption(ZemString(caption));
    notesForm->Re1->lines().assign(NotesFromBytes(file.notes));
    if (notesForm->showModal() != ui::ModalResult::Ok) return;
  }

  // Only words taken from the file may reach the fixture: a file whose image lacks any listed address
  // is refused before the first write.
  if (!ImageHoldsAddresses(file.image, list)) {
    ShowErrorForm(ZemString(ZemStr::FfFileImageTooSmall));
    return;
  }
  timer.stop();

  bool failed = false;
  {
    ui::Owned<TUploadMemProgress> progress(new TUploadMemProgress(this));
    progress->setCaption(ZemString(caption));
    progress->pg1->setMax(static_cast<int>(list.size()));
    WindowDisabled disabled(*this, true);
    progress->show();
    failed = !UploadImageWords(
        file.image, list,
        [&](int address, int count) { return f.WriteEepromBlock(address, count, f.GetEepromSettleTime()); },
        [&](size_t index, int written) {
          if (written > 0 && kind == UploadKind::CompleteMemory) DelayNoMessages(kCompleteBlockPauseMs);
          if (progress) progress->pg1->setPosition(static_cast<int>(index));
          ui::app().processMessages();
        });
    if (kind != UploadKind::StandAloneProgram) DelayNoMessages(kAfterUploadPauseMs);
    progress.reset();
    disabled.end();
  }
  if (failed) {
    ShowErrorForm(ZemString(ZemStr::FfUploadFailed));
    return;
  }

  // The fixture takes over its new memory when it restarts.
  f.ResetFixture();
  f.ResetFixture();
  {
    ui::Owned<TInformationForm> info(new TInformationForm(this));
    info->AddText(ZemString(ZemStr::FfUploadFinished) + "\r" + ZemString(ZemStr::FfUploadResetting));
    const int okDelay = f.GetResetOKDelay();
    if (okDelay > 0) info->SetOKDelay(okDelay);
    info->showModal();
  }
  Reconnect();
}
