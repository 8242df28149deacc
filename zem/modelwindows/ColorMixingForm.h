// The colour-mixing model windows' common pattern, written once over the fixture window template and
// configured with tables: faders and colour or frost panels on the stand-alone program page that show
// the current scene and change it live, adjustment button grids, settings combos written at once and
// refreshed on success, spin edits written on the write-back tick, the sensor-trigger range, the Monitor
// page rule and monitor format overrides.
//
// Live controls: a user change sets the control's bit in ChangedBits; the next write-back tick clears
// the bits and sends each marked control's current value once, lowest bit first, stopping at the first
// send that fails (a failed send is not repeated; the next change sends the new value). A tick with
// nothing to send polls the fixture (IdlePoll, with whether the Monitor page or another control showing
// what the poll reads is showing). Values the
// window shows itself (scene display, refresh) are not marked: change handlers ignore changes while
// Updating is raised. On windows whose tables say so (sceneShownLive) the faders are marked all the same,
// so the fixture shows the scene the user is looking at from the next tick on.
//
// A model window derives from TColorMixingForm, hands its WindowTables to the constructor, binds the
// named references it publishes (Find<T>) and adds what is its own. Windows of later families reuse the
// same tables: nothing here is specific to one model.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "zem/link/ZemLayout.h"
#include "zem/windows/Fader.h"
#include "zem/windows/FixtureForm.h"
#include "zem/windows/ZemStrings.h"

