#include "zem/modelwindows/ColorMixingForm.h"

#include <algorithm>
#include <string>

#include "zem/link/ZEMData.h"
#include "zem/modelwindows/Pictures.h"
#include "zem/windows/DialogLook.h"
#include "zem/windows/FixtureFormParts.h"
#include "zem/windows/PanelUtils.h"
#include "zem/windows/TestSequenceForm.h"

using fixtureform::MakeButtonPanel;
using fixtureform::MakeLabel;
using fixtureform::MakeList;
using fixtureform::MakeSpinEdit;

namespace {

// Form values of the faders.
constexpr ui::Color kFaderColor = 0x575757;
constexpr ui::Color kFaderButtonColor = 0xAAAAAA;
constexpr ui::Color kFaderMaskColor = 0x808080;
constexpr int kFaderGap = 6;

constexpr int kColorPanelWidth = 36;
constexpr int kColorPanelHeight = 30;
constexpr int kFrostPanelWidth = 48;
constexpr int kFrostPanelHeight = 34;
// Colour panels show the chosen colour by a lowered bevel; a wider one reads at a glance.
constexpr int kColorBevelWidth = 3;

constexpr int kMaxScenes = 20;
constexpr int kSettingRowHeight = 30;
constexpr int kSettingComboWidth = 130;
constexpr int kEditWidth = 60;
constexpr int kRowCaptionWidth = 96;
constexpr int kAdjustRowMaxHeight = 26;
// A row whose buttons still hold a line of the dialog face inside their edges.
constexpr int kAdjustRowMinHeight = 23;
constexpr int kAdjustGroupWidth = 376;
constexpr int kAdjustPageWidth = 576;

// Bevels of a panel used as an adjustment button, a colour or a frost choice.
void SetBevels(ui::Panel* p, ui::BevelCut cut) {
  if (cut == ui::BevelCut::Lowered) {
    LowerPanel(p);
  } else {
    RaisePanel(p);
  }
}

bool Lowered(const ui::Panel* p) {
  return p != nullptr && p->bevelInner() == ui::BevelCut::Lowered;
}

void SetItems(ui::ComboBox* box, std::span<const ZemStr> items) {
  std::vector<std::string> texts;
  for (ZemStr id : items) texts.push_back(ZemString(id));
  box->items().assign(texts);
}

// "sbCyanOpen" sits on "pCyanOpen", the picture "iAdjGobo1" in "pAdjGobo1".
std::string PanelNameFor(const char* buttonName) {
  std::string name(buttonName);
  if (name.rfind("sb", 0) == 0) {
    name.erase(0, 2);
  } else if (name.rfind('i', 0) == 0) {
    name.erase(0, 1);
  }
  return "p" + name;
}

// A 16-bit scene value, low byte first.
int Word(int low, int high) {
  return (high << 8) | low;
}

}  // namespace

using namespace colormix;

TColorMixingForm::TColorMixingForm(ui::Component* owner, const WindowTables& tables)
    : TFixtureFormTemplate(owner), tables_(tables) {
  setName(tables.formName);
  FillFaderImages(*ImageList1);
  iFixture->setPicture(FixturePicture(tables.picture));
  iFixture->setCenter(true);
  int left = 8;
  BuildFaders(left);
  BuildChoice(left);
  BuildColors(left);
  BuildAdjustRows();
  BuildSettings();
  BuildEdits();
}

// ---------------------------------------------------------------------------------------------------------
// Building

void TColorMixingForm::BuildFaders(int& left) {
  const int height = std::max(120, Panel4->clientHeight() - 8);
  for (const FaderSpec& spec : tables_.faders) {
    TFader* fader = MakeFader(Panel4, spec.name, left, 4, tables_.faderWidth, height, 0, spec.maxValue);
    if (spec.headerColor != kNoColor) fader->SetColor(spec.headerColor);
    if (spec.positionColor != kNoColor) fader->SetPositionColor(spec.positionColor);
    left += tables_.faderWidth + kFaderGap;
    LiveControl c(fader, spec.live, LiveControl::Kind::Fader, spec.inverted);
    c.maxValue = spec.maxValue;
    live_.push_back(std::move(c));
    const std::string name = spec.name;
    if (name == "frIntensity") frIntensity = fader;
    if (name == "frCyan") frCyan = fader;
    if (name == "frMagenta") frMagenta = fader;
    if (name == "frYellow") frYellow = fader;
    if (name == "frZoom") frZoom = fader;
  }
  if (!tables_.faders.empty()) left += 10;
}

TFader* TColorMixingForm::MakeFader(ui::WinControl* parent, const char* name, int left, int top, int width,
                                    int height, int minValue, int maxValue) {
  auto* fader = new TFader(this);
  fader->setName(name);
  fader->setParent(parent);
  fader->SetMax(maxValue);
  fader->SetMin(minValue);
  fader->SetColor(kFaderColor);
  fader->SetButtonColor(kFaderButtonColor);
  fader->SetMaskColor(kFaderMaskColor);
  fader->SetMaskSize(0);
  fader->SetStyle(kAllAppearenceStyles);
  fader->SetBounds(left, top, width, height);
  return fader;
}

