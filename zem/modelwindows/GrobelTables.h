// Table rows of the windows over the Grobel model family (Grobel 200, Quintel, Brevidor 1200): the
// open, closed and sensor rows, and the colour adjustment action by position.
#pragma once

#include "zem/model/GrobelModels.h"
#include "zem/modelwindows/ColorMixingTables.h"

namespace colormix::grobel {

using G = TZemFixtureGrobel200CMYI;

// The fixture's colour wheel (or colour preset) at a position.
template <int Position>
inline constexpr AdjustAction kAdjustColor = &AdjustWith<G, &G::AdjustColor, Position>;

// Open, closed and sensor of the dimmer and the three colour flags.
inline constexpr AdjustButtonSpec kDimmer[] = {
    OpenClosedRows<G>::dimmer[0],
    OpenClosedRows<G>::dimmer[1],
    {"sbDimmerSensor", ZemStr::MwSensor, ZemStr::MwSensorHint, &Adjust<G, &G::GrobelAdjust73_2>},
};
inline constexpr AdjustButtonSpec kCyan[] = {
    OpenClosedRows<G>::cyan[0],
    OpenClosedRows<G>::cyan[1],
    {"sbCyanSensor", ZemStr::MwSensor, ZemStr::MwSensorHint, &Adjust<G, &G::GrobelAdjust74_2>},
};
inline constexpr AdjustButtonSpec kMagenta[] = {
    OpenClosedRows<G>::magenta[0],
    OpenClosedRows<G>::magenta[1],
    {"sbMagentaSensor", ZemStr::MwSensor, ZemStr::MwSensorHint, &Adjust<G, &G::GrobelAdjust75_2>},
};
inline constexpr AdjustButtonSpec kYellow[] = {
    OpenClosedRows<G>::yellow[0],
    OpenClosedRows<G>::yellow[1],
    {"sbYellowSensor", ZemStr::MwSensor, ZemStr::MwSensorHint, &Adjust<G, &G::GrobelAdjust76_2>},
};

// The Brevidor 1200 family's Monitor texts; the Wash shows the first seven, the IP all nine.
inline constexpr MonitorFormatSpec kBrv1200MonitorFormats[] = {
    {0, ZemStr::MwAmbientLight},  {7, ZemStr::MwPcbVoltage},    {14, ZemStr::MwInternalTemp},
    {15, ZemStr::MwExternalTemp}, {24, ZemStr::MwExternalFan},  {25, ZemStr::MwInternalFan1},
    {26, ZemStr::MwInternalFan2}, {21, ZemStr::MwAnimationFan}, {22, ZemStr::MwGoboFan},
};
inline constexpr size_t kBrv1200WashMonitorFormats = 7;

// What the Brevidor 1200 family's windows share: the picture, the 0-1036 trigger, scene times in seconds
// and the Monitor texts (the Wash keeps the first kBrv1200WashMonitorFormats).
constexpr WindowTables Brv1200Tables() {
  WindowTables t;
  t.picture = FixtureOutline::MovingHead;
  t.sensorTrigger = &kTrigger1036;
  t.sceneTimesInSeconds = true;
  t.monitorFormats = kBrv1200MonitorFormats;
  return t;
}

}  // namespace colormix::grobel