namespace colormix {

// A live operation of the fixture object: the value (0..255) it sends.
using LiveSend = bool (TZemFixture::*)(int);

// What a live control sends and which scene byte it shows (a FixtureData offset).
struct Live {
  uint32_t bit;
  LiveSend send;
  size_t sceneByte;
};

// No colour: an adjustment button is a speed button, not a coloured panel; a fader keeps its own colours.
inline constexpr ui::Color kNoColor = 0x1FFFFFFF;

struct FaderSpec {
  const char* name;  // "frCyan"
  ZemStr caption;
  ZemStr hint;
  // In ImageList1: cyan 0, magenta 1, yellow 2, zoom 3, intensity 4, then the LED colours red 5, green 6,
  // blue 7, amber 8, white 9; -1 for no picture.
  int imageIndex;
  ui::Color captionColor;
  bool inverted;  // sends maxValue - position and shows maxValue - value
  Live live;
  // 65535: a 16-bit value, kept in the scene as a word, low byte first.
  int maxValue = 255;
  ui::Color headerColor = kNoColor;    // the caption strip and the level label
  ui::Color positionColor = kNoColor;  // the level's text
};

// A drop-down list whose item index is sent live (the random-colour choice).
struct ChoiceSpec {
  const char* labelName;
  const char* name;
  ZemStr caption;
  ZemStr hint;
  std::span<const ZemStr> items;
  int (*byteToIndex)(int);  // the scene byte to the item index shown
  Live live;
};

struct ColorPanelSpec {
  const char* name;
  ui::Color color;
  int number;  // what the fixture calls this colour (also the panel's Tag)
};

// Colour panels of which the lowered one is the scene's colour.
struct ColorGroupSpec {
  const char* name;  // the panel holding them ("pColors")
  ZemStr hint;
  std::span<const ColorPanelSpec> panels;  // left to right
  std::span<const int> readBackOrder;      // numbers in the order the first lowered one wins
  Live live;
};

// An adjustment action on the current fixture; nothing happens when it is of another model.
using AdjustAction = void (*)(TZemFixture&);

// Runs Model::Op on the fixture when the fixture is a Model.
template <class Model, void (Model::*Op)()>
void Adjust(TZemFixture& fixture) {
  if (auto* model = dynamic_cast<Model*>(&fixture)) (model->*Op)();
}
// Runs Model::Op(value) on the fixture when the fixture is a Model.
template <class Model, void (Model::*Op)(int), int Value>
void AdjustWith(TZemFixture& fixture) {
  if (auto* model = dynamic_cast<Model*>(&fixture)) (model->*Op)(Value);
}

// One button of an adjustment row: a speed button fitted to a panel ("sbCyanOpen" on "pCyanOpen"); with a
// colour, a coloured panel pressed like a button ("pAdjColor1"); with a picture, a picture in a panel
// ("iAdjGobo1" in "pAdjGobo1") that acts when released, the panel's margin doing nothing.
struct AdjustButtonSpec {
  const char* name;
  ZemStr caption;  // ZemStr::Count_ for none
  ZemStr hint;
  AdjustAction action;
  ui::Color color = kNoColor;
  ui::Bitmap (*picture)() = nullptr;
};

// A drop-down list in an adjustment row: picking an item runs the action with the item's index.
struct AdjustChoiceSpec {
  const char* name;
  ZemStr text;  // shown until the first pick
  std::span<const ZemStr> items;
  ZemStr hint;
  void (*action)(TZemFixture&, int index);
};

// A captioned row of adjustment buttons, or of one list.
struct AdjustRowSpec {
  const char* name;  // "pAdjCyan"
  ZemStr caption;    // " Cyan"
  std::span<const AdjustButtonSpec> buttons;
  const AdjustChoiceSpec* choice = nullptr;
};

// Where a setting is shown and what a successful change refreshes.
enum class SettingsGroup { DMX, Other };
// The box a setting sits in: its group's, or the other-settings box while its group's update shows it.
enum class SettingsBox { OfGroup, Other };
enum class Refresh { DMX, Other, Both, Calibration };

// A drop-down list on the Fixture settings page written through its setter as soon as the user picks an
// item; the group is shown again when the setter succeeds.
struct SettingComboSpec {
  SettingsGroup group;  // the group box it sits in, and the update that shows it
  const char* labelName;
  const char* name;
  ZemStr caption;
  std::span<const ZemStr> items;
  ZemStr hint;
  int (TZemFixture::*get)();
  bool (TZemFixture::*set)(int);
  Refresh refresh;
  SettingsBox box = SettingsBox::OfGroup;
};

// A spin edit the user changes and the write-back tick writes (once, when it differs from the fixture's
// value); shown by the update of its place and reloaded after a successful write.
enum class EditPlace { Calibration, DMX };
struct TickEditSpec {
  EditPlace place;
  const char* labelName;
  const char* name;
  ZemStr caption;
  ZemStr hint;
  int minValue, maxValue, digits;
  ui::Color color;
  int (TZemFixture::*get)();
  bool (TZemFixture::*set)(int);
  SettingsBox box = SettingsBox::OfGroup;  // for a DMX edit
};

enum class MonitorRule { Keep, Remove, RemoveBelowFirmware9 };

// The light-sensor trigger edit's range and label.
struct SensorTriggerSpec {
  int minValue, maxValue, digits;
  ZemStr label;
};

// A Monitor page format of its own: index into MonitorFormats (light 0-6, voltage 7-13, temperature
// 14-20, fan 21-27).
struct MonitorFormatSpec {
  int index;
  ZemStr format;
};

// The fixture picture of the information page.
enum class FixtureOutline { MovingHead, Wash, Compact, Round, Cube, Scanner, LedPar };

struct WindowTables {
  const char* formName = nullptr;
  FixtureOutline picture = FixtureOutline::Wash;
  std::span<const FaderSpec> faders;
  const ChoiceSpec* choice = nullptr;
  const ColorGroupSpec* colors = nullptr;
  const Live* frost = nullptr;  // frost panels: sends true when pFrostOn is lowered
  std::span<const AdjustRowSpec> adjustRows;
  std::span<const SettingComboSpec> settings;
  std::span<const TickEditSpec> edits;
  std::span<const ZemStr> autoProgramItems;  // empty: the template's
  const SensorTriggerSpec* sensorTrigger = nullptr;
  std::span<const MonitorFormatSpec> monitorFormats;
  MonitorRule monitor = MonitorRule::Keep;
  bool sceneTimesInSeconds = false;  // hours, minutes and seconds edits instead of the time lists
  int faderWidth = 64;
  // A scene the window shows reaches the fixture live at the next tick: a fader change is marked whether
  // the user or the window made it (the colour and frost panels the window sets stay unmarked).
  bool sceneShownLive = false;
  // "Run test sequence" under the adjustment rows: switches the fixture's test mode on or off.
  void (*testSequence)(TZemFixture&, bool on) = nullptr;
};

}  // namespace colormix