ui::Panel* TColorMixingForm::MakeModeButton(ui::WinControl* parent, const char* name, int left, int top,
                                            int width, int height, ui::MouseEvent onPress) {
  ui::Panel* p = MakeButtonPanel(this, parent, name, left, top, width, height);
  p->setCursor(ui::crHandPoint);
  p->onMouseDown = [this, onPress](ui::Component* s, ui::MouseButton b, ui::ShiftState sh, int x, int y) {
    Guarded([&] { onPress(s, b, sh, x, y); });
  };
  p->onMouseUp = [this](ui::Component* s, ui::MouseButton b, ui::ShiftState sh, int x, int y) {
    pMouseUp(s, b, sh, x, y);
  };
  // A modal window taking the mouse away must not leave it pressed.
  p->onMouseCaptureLost = [this](ui::Component* s) { pMouseUp(s, ui::MouseButton::Left, 0, 0, 0); };
  return p;
}

std::array<ui::Ref<ui::Panel>, 4> TColorMixingForm::MakeGoboPanels(ui::WinControl* parent, int left, int top,
                                                                   int size, ui::NotifyEvent onPick) {
  std::array<ui::Ref<ui::Panel>, 4> panels;
  constexpr int kMargin = 4;
  for (int i = 0; i < 4; ++i) {
    const std::string number = std::to_string(i + 1);
    const std::string name = "pGobo" + number;
    const std::string pictureName = "iGobo" + number;
    auto* p = ui::make<ui::Panel>(this, parent, name.c_str(), left + (i % 2) * (size + 4),
                                  top + (i / 2) * (size + 4), size, size);
    p->setTag(i);
    p->setBevelWidth(kColorBevelWidth);
    p->setCursor(ui::crHandPoint);
    p->onClick = [this, onPick](ui::Component* s) { Guarded([&] { onPick(s); }); };
    // The picture is the panel's: a press on it is a press on the panel.
    auto* picture = ui::make<ui::Image>(this, p, pictureName.c_str(), kMargin, kMargin, size - 2 * kMargin,
                                        size - 2 * kMargin);
    picture->setPicture(GoboPicture(i));
    picture->setStretch(true);
    picture->setEnabled(false);
    panels[static_cast<size_t>(i)] = p;
  }
  return panels;
}

void TColorMixingForm::ShowWheel(TFader* fader, ui::Panel* modeButton, bool rotate, const WheelRanges& ranges,
                                 int value) {
  if (fader == nullptr || modeButton == nullptr) return;
  const bool was = Updating;
  Updating = true;
  modeButton->setCaption(ZemString(rotate ? ZemStr::MwRotate : ZemStr::MwIndex));
  const int minValue = rotate ? ranges.rotateMin : ranges.indexMin;
  const int maxValue = rotate ? ranges.rotateMax : ranges.indexMax;
  // The fader keeps Min below Max: the bound that can move first goes first.
  if (minValue < fader->Max()) {
    fader->SetMin(minValue);
    fader->SetMax(maxValue);
  } else {
    fader->SetMax(maxValue);
    fader->SetMin(minValue);
  }
  fader->SetPosition(value);
  Updating = was;
}

bool TColorMixingForm::PickPanel(ui::Component* sender, std::span<const ui::Ref<ui::Panel>> panels,
                                 int& index) {
  auto* panel = dynamic_cast<ui::Panel*>(sender);
  if (panel == nullptr || std::find(panels.begin(), panels.end(), panel) == panels.end()) return false;
  index = static_cast<int>(panel->tag());
  ShowChosen(panels, index);
  return true;
}

void TColorMixingForm::ShowChosen(std::span<const ui::Ref<ui::Panel>> panels, int index) {
  for (size_t i = 0; i < panels.size(); ++i) {
    if (static_cast<int>(i) == index) {
      LowerPanel(panels[i]);
    } else {
      RaisePanel(panels[i]);
    }
  }
}

void TColorMixingForm::BuildChoice(int& left) {
  const ChoiceSpec* spec = tables_.choice;
  if (spec == nullptr) return;
  lRandomColor = MakeLabel(this, Panel4, spec->labelName, left, 10);
  cbRandomColor = MakeList(this, Panel4, spec->name, left, 28, 180);
  cbRandomColor->setDropDownCount(static_cast<int>(spec->items.size()));
  live_.emplace_back(cbRandomColor.get(), spec->live, LiveControl::Kind::Choice, false, spec->byteToIndex);
}

