#include "mendaro/CMendaroDlg.h"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "desktop/program_icons.h"
#include "mendaro/BoxPicture.h"
#include "mendaro/MendaroTexts.h"
#include "platform/ui/data_exchange.h"
#include "platform/wdu/wdu_names.h"

namespace mendaro {

namespace {

// The device list's lock, held for a whole step of the device watch (it is re-entrant).
class ListLock {
 public:
  explicit ListLock(wdu::OsMutex* mutex) : mutex_(mutex) {
    if (mutex_) OsMutexLock(mutex_);
  }
  ~ListLock() {
    if (mutex_) OsMutexUnlock(mutex_);
  }
  ListLock(const ListLock&) = delete;
  ListLock& operator=(const ListLock&) = delete;

 private:
  wdu::OsMutex* mutex_;
};

ui::RichEdit* makeUniverseEdit(CMendaroDlg* dlg, ui::WinControl* parent, const char* name, int left) {
  auto* r = ui::make<ui::RichEdit>(dlg, parent, name, left, 22, 52, 42);
  r->setMultiLine(false);
  r->setNumbersOnly(true);
  return r;
}

ui::UpDown* makeUpDown(CMendaroDlg* dlg, ui::WinControl* parent, const char* name, int left) {
  auto* u = ui::make<ui::UpDown>(dlg, parent, name, left, 33, 34, 20);
  u->setOrientation(ui::UpDownOrientation::Horizontal);
  return u;
}

ui::CheckBox* makeDirection(CMendaroDlg* dlg, ui::WinControl* parent, const char* name, int left) {
  auto* c = ui::make<ui::CheckBox>(dlg, parent, name, left, 72, 52, 25);
  c->setPushLike(true);
  c->setCaption(text::kOut);
  return c;
}

}  // namespace

// Port A's controls stand right of port B's, each under its socket on the box's picture.
CMendaroDlg::CMendaroDlg(ui::Component* owner) : ui::Form(owner) {
  setName("CMendaroDlg");
  setCaption(text::kDialogCaption);
  setBorderStyle(ui::BorderStyle::Dialog);
  setBorderIcons(ui::kSystemMenu | ui::kMinimize);
  setPosition(ui::FormPosition::ScreenCenter);
  setBounds(0, 0, 560, 410);

  lDevices = ui::make<ui::Label>(this, this, "lDevices");
  lDevices->setBounds(12, 10, 0, 0);
  lDevices->setCaption(text::kDevices);
  lbDevices = ui::make<ui::ListBox>(this, this, "lbDevices", 12, 28, 300, 238);
  imBox = ui::make<ui::Image>(this, this, "imBox", 324, 10, kBoxPictureWidth, kBoxPictureHeight);
  imBox->setPicture(BoxPicture());

  gbUniverses = ui::make<ui::GroupBox>(this, this, "gbUniverses", 324, 134, kBoxPictureWidth, 106);
  gbUniverses->setCaption(text::kUniverseSettings);
  reUniverseB = makeUniverseEdit(this, gbUniverses, "reUniverseB", 10);
  udUniverseB = makeUpDown(this, gbUniverses, "udUniverseB", 66);
  cbInputB = makeDirection(this, gbUniverses, "cbInputB", 10);
  reUniverseA = makeUniverseEdit(this, gbUniverses, "reUniverseA", 104);
  udUniverseA = makeUpDown(this, gbUniverses, "udUniverseA", 160);
  cbInputA = makeDirection(this, gbUniverses, "cbInputA", 104);

  bUpdate = ui::make<ui::Button>(this, this, "bUpdate", 324, 246, 106, 25);
  bUpdate->setCaption(text::kUpdate);
  bClearConfig = ui::make<ui::Button>(this, this, "bClearConfig", 442, 246, 106, 25);
  bClearConfig->setCaption(text::kClearConfig);
  mLog = ui::make<ui::Memo>(this, this, "mLog", 12, 278, 536, 84);
  bClose = ui::make<ui::Button>(this, this, "bClose", 473, 372, 75, 25);
  bClose->setCaption(text::kClose);

  tmWatch = new ui::Timer(this, kWatchMs);
  tmLamp = new ui::Timer(this, kLampMs);

  lbDevices->onSelChange = [this](ui::Component*) { OnSelchangeDevices(); };
  udUniverseA->onDeltaPos = [this](ui::Component*, int delta, bool& allow) {
    OnDeltaposUniverse(true, delta, allow);
  };
  udUniverseB->onDeltaPos = [this](ui::Component*, int delta, bool& allow) {
    OnDeltaposUniverse(false, delta, allow);
  };
  cbInputA->onClick = [this](ui::Component*) { OnDirection(cbInputA); };
  cbInputB->onClick = [this](ui::Component*) { OnDirection(cbInputB); };
  bUpdate->onClick = [this](ui::Component*) { OnUpdate(); };
  bClearConfig->onClick = [this](ui::Component*) { OnClearConfig(); };
  bClose->onClick = [this](ui::Component*) { OnCloseButton(); };
  tmWatch->onTimer = [this] { OnWatchTimer(); };
  tmLamp->onTimer = [this] { OnLampTimer(); };
}

// The box object (and with it the USB layer's registration) goes with the window. A dialog that goes
// without Close or the close box (the program told to end) ends the identify signal too.
CMendaroDlg::~CMendaroDlg() {
  IdentifyOff();
}

void CMendaroDlg::doCreate() {
  OnInitDialog();
  ui::Form::doCreate();
}

void CMendaroDlg::OnInitDialog() {
  setIcon(&desktop::mendaroIcon());  // big and small
  for (ui::RichEdit* r : {reUniverseA, reUniverseB}) {
    ui::Font f = r->font();
    f.color = kUniverseTextColor;
    f.size = (kUniverseTextTwips + 10) / 20;  // twentieths of a point, to whole points
    r->setFont(f);
    r->setColor(kUniverseBackground);
    r->setMaxLength(kUniverseChars);
  }
  m_iUniverseA = 1;
  m_iUniverseB = 2;
  ShowUniverses();
  bUpdate->setEnabled(false);
  bClearConfig->setEnabled(false);
  m_pBox = std::make_unique<QUILLON>();
  // Without a USB backend the list stays empty for good: the log says why, and what to change.
  if (const std::string note = m_pBox->NoBackendNote(); !note.empty()) AddToLog(note);
  m_nBoxCount = 0;
  m_nListGeneration = 0;
  m_nSelection = -1;
  m_bFirstPick = true;
  m_bBlinking = false;
  tmWatch->setEnabled(true);
  tmLamp->setEnabled(true);
}

void CMendaroDlg::AddToLog(const std::string& line, bool newLine) {
  mLog->appendText(newLine ? line + "\r\n" : line);
}

// The lock keeps attach and detach waiting, so the count and the handles read in one step agree.
void CMendaroDlg::OnWatchTimer() {
  if (!m_pBox) return;
  ListLock lock(m_pBox->GetMutex());
  const int n = static_cast<int>(std::min<uint32_t>(m_pBox->GetDeviceCount(), kMaxBoxes + 1));
  if (n == 0) {
    bUpdate->setEnabled(false);
    bClearConfig->setEnabled(false);
  }
  if (n > kMaxBoxes) {
    AddToLog(text::kTooManyDevices);
    return;
  }
  // Every arrival and departure counts, not only a new number of boxes: a box swapped for another (or one
  // that came back under a new handle) within one watch is read anew.
  if (n == m_nBoxCount && m_pBox->GetListGeneration() == m_nListGeneration) return;
  if (n > 0) {
    bUpdate->setEnabled(true);
    bClearConfig->setEnabled(true);
  }
  // The pick is forgotten: its box stops its identify signal too.
  IdentifyOff();
  m_nSelection = -1;
  ReadAllBoxes();
}

void CMendaroDlg::ReadAllBoxes() {
  const wdu::DeviceHandle highlighted = HighlightedHandle();
  m_nListGeneration = m_pBox->GetListGeneration();
  m_nBoxCount = static_cast<int>(std::min<uint32_t>(m_pBox->GetDeviceCount(), kMaxBoxes));
  for (int i = 0; i < m_nBoxCount; ++i) {
    BoxEntry& e = m_Boxes[static_cast<size_t>(i)];
    e = BoxEntry{};
    e.handle = m_pBox->GetDeviceHandle(static_cast<uint32_t>(i));
    e.bcdDevice = m_pBox->GetDeviceVersion(e.handle);
    e.read = m_pBox->ReadConfig(e.handle, e.block);
    if (!e.read) AddToLog(text::kReadFailed);
    e.configured = e.read && e.block.IsConfigured();
  }
  RebuildList(highlighted);
}

std::string CMendaroDlg::ListLine(const BoxEntry& e) {
  char line[96];
  const unsigned major = e.bcdDevice >> 8;
  const unsigned minor = e.bcdDevice & 0xFF;
  if (e.configured) {
    std::snprintf(line, sizeof line, text::kConfiguredLine, major, minor, e.block.UniverseA(),
                  e.block.UniverseB());
  } else {
    std::snprintf(line, sizeof line, text::kUnconfiguredLine, major, minor);
  }
  return line;
}

wdu::DeviceHandle CMendaroDlg::HighlightedHandle() const {
  const int line = lbDevices->itemIndex();
  if (line < 0) return 0;
  const uint64_t entry = lbDevices->items().data(line);
  return entry < static_cast<uint64_t>(m_nBoxCount) ? m_Boxes[entry].handle : 0;
}

// By handle, never by place: after an unplug the same line may hold another box.
void CMendaroDlg::RebuildList(wdu::DeviceHandle highlight) {
  ui::Strings& items = lbDevices->items();
  items.clear();
  int line = -1;
  for (int i = 0; i < m_nBoxCount; ++i) {
    const BoxEntry& e = m_Boxes[static_cast<size_t>(i)];
    items.add(ListLine(e), static_cast<uint64_t>(i));
    if (highlight != 0 && e.handle == highlight) line = i;
  }
  lbDevices->setItemIndex(line);
}

void CMendaroDlg::OnLampTimer() {
  if (!m_bBlinking) return;
  m_bLampGreen = !m_bLampGreen;
  DrawLamp(m_bLampGreen ? kLampGreen : kLampOrange);
}

void CMendaroDlg::DrawLamp(ui::Color color) {
  ui::PictureCanvas& c = imBox->canvas();
  c.brush.style = ui::BrushStyle::Solid;
  c.brush.color = color;
  c.fillRect(kLampBody);
  c.fillRect(kLampTop);
  c.fillRect(kLampBottom);
}

void CMendaroDlg::OnSelchangeDevices() {
  const int line = lbDevices->itemIndex();
  if (line < 0) return;
  const int picked = static_cast<int>(lbDevices->items().data(line));
  if (picked == m_nSelection || picked >= m_nBoxCount) return;
  const auto begin = m_Boxes.begin();
  if (std::none_of(begin, begin + m_nBoxCount, [](const BoxEntry& e) { return e.configured; })) {
    m_iUniverseA = 1;
    m_iUniverseB = 2;
    ShowUniverses();
    m_bFirstPick = true;
  }
  m_bBlinking = true;
  // The identify requests' answers change nothing here: a box that is gone is dropped by the next watch.
  if (m_nSelection >= 0)
    (void)m_pBox->Identify(m_Boxes[static_cast<size_t>(m_nSelection)].handle, false,
                           QUILLON::kFullBrightness);
  const BoxEntry& e = m_Boxes[static_cast<size_t>(picked)];
  (void)m_pBox->Identify(e.handle, true, QUILLON::kFullBrightness);
  if (e.configured) {
    m_iUniverseA = e.block.UniverseA();
    m_iUniverseB = e.block.UniverseB();
    SetDirection(cbInputA, e.block.InputA());
    SetDirection(cbInputB, e.block.InputB());
    // A configured box counts as the first pick too, so that the next unconfigured one follows on.
    m_bFirstPick = false;
  } else if (m_bFirstPick) {
    m_bFirstPick = false;
  } else {
    SetDirection(cbInputA, false);
    SetDirection(cbInputB, false);
    (void)TakeUniverses();  // a refused value keeps the one stored before
    if (m_iUniverseA <= DeviceConfigBlock::kMaxUniverse - 2) m_iUniverseA += 2;
    if (m_iUniverseB <= DeviceConfigBlock::kMaxUniverse - 2) m_iUniverseB += 2;
  }
  ShowUniverses();
  m_nSelection = picked;
}

const BoxEntry* CMendaroDlg::WritableSelection() {
  if (m_nSelection < 0) {
    AddToLog(text::kSelectDevice);
    return nullptr;
  }
  const BoxEntry& e = m_Boxes[static_cast<size_t>(m_nSelection)];
  if (!e.read) {
    AddToLog(text::kNotReadNotWritten);
    return nullptr;
  }
  return &e;
}

void CMendaroDlg::OnUpdate() {
  const BoxEntry* e = WritableSelection();
  if (!e || !TakeUniverses()) return;
  DeviceConfigBlock block = e->block;
  block.Configure(static_cast<uint8_t>(m_iUniverseA), static_cast<uint8_t>(m_iUniverseB), cbInputA->checked(),
                  cbInputB->checked());
  WriteSelected(block, true);
  RebuildList(HighlightedHandle());
}

void CMendaroDlg::OnClearConfig() {
  const BoxEntry* e = WritableSelection();
  if (!e) return;
  DeviceConfigBlock block = e->block;
  block.Clear();
  WriteSelected(block, false);
  RebuildList(HighlightedHandle());
}

void CMendaroDlg::WriteSelected(const DeviceConfigBlock& block, bool configured) {
  BoxEntry& e = m_Boxes[static_cast<size_t>(m_nSelection)];
  if (!m_pBox->WriteConfig(e.handle, block)) {
    AddToLog(text::kWriteFailed);
    return;
  }
  e.block = block;
  e.configured = configured;
}

// As the system's up-down control reports it, the right arrow proposes a negative change.
void CMendaroDlg::OnDeltaposUniverse(bool portA, int delta, bool& allow) {
  (void)TakeUniverses();  // a refused value keeps the one stored before
  int& universe = portA ? m_iUniverseA : m_iUniverseB;
  if (universe > DeviceConfigBlock::kMinUniverse && delta > 0) {
    --universe;
  } else if (universe < DeviceConfigBlock::kMaxUniverse && delta < 0) {
    ++universe;
  }
  ShowUniverses();
  allow = true;
}

void CMendaroDlg::OnDirection(ui::CheckBox* box) {
  box->setCaption(box->checked() ? text::kIn : text::kOut);
}

void CMendaroDlg::SetDirection(ui::CheckBox* box, bool input) {
  box->setChecked(input);
  box->setCaption(input ? text::kIn : text::kOut);
}

bool CMendaroDlg::TakeUniverses() {
  const std::optional<int> a =
      ui::takeInteger(*reUniverseA, DeviceConfigBlock::kMinUniverse, DeviceConfigBlock::kMaxUniverse);
  if (!a) return false;
  const std::optional<int> b =
      ui::takeInteger(*reUniverseB, DeviceConfigBlock::kMinUniverse, DeviceConfigBlock::kMaxUniverse);
  if (!b) return false;
  m_iUniverseA = *a;
  m_iUniverseB = *b;
  return true;
}

void CMendaroDlg::ShowUniverses() {
  reUniverseA->setContent(std::to_string(m_iUniverseA));
  reUniverseB->setContent(std::to_string(m_iUniverseB));
}

void CMendaroDlg::IdentifyOff() {
  if (!m_pBox || m_nSelection < 0 || m_nSelection >= m_nBoxCount) return;
  // A box that is gone cannot hear it; nothing else to do then.
  (void)m_pBox->Identify(m_Boxes[static_cast<size_t>(m_nSelection)].handle, false, QUILLON::kFullBrightness);
}

void CMendaroDlg::OnCloseButton() {
  IdentifyOff();
  m_nSelection = -1;
  if (modal()) {
    setModalResult(ui::ModalResult::Ok);
  } else {
    close();
  }
}

// The close box ends the identify signal as Close does.
void CMendaroDlg::doClose(ui::CloseAction& action) {
  IdentifyOff();
  m_nSelection = -1;
  ui::Form::doClose(action);
}

}  // namespace mendaro