class TColorMixingForm : public TFixtureFormTemplate {
 public:
  TColorMixingForm(ui::Component* owner, const colormix::WindowTables& tables);

  // Faders the windows of the family publish (null where a window has none).
  ui::Ref<TFader> frIntensity, frCyan, frMagenta, frYellow, frZoom;
  ui::Ref<ui::Label> lRandomColor;
  ui::Ref<ui::ComboBox> cbRandomColor;
  ui::Ref<ui::Panel> pColors, pFrost, pFrostOn, pFrostOff;
  ui::Ref<ui::Image> iFrostOn, iFrostOff;
  ui::Ref<ui::Panel> pRunTestSequence;
  ui::Ref<ui::SpeedButton> sbRunTestSequence;

  // One bit per live control, cleared when sent.
  uint32_t ChangedBits = 0;
  // The current scene record as last displayed (FixtureData bytes 134..161).
  static constexpr size_t kSceneFirst = fd::kStandAloneProgram + fdarea::program::kScene;
  static constexpr size_t kSceneSize = fdarea::program::kSceneSize;
  std::array<uint8_t, kSceneSize> SceneValues{};

  // The control of this name owned by the window, or null.
  template <class T>
  T* Find(const char* name) const {
    return dynamic_cast<T*>(findComponent(name));
  }

  void FormCreate(ui::Component* sender) override;
  void SAModifiedTimerTimer(ui::Component* sender) override;
  void UpdateAll() override;
  void UpdateDMXSettings() override;
  void UpdateOtherSettings() override;
  void UpdateScene() override;
  void EnableSceneButtons() override;

  // Marks the live control that changed (nothing while Updating is raised, unless the scene is shown live).
  void FaderChange(ui::Component* sender);
  // Lowers the clicked colour panel, raises the others and marks the colour; without a sender only
  // raises all.
  void pColorClicked(ui::Component* sender);
  // Lowers the chosen frost panel (a frost panel or its image), raises the other, marks the frost.
  void FrostClick(ui::Component* sender);
  // An adjustment button or colour panel: its action on the current fixture.
  void sbAdjustClick(ui::Component* sender);
  // The fixture runs its test sequence while the modal "Stop" window is up.
  void sbRunTestSequenceClick(ui::Component* sender);
  // Colour panels used as adjustment buttons: lowered while pressed.
  void pAdjColorMouseDown(ui::Component* sender, ui::MouseButton button, ui::ShiftState shift, int x, int y);
  void pAdjColorMouseUp(ui::Component* sender, ui::MouseButton button, ui::ShiftState shift, int x, int y);

  // Copies the current scene record from FixtureData (with a current fixture only).
  void LoadSceneValues();
  // The calibration edits from the fixture.
  void UpdateCalibration();
  // The number of the colour the panels show (the first lowered one in read-back order; 0 for none).
  int SelectedColor() const;

  // A live value the window sends itself: a change marks `bit`; the tick sends it through `send` among the
  // table's controls, which go in the order of their bits, at the place `order` gives it (its bit unless
  // the fixture wants it elsewhere).
  void AddLiveAction(uint32_t bit, uint32_t order, std::function<bool()> send);

 protected:
  // A control outside the Monitor page that shows what the idle poll reads when told the values show (a
  // model's temperatures): while one of them shows, the poll reads; when the user brings one into view
  // the poll runs at once, then ShowIdleReadings, so that no value shown was never read.
  void AddIdleReading(ui::Control* control);
  // Shows what the idle poll read, on the controls given to AddIdleReading.
  virtual void ShowIdleReadings() {}
  // The Monitor page or a control given to AddIdleReading is showing.
  [[nodiscard]] bool IdleReadingsShowing() const;