void TColorMixingForm::BuildColors(int left) {
  if (const ColorGroupSpec* spec = tables_.colors) {
    const int n = static_cast<int>(spec->panels.size());
    pColors = ui::make<ui::Panel>(this, Panel4, spec->name, left, 8, 8 + n * (kColorPanelWidth + 4),
                                  kColorPanelHeight + 12);
    pColors->setBevelOuter(ui::BevelCut::Lowered);
    int x = 6;
    for (const ColorPanelSpec& c : spec->panels) {
      auto* p = ui::make<ui::Panel>(this, pColors, c.name, x, 6, kColorPanelWidth, kColorPanelHeight);
      x += kColorPanelWidth + 4;
      p->setColor(c.color);
      p->setTag(c.number);
      p->setBevelWidth(kColorBevelWidth);
      p->setCursor(ui::crHandPoint);
      p->onClick = [this](ui::Component* s) { Guarded([&] { pColorClicked(s); }); };
      colorPanels_.push_back(p);
    }
    live_.emplace_back(pColors.get(), spec->live, LiveControl::Kind::Colors);
  }
  if (const Live* frost = tables_.frost) {
    pFrost = ui::make<ui::Panel>(this, Panel4, "pFrost", left, 60, 16 + 2 * kFrostPanelWidth,
                                 kFrostPanelHeight + 12);
    pFrost->setBevelOuter(ui::BevelCut::Lowered);
    auto make = [this](const char* panelName, const char* imageName, int x, bool on,
                       ui::Ref<ui::Panel>& panel, ui::Ref<ui::Image>& image) {
      panel = ui::make<ui::Panel>(this, pFrost, panelName, x, 6, kFrostPanelWidth, kFrostPanelHeight);
      panel->setBevelWidth(kColorBevelWidth);
      panel->setCursor(ui::crHandPoint);
      image =
          ui::make<ui::Image>(this, panel, imageName, 10, 7, kFrostPanelWidth - 20, kFrostPanelHeight - 14);
      image->setPicture(FrostPicture(on));
      image->setStretch(true);
      // The panel's margin and its picture are one choice.
      for (ui::Control* c : {static_cast<ui::Control*>(panel.get()), static_cast<ui::Control*>(image.get())})
        c->onClick = [this](ui::Component* s) { Guarded([&] { FrostClick(s); }); };
    };
    make("pFrostOff", "iFrostOff", 6, false, pFrostOff, iFrostOff);
    make("pFrostOn", "iFrostOn", 10 + kFrostPanelWidth, true, pFrostOn, iFrostOn);
    live_.emplace_back(pFrost.get(), *frost, LiveControl::Kind::Frost);
  }
}

void TColorMixingForm::BuildAdjustRows() {
  const int pageHeight = tsAdjustment->clientHeight();
  gbAdjustmentFunctions->setBounds(8, 4, kAdjustGroupWidth, pageHeight - 8);
  gbCalibrationFunctions->setBounds(16 + kAdjustGroupWidth, 4, kAdjustPageWidth - 8 - kAdjustGroupWidth,
                                    pageHeight - 8);
  // The template's reset and lamp buttons become the group's first row.
  pResetLamp->setBounds(8, 16, kAdjustGroupWidth - 16, 28);
  for (ui::SpeedButton* b : {sbReset2.get(), sbLampOn2.get(), sbLampOff2.get()}) {
    if (ui::WinControl* holder = b->parent()) holder->setTop(2);
  }
  const int rows = static_cast<int>(tables_.adjustRows.size()) + (tables_.testSequence ? 1 : 0);
  auto pressable = [this](ui::Control* c, ui::Panel* pressed) {
    c->onMouseDown = [this, pressed](ui::Component*, ui::MouseButton mb, ui::ShiftState sh, int px, int py) {
      pAdjColorMouseDown(pressed, mb, sh, px, py);
    };
    c->onMouseUp = [this, pressed](ui::Component*, ui::MouseButton mb, ui::ShiftState sh, int px, int py) {
      pAdjColorMouseUp(pressed, mb, sh, px, py);
    };
    // A modal window taking the mouse away must not leave the panel pressed.
    ui::Ref<ui::Panel> held(pressed);
    c->onMouseCaptureLost = [held](ui::Component*) {
      if (held) held->setBevelOuter(ui::BevelCut::Raised);
    };
  };
  const int first = 48;
  const int room = gbAdjustmentFunctions->clientHeight() - first - 6;
  // Rows too many for one column share the page in two, the calibration group giving way.
  const bool twoColumns = rows > 0 && room / rows < kAdjustRowMinHeight && tables_.edits.empty();
  if (twoColumns) {
    gbAdjustmentFunctions->setWidth(kAdjustPageWidth);
    gbCalibrationFunctions->setVisible(false);
    pResetLamp->setWidth(kAdjustPageWidth - 16);
  }
  const int perColumn = twoColumns ? (rows + 1) / 2 : std::max(rows, 1);
  const int columnWidth = twoColumns ? (kAdjustPageWidth - 8) / 2 - 8 : kAdjustGroupWidth - 16;
  const int rowHeight = std::min(kAdjustRowMaxHeight, room / perColumn);
  int index = 0;
  int top = first;
  for (const AdjustRowSpec& row : tables_.adjustRows) {
    const int left = 8 + (index / perColumn) * (columnWidth + 8);
    top = first + (index % perColumn) * rowHeight;
    ++index;
    auto* panel =
        ui::make<ui::Panel>(this, gbAdjustmentFunctions, row.name, left, top, columnWidth, rowHeight - 2);
    panel->setAlignment(ui::Alignment::Left);
    // Beside colour or picture panels a captioned button takes two shares of the row, so that its caption
    // fits.
    auto captioned = [](const AdjustButtonSpec& b) { return b.color == kNoColor && b.picture == nullptr; };
    const bool colored = !std::all_of(row.buttons.begin(), row.buttons.end(), captioned);
    auto shares = [&](const AdjustButtonSpec& b) { return colored && captioned(b) ? 2 : 1; };
    int total = 0;
    for (const AdjustButtonSpec& b : row.buttons) total += shares(b);
    const int area = panel->width() - kRowCaptionWidth - 2;
    int x = kRowCaptionWidth;
    if (const AdjustChoiceSpec* choice = row.choice) {
      auto* box = ui::make<ui::ComboBox>(this, panel, choice->name, x, 2, area - 2, panel->height() - 4);
      box->setDropDownCount(static_cast<int>(choice->items.size()));
      // Picking an item acts; the text stays what the user picked.
      box->onClick = [this](ui::Component* s) { Guarded([&] { sbAdjustClick(s); }); };
    }
    for (const AdjustButtonSpec& b : row.buttons) {
      const int width = area * shares(b) / total;
      if (b.picture != nullptr) {
        auto* p =
            MakeButtonPanel(this, panel, PanelNameFor(b.name).c_str(), x, 2, width - 2, panel->height() - 4);
        constexpr int kMargin = 3;
        auto* image = ui::make<ui::Image>(this, p, b.name, kMargin, kMargin, p->width() - 2 * kMargin,
                                          p->height() - 2 * kMargin);
        image->setPicture(b.picture());
        image->setStretch(true);
        pressable(p, p);
        pressable(image, p);
        // The picture acts when it is released; the panel's margin only looks pressed.
        auto up = image->onMouseUp;
        image->onMouseUp = [this, up](ui::Component* s, ui::MouseButton mb, ui::ShiftState sh, int px,
                                      int py) {
          up(s, mb, sh, px, py);
          Guarded([&] { sbAdjustClick(s); });
        };
      } else if (b.color == kNoColor) {
        PanelButton pb = MakePanelButton(this, panel, PanelNameFor(b.name).c_str(), b.name, x, 2, width - 2,
                                         panel->height() - 4);
        pb.button->onClick = [this](ui::Component* s) { Guarded([&] { sbAdjustClick(s); }); };
      } else {
        auto* p = MakeButtonPanel(this, panel, b.name, x, 2, width - 2, panel->height() - 4);
        p->setColor(b.color);
        pressable(p, p);
        p->onClick = [this](ui::Component* s) { Guarded([&] { sbAdjustClick(s); }); };
      }
      x += width;
    }
    top += rowHeight;
  }
  if (tables_.testSequence) BuildTestSequence(top);
}

