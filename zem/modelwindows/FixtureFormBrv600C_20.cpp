#include "zem/modelwindows/FixtureFormBrv600C_20.h"

#include "zem/modelwindows/Brv600Tables.h"
#include "zem/modelwindows/ColorMixingTables.h"

namespace {

using namespace colormix;
using namespace colormix::brv600;

constexpr FaderSpec kFaders[] = {CyanFader(136), MagentaFader(137), YellowFader(138)};

constexpr AdjustRowSpec kAdjustRows[] = {
    {"pAdjAll", ZemStr::MwAllEffects, kAll},
    {"pAdjCyan", ZemStr::MwRowCyan, kCyan},
    {"pAdjMagenta", ZemStr::MwRowMagenta, kMagenta},
    {"pAdjYellow", ZemStr::MwRowYellow, kYellow},
};

// Each setting the fixture takes re-reads both groups.
constexpr SettingComboSpec kSettings[] = {
    DmxMode(Refresh::Both),
    EffectSpeed(Refresh::Both),
    EffectShortcut(Refresh::Both),
    EffectFeedback(Refresh::Both),
};

constexpr WindowTables kTables = [] {
  WindowTables t = FamilyTables();
  t.formName = "Brv600C_20Form";
  t.picture = FixtureOutline::Compact;
  t.faders = kFaders;
  t.adjustRows = kAdjustRows;
  t.settings = kSettings;
  t.edits = std::span(kCalibration).first(3);  // no dimmer
  return t;
}();

}  // namespace

TBrv600C_20Form::TBrv600C_20Form(ui::Component* owner) : TBrv600FamilyForm(owner, kTables) {}