  // One live control and where it lives.
  struct LiveControl {
    enum class Kind { Fader, Choice, Colors, Frost, Action };
    LiveControl(ui::Control* c, colormix::Live l, Kind k, bool inv = false, int (*toIndex)(int) = nullptr)
        : control(c), live(l), kind(k), inverted(inv), byteToIndex(toIndex) {}
    ui::Ref<ui::Control> control;
    colormix::Live live;
    Kind kind;
    bool inverted = false;
    int (*byteToIndex)(int) = nullptr;
    int maxValue = 255;
    uint32_t order = 0;
    std::function<bool()> action;
  };
  // The value a live control sends now.
  int LiveValue(const LiveControl& c) const;
  // The scene byte of a live control as the window shows it (from SceneValues).
  int SceneByte(size_t offset) const;
  // Shows the scene values in the live controls (Updating raised by the caller).
  void ShowSceneValues();
  // Sends the marked live values; false when nothing was marked.
  bool SendChangedValues();
  // The page control's area for a new row under the last visible control of a group box.
  static int NextRowTop(const ui::WinControl* group);
  // Left and width of the lists in a settings group.
  static std::pair<int, int> ListColumn(const ui::WinControl* group);
  // A fader as the table's faders are made (picture and caption set by the caller).
  TFader* MakeFader(ui::WinControl* parent, const char* name, int left, int top, int width, int height,
                    int minValue, int maxValue);
  // A panel that switches a mode when pressed (onPress) and comes up again when released.
  ui::Panel* MakeModeButton(ui::WinControl* parent, const char* name, int left, int top, int width,
                            int height, ui::MouseEvent onPress);
  // "pGobo1" .. "pGobo4" (Tags 0 to 3), two by two from left, top, each size pixels square and showing
  // its gobo; a click on one runs onPick with it.
  std::array<ui::Ref<ui::Panel>, 4> MakeGoboPanels(ui::WinControl* parent, int left, int top, int size,
                                                   ui::NotifyEvent onPick);
  // A wheel's value on its fader and its mode button: "Rotate" and the rotate range, or "Index" and the
  // index range. The window shows its own value: no change of the user's is marked.
  struct WheelRanges {
    int indexMin, indexMax, rotateMin, rotateMax;
  };
  void ShowWheel(TFader* fader, ui::Panel* modeButton, bool rotate, const WheelRanges& ranges, int value);
  // A click on one of the panels: index becomes its Tag, it is lowered and the others raised; false for
  // another sender.
  static bool PickPanel(ui::Component* sender, std::span<const ui::Ref<ui::Panel>> panels, int& index);
  // Lowers the panel at index (both bevels) and raises the others; an index outside lowers none.
  static void ShowChosen(std::span<const ui::Ref<ui::Panel>> panels, int index);
  // Shows the settings of a group from the fixture (Updating raised meanwhile).
  void ShowSettings(colormix::SettingsGroup group);

  const colormix::WindowTables& tables_;
  std::vector<LiveControl> live_;
  std::vector<ui::Ref<ui::Panel>> colorPanels_;
  std::vector<ui::Ref<ui::SpinEdit>> edits_;  // in table order
  std::vector<ui::Ref<ui::ComboBox>> settingBoxes_;
  std::vector<ui::Ref<ui::Control>> idleReadings_;

 private:
  void BuildFaders(int& left);
  void BuildChoice(int& left);
  void BuildColors(int left);
  void BuildAdjustRows();
  void BuildSettings();
  void BuildEdits();
  void BuildTestSequence(int top);
  void ShowEdits(colormix::EditPlace place);
  void RefreshAfter(colormix::Refresh refresh);
  // A page the user chose: reads what its controls show when they show what the idle poll reads.
  void PageShown();
};