void TColorMixingForm::BuildTestSequence(int top) {
  PanelButton pb = MakePanelButton(this, gbAdjustmentFunctions, "pRunTestSequence", "sbRunTestSequence", 8,
                                   top + 2, kAdjustGroupWidth - 16, kAdjustRowMaxHeight - 4);
  pRunTestSequence = pb.panel;
  sbRunTestSequence = pb.button;
  sbRunTestSequence->onClick = [this](ui::Component* s) { Guarded([&] { sbRunTestSequenceClick(s); }); };
}

int TColorMixingForm::NextRowTop(const ui::WinControl* group) {
  int bottom = 12;
  for (const ui::Control* c : group->controls()) {
    if (c->visible()) bottom = std::max(bottom, ControlBottom(c));
  }
  return bottom + 8;
}

// The column of a group's lists: where its first shown list is, else at its right edge.
std::pair<int, int> TColorMixingForm::ListColumn(const ui::WinControl* group) {
  for (const ui::Control* c : group->controls()) {
    if (c->visible() && dynamic_cast<const ui::ComboBox*>(c) != nullptr) return {c->left(), c->width()};
  }
  return {group->width() - kSettingComboWidth - 8, kSettingComboWidth};
}

void TColorMixingForm::BuildSettings() {
  for (const SettingComboSpec& spec : tables_.settings) {
    ui::GroupBox* group = spec.group == SettingsGroup::DMX && spec.box == SettingsBox::OfGroup
                              ? gbDMXProtocolSettings.get()
                              : gbOtherSettings.get();
    const int top = NextRowTop(group);
    const auto [left, width] = ListColumn(group);
    MakeLabel(this, group, spec.labelName, 8, top + 4);
    ui::ComboBox* box = MakeList(this, group, spec.name, left, top, width);
    group->setHeight(std::max(group->height(), top + kSettingRowHeight + 4));
    const SettingComboSpec* s = &spec;
    box->onChange = [this, s](ui::Component* sender) {
      Guarded([&] {
        ComboChanged(
            dynamic_cast<ui::ComboBox*>(sender), [s](int v) { return (CurrentFixture->*(s->set))(v); },
            [this, s] { RefreshAfter(s->refresh); });
      });
    };
    settingBoxes_.push_back(box);
  }
}

void TColorMixingForm::BuildEdits() {
  for (const TickEditSpec& spec : tables_.edits) {
    ui::SpinEdit* edit = nullptr;
    if (spec.place == EditPlace::Calibration) {
      ui::GroupBox* group = gbCalibrationFunctions;
      const int top = NextRowTop(group);
      MakeLabel(this, group, spec.labelName, 8, top + 4);
      edit = MakeSpinEdit(this, group, spec.name, group->width() - kEditWidth - 8, top, kEditWidth,
                          spec.minValue, spec.maxValue, spec.digits);
    } else {
      // A value in the settings: the edit where the lists are, its unit after it.
      ui::GroupBox* group =
          spec.box == SettingsBox::Other ? gbOtherSettings.get() : gbDMXProtocolSettings.get();
      const int top = NextRowTop(group);
      const int left = ListColumn(group).first;
      edit = MakeSpinEdit(this, group, spec.name, left, top, kEditWidth, spec.minValue, spec.maxValue,
                          spec.digits);
      MakeLabel(this, group, spec.labelName, left + kEditWidth + 6, top + 4);
      group->setHeight(std::max(group->height(), top + kSettingRowHeight + 4));
    }
    if (spec.color != kNoColor) edit->setColor(spec.color);
    edit->onChange = [this](ui::Component* s) { seChange(s); };
    edit->onKeyPress = [this](ui::Component* s, char& k) { seKeyPress(s, k); };
    edits_.push_back(edit);
  }
}

// ---------------------------------------------------------------------------------------------------------
// Creation

void TColorMixingForm::FormCreate(ui::Component* sender) {
  TFixtureFormTemplate::FormCreate(sender);

  for (const FaderSpec& spec : tables_.faders) {
    auto* fader = Find<TFader>(spec.name);
    fader->SetCaption(ZemString(spec.caption));
    fader->SetImageIndex(spec.imageIndex);
    fader->SetImageList(ImageList1);
    fader->OnChange = [this](ui::Component* s) { FaderChange(s); };
    fader->SetCaptionColor(spec.captionColor);
    fader->setHint(ZemString(spec.hint));
  }
  if (const ChoiceSpec* spec = tables_.choice) {
    lRandomColor->setCaption(ZemString(spec->caption));
    SetItems(cbRandomColor, spec->items);
    cbRandomColor->setHint(ZemString(spec->hint));
    lRandomColor->setHint(ZemString(spec->hint));
    cbRandomColor->onChange = [this](ui::Component* s) { FaderChange(s); };
  }
  if (const ColorGroupSpec* spec = tables_.colors) {
    pColors->setHint(ZemString(spec->hint));
    for (ui::Panel* p : colorPanels_) p->setHint(ZemString(spec->hint));
  }
  if (pFrost) {
    for (ui::Control* c :
         std::initializer_list<ui::Control*>{pFrost, pFrostOn, pFrostOff, iFrostOn, iFrostOff})
      c->setHint(ZemString(ZemStr::MwFrostHint));
  }

  for (const AdjustRowSpec& row : tables_.adjustRows) {
    Find<ui::Panel>(row.name)->setCaption(ZemString(row.caption));
    if (const AdjustChoiceSpec* choice = row.choice) {
      auto* box = Find<ui::ComboBox>(choice->name);
      SetItems(box, choice->items);
      box->setCaption(ZemString(choice->text));
      box->setHint(ZemString(choice->hint));
    }
    for (const AdjustButtonSpec& b : row.buttons) {
      auto* c = Find<ui::Control>(b.name);
      if (b.caption != ZemStr::Count_) c->setCaption(ZemString(b.caption));
      c->setHint(ZemString(b.hint));
      if (b.color == kNoColor && b.picture == nullptr) FitToPanel(c, dynamic_cast<ui::Panel*>(c->parent()));
    }
  }
  if (sbRunTestSequence) {
    sbRunTestSequence->setCaption(ZemString(ZemStr::MwRunTestSequence));
    FitToPanel(sbRunTestSequence, pRunTestSequence);
  }

  for (size_t i = 0; i < tables_.settings.size(); ++i) {
    const SettingComboSpec& spec = tables_.settings[i];
    Find<ui::Label>(spec.labelName)->setCaption(ZemString(spec.caption));
    SetItems(settingBoxes_[i], spec.items);
    settingBoxes_[i]->setHint(ZemString(spec.hint));
  }
  for (size_t i = 0; i < tables_.edits.size(); ++i) {
    const TickEditSpec& spec = tables_.edits[i];
    auto* label = Find<ui::Label>(spec.labelName);
    label->setCaption(ZemString(spec.caption));
    edits_[i]->setHint(ZemString(spec.hint));
    if (spec.place == EditPlace::DMX) {
      // The unit after the value, both ending at the group's right edge.
      label->setHint(ZemString(spec.hint));
      if (ui::WinControl* group = label->parent()) {
        label->setLeft(group->width() - 8 - label->width());
        edits_[i]->setLeft(std::min(edits_[i]->left(), label->left() - 4 - edits_[i]->width()));
      }
    }
  }

  if (!tables_.autoProgramItems.empty() && cbAutoProgramOn)
    SetItems(cbAutoProgramOn, tables_.autoProgramItems);
  if (const SensorTriggerSpec* spec = tables_.sensorTrigger) {
    seSensorLevelTrigger->setMinValue(spec->minValue);
    seSensorLevelTrigger->setMaxValue(spec->maxValue);
    seSensorLevelTrigger->setMaxLength(spec->digits);
    // Wide enough for every digit the range allows.
    seSensorLevelTrigger->setWidth(std::max(seSensorLevelTrigger->width(), 12 + 9 * spec->digits));
    lLightLevelTrigger->setCaption(ZemString(spec->label));
  }
  if (tables_.sceneTimesInSeconds) {
    // These fixtures keep scene times in seconds: the edits replace the lists.
    cbWaitTime->setVisible(false);
    cbFadeTime->setVisible(false);
    int x = cbWaitTime->left();
    for (const auto& [h, m, s, format] :
         {std::tuple{seWaitHour.get(), seWaitMinute.get(), seWaitSecond.get(), lWaitTimeFormat.get()},
          std::tuple{seFadeHour.get(), seFadeMinute.get(), seFadeSecond.get(), lFadeTimeFormat.get()}}) {
      x = cbWaitTime->left();
      for (ui::SpinEdit* e : {h, m, s}) {
        e->setLeft(x);
        e->setVisible(true);
        x += e->width() + 4;
      }
      format->setLeft(x + 4);
      format->setCaption(ZemString(ZemStr::MwTimeFormat));
      format->setVisible(true);
    }
  }
  for (const MonitorFormatSpec& f : tables_.monitorFormats)
    SetMonitorFormat(static_cast<size_t>(f.index), f.format);
  // Formats longer than the template's would run into the next column.
  if (!tables_.monitorFormats.empty()) FitMonitorColumns();

  const bool removeMonitor =
      tables_.monitor == MonitorRule::Remove || (tables_.monitor == MonitorRule::RemoveBelowFirmware9 &&
                                                 CurrentFixture && CurrentFixture->GetFirmwareVersion() < 9);
  if (removeMonitor && tsMonitor) tsMonitor->free();
  if (tables_.colors) pColorClicked(nullptr);
  if (!idleReadings_.empty()) PC1->onChange = [this](ui::Component*) { Guarded([&] { PageShown(); }); };
}

void TColorMixingForm::AddIdleReading(ui::Control* control) {
  idleReadings_.emplace_back(control);
}

bool TColorMixingForm::IdleReadingsShowing() const {
  return MonitorPageShowing() || std::any_of(idleReadings_.begin(), idleReadings_.end(),
                                             [](const ui::Ref<ui::Control>& c) { return c && c->showing(); });
}

void TColorMixingForm::PageShown() {
  const bool readingsShown = std::any_of(idleReadings_.begin(), idleReadings_.end(),
                                         [](const ui::Ref<ui::Control>& c) { return c && c->showing(); });
  if (!readingsShown || !CurrentFixture) return;
  (void)CurrentFixture->IdlePoll(true);
  ShowIdleReadings();
}

// ---------------------------------------------------------------------------------------------------------
// Live controls

void TColorMixingForm::FaderChange(ui::Component* sender) {
  // What the window shows itself is the fixture's own value, not a change to send, unless the fixture is
  // to preview the scene shown.
  if (sender == nullptr || (Updating && !tables_.sceneShownLive)) return;
  for (const LiveControl& c : live_) {
    if (c.control.get() == sender) ChangedBits |= c.live.bit;
  }
}

void TColorMixingForm::pColorClicked(ui::Component* sender) {
  for (ui::Panel* p : colorPanels_) {
    if (p != nullptr && p != sender) RaisePanel(p);
  }
  auto* chosen = dynamic_cast<ui::Panel*>(sender);
  if (chosen == nullptr || tables_.colors == nullptr) return;
  LowerPanel(chosen);
  if (!Updating) ChangedBits |= tables_.colors->live.bit;
}

void TColorMixingForm::FrostClick(ui::Component* sender) {
  if (tables_.frost == nullptr || sender == nullptr) return;
  const bool on = sender == pFrostOn.get() || sender == iFrostOn.get();
  const bool off = sender == pFrostOff.get() || sender == iFrostOff.get();
  if (!on && !off) return;
  SetBevels(pFrostOn, on ? ui::BevelCut::Lowered : ui::BevelCut::Raised);
  SetBevels(pFrostOff, on ? ui::BevelCut::Raised : ui::BevelCut::Lowered);
  if (!Updating) ChangedBits |= tables_.frost->bit;
}

int TColorMixingForm::SelectedColor() const {
  const ColorGroupSpec* spec = tables_.colors;
  if (spec == nullptr) return 0;
  auto panelOf = [this](int number) -> ui::Panel* {
    for (ui::Panel* p : colorPanels_) {
      if (p != nullptr && p->tag() == number) return p;
    }
    return nullptr;
  };
  if (!spec->readBackOrder.empty()) {
    for (int number : spec->readBackOrder) {
      if (Lowered(panelOf(number))) return number;
    }
    return 0;
  }
  for (ui::Panel* p : colorPanels_) {
    if (Lowered(p)) return static_cast<int>(p->tag());
  }
  return 0;
}

int TColorMixingForm::LiveValue(const LiveControl& c) const {
  switch (c.kind) {
    case LiveControl::Kind::Fader: {
      const auto* fader = dynamic_cast<const TFader*>(c.control.get());
      const int position = fader ? fader->Position() : 0;
      return c.inverted ? c.maxValue - position : position;
    }
    case LiveControl::Kind::Choice: {
      const auto* box = dynamic_cast<const ui::ComboBox*>(c.control.get());
      return box ? std::max(0, box->itemIndex()) : 0;
    }
    case LiveControl::Kind::Colors:
      return SelectedColor();
    case LiveControl::Kind::Frost:
      return Lowered(pFrostOn) ? 1 : 0;
    case LiveControl::Kind::Action:
      break;
  }
  return 0;
}

void TColorMixingForm::AddLiveAction(uint32_t bit, uint32_t order, std::function<bool()> send) {
  LiveControl c(nullptr, {bit, nullptr, 0}, LiveControl::Kind::Action);
  c.order = order;
  c.action = std::move(send);
  live_.push_back(std::move(c));
}

bool TColorMixingForm::SendChangedValues() {
  if (ChangedBits == 0 || !CurrentFixture) return false;
  // Taken before sending: a send that raises must not leave the marks for every later tick to raise again.
  const uint32_t bits = ChangedBits;
  ChangedBits = 0;
  std::vector<const LiveControl*> order;
  for (const LiveControl& c : live_) {
    if ((bits & c.live.bit) != 0 && (c.control || c.action)) order.push_back(&c);
  }
  auto place = [](const LiveControl* c) {
    return c->kind == LiveControl::Kind::Action ? c->order : c->live.bit;
  };
  std::stable_sort(order.begin(), order.end(),
                   [&](const LiveControl* a, const LiveControl* b) { return place(a) < place(b); });
  for (const LiveControl* c : order) {
    if (!CurrentFixture) break;
    const bool taken =
        c->kind == LiveControl::Kind::Action ? c->action() : (CurrentFixture->*(c->live.send))(LiveValue(*c));
    // The fixture did not take it: the rest of this tick would fare no better.
    if (!taken) break;
  }
  return true;
}

void TColorMixingForm::SAModifiedTimerTimer(ui::Component* sender) {
  TFixtureFormTemplate::SAModifiedTimerTimer(sender);
  for (size_t i = 0; i < tables_.edits.size() && CurrentFixture; ++i) {
    const TickEditSpec& spec = tables_.edits[i];
    const EditPlace place = spec.place;
    WriteBackEdit(
        edits_[i], [&spec] { return (CurrentFixture->*(spec.get))(); },
        [&spec](int v) { return (CurrentFixture->*(spec.set))(v); },
        [this, place] {
          if (place == EditPlace::Calibration) {
            UpdateCalibration();
          } else {
            UpdateDMXSettings();
          }
        });
  }
  if (!CurrentFixture) return;
  if (!Updating && SendChangedValues()) return;
  // Nothing to send: the fixture's idle poll, which also reads the monitor values (or temperatures) while
  // they show. Its answer changes nothing here.
  (void)CurrentFixture->IdlePoll(IdleReadingsShowing());
}

// ---------------------------------------------------------------------------------------------------------
// Scene

int TColorMixingForm::SceneByte(size_t offset) const {
  if (offset >= kSceneFirst && offset < kSceneFirst + kSceneSize) return SceneValues[offset - kSceneFirst];
  return offset < FixtureData.size() ? FixtureData[offset] : 0;
}

void TColorMixingForm::LoadSceneValues() {
  if (!CurrentFixture) return;
  std::copy_n(FixtureData.begin() + kSceneFirst, kSceneSize, SceneValues.begin());
}

void TColorMixingForm::ShowSceneValues() {
  for (const LiveControl& c : live_) {
    if (!c.control) continue;
    const int byte = SceneByte(c.live.sceneByte);
    switch (c.kind) {
      case LiveControl::Kind::Fader: {
        const int value = c.maxValue > 255 ? Word(byte, SceneByte(c.live.sceneByte + 1)) : byte;
        if (auto* fader = dynamic_cast<TFader*>(c.control.get()))
          fader->SetPosition(c.inverted ? c.maxValue - value : value);
        break;
      }
      case LiveControl::Kind::Choice:
        if (auto* box = dynamic_cast<ui::ComboBox*>(c.control.get()))
          box->setItemIndex(c.byteToIndex ? c.byteToIndex(byte) : byte);
        break;
      case LiveControl::Kind::Colors:
        for (ui::Panel* p : colorPanels_) {
          if (p != nullptr) SetBevels(p, p->tag() == byte ? ui::BevelCut::Lowered : ui::BevelCut::Raised);
        }
        break;
      case LiveControl::Kind::Frost:
        SetBevels(pFrostOn, byte == 1 ? ui::BevelCut::Lowered : ui::BevelCut::Raised);
        SetBevels(pFrostOff, byte == 0 ? ui::BevelCut::Lowered : ui::BevelCut::Raised);
        break;
      case LiveControl::Kind::Action:
        break;
    }
  }
}

void TColorMixingForm::UpdateScene() {
  TFixtureFormTemplate::UpdateScene();
  LoadSceneValues();
  const bool was = Updating;
  Updating = true;
  ShowSceneValues();
  Updating = was;
  EnableSceneButtons();
}

void TColorMixingForm::EnableSceneButtons() {
  const int count = FixtureData[fd::kStandAloneProgram + fdarea::program::kSceneCount];
  const int index = FixtureData[fd::kStandAloneProgram + fdarea::program::kSceneIndex];
  const std::pair<ui::SpeedButton*, bool> rule[] = {
      {sbPrevious, index > 0},
      {sbNext, index < count - 1},
      {sbAdd, count < kMaxScenes},
      {sbInsert, count < kMaxScenes},
      {sbRun, count > 0},
      {sbStore, true},
      {sbDelete, true},
      {sbDeleteAll, true},
  };
  for (const auto& [button, on] : rule) {
    if (button != nullptr) button->setEnabled(on);
  }
}

// ---------------------------------------------------------------------------------------------------------
// Settings, edits, adjustment

void TColorMixingForm::ShowSettings(SettingsGroup group) {
  if (!CurrentFixture) return;
  const bool was = Updating;
  Updating = true;
  for (size_t i = 0; i < tables_.settings.size(); ++i) {
    const SettingComboSpec& spec = tables_.settings[i];
    if (spec.group == group && settingBoxes_[i])
      settingBoxes_[i]->setItemIndex((CurrentFixture->*(spec.get))());
  }
  Updating = was;
}

void TColorMixingForm::ShowEdits(EditPlace place) {
  if (!CurrentFixture) return;
  for (size_t i = 0; i < tables_.edits.size(); ++i) {
    const TickEditSpec& spec = tables_.edits[i];
    if (spec.place == place) ShowEditValue(edits_[i], (CurrentFixture->*(spec.get))());
  }
}

void TColorMixingForm::RefreshAfter(Refresh refresh) {
  if (refresh == Refresh::DMX || refresh == Refresh::Both) UpdateDMXSettings();
  if (refresh == Refresh::Other || refresh == Refresh::Both) UpdateOtherSettings();
  if (refresh == Refresh::Calibration) UpdateCalibration();
}

void TColorMixingForm::UpdateAll() {
  TFixtureFormTemplate::UpdateAll();
  UpdateCalibration();
}

void TColorMixingForm::UpdateCalibration() {
  ShowEdits(EditPlace::Calibration);
}

void TColorMixingForm::UpdateDMXSettings() {
  TFixtureFormTemplate::UpdateDMXSettings();
  ShowSettings(SettingsGroup::DMX);
  ShowEdits(EditPlace::DMX);
}

void TColorMixingForm::UpdateOtherSettings() {
  TFixtureFormTemplate::UpdateOtherSettings();
  ShowSettings(SettingsGroup::Other);
}

void TColorMixingForm::sbAdjustClick(ui::Component* sender) {
  if (!CurrentFixture || sender == nullptr) return;
  for (const AdjustRowSpec& row : tables_.adjustRows) {
    if (row.choice != nullptr && sender->name() == row.choice->name) {
      const auto* box = dynamic_cast<const ui::ComboBox*>(sender);
      if (box != nullptr && box->itemIndex() >= 0) row.choice->action(*CurrentFixture, box->itemIndex());
      return;
    }
    for (const AdjustButtonSpec& b : row.buttons) {
      if (sender->name() == b.name) {
        b.action(*CurrentFixture);
        return;
      }
    }
  }
}

void TColorMixingForm::sbRunTestSequenceClick(ui::Component*) {
  if (!CurrentFixture || tables_.testSequence == nullptr) return;
  tables_.testSequence(*CurrentFixture, true);
  // The fixture leaves its test mode however the window ends.
  struct TestModeOff {
    void (*mode)(TZemFixture&, bool);
    ~TestModeOff() {
      try {
        if (CurrentFixture) mode(*CurrentFixture, false);
      } catch (...) {
      }
    }
  } off{tables_.testSequence};
  ui::Owned<TTestSequenceDialog> dialog(new TTestSequenceDialog(this));
  dialog->showModal();
}

void TColorMixingForm::pAdjColorMouseDown(ui::Component* sender, ui::MouseButton, ui::ShiftState, int, int) {
  if (auto* p = dynamic_cast<ui::Panel*>(sender)) p->setBevelOuter(ui::BevelCut::Lowered);
}

void TColorMixingForm::pAdjColorMouseUp(ui::Component* sender, ui::MouseButton, ui::ShiftState, int, int) {
  if (auto* p = dynamic_cast<ui::Panel*>(sender)) p->setBevelOuter(ui::BevelCut::Raised);
}
