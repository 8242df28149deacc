// Table rows the colour-mixing windows share: the standard faders, the random-colour list, the on/off
// lists, the sensor-trigger ranges and the open/closed adjustment rows every model with AdjustAllOpen ...
// AdjustYellowClosed offers.
#pragma once

#include "zem/modelwindows/ColorMixingForm.h"

namespace colormix {

// Caption colours of the faders.
inline constexpr ui::Color kWhiteCaption = 0xFFFFFF;
inline constexpr ui::Color kCyanCaption = 0xFFFF00;
inline constexpr ui::Color kMagentaCaption = 0xFF00FF;
inline constexpr ui::Color kYellowCaption = 0x00FFFF;

// Picture indexes in ImageList1.
inline constexpr int kCyanImage = 0;
inline constexpr int kMagentaImage = 1;
inline constexpr int kYellowImage = 2;
inline constexpr int kZoomImage = 3;
inline constexpr int kIntensityImage = 4;

// Bits of the live controls; a window gives its other controls bits of their own.
inline constexpr uint32_t kIntensityBit = 0x01;
inline constexpr uint32_t kCyanBit = 0x02;
inline constexpr uint32_t kMagentaBit = 0x04;
inline constexpr uint32_t kYellowBit = 0x08;

constexpr FaderSpec IntensityFader(size_t sceneByte, bool inverted = false) {
  return {"frIntensity",
          ZemStr::MwIntensity,
          ZemStr::MwIntensityHint,
          kIntensityImage,
          kWhiteCaption,
          inverted,
          {kIntensityBit, &TZemFixture::SetLiveIntensity, sceneByte}};
}
constexpr FaderSpec CyanFader(size_t sceneByte) {
  return {"frCyan",
          ZemStr::MwCyan,
          ZemStr::MwCyanHint,
          kCyanImage,
          kCyanCaption,
          false,
          {kCyanBit, &TZemFixture::SetLiveCyan, sceneByte}};
}
constexpr FaderSpec MagentaFader(size_t sceneByte) {
  return {"frMagenta",
          ZemStr::MwMagenta,
          ZemStr::MwMagentaHint,
          kMagentaImage,
          kMagentaCaption,
          false,
          {kMagentaBit, &TZemFixture::SetLiveMagenta, sceneByte}};
}
constexpr FaderSpec YellowFader(size_t sceneByte) {
  return {"frYellow",
          ZemStr::MwYellow,
          ZemStr::MwYellowHint,
          kYellowImage,
          kYellowCaption,
          false,
          {kYellowBit, &TZemFixture::SetLiveYellow, sceneByte}};
}
constexpr FaderSpec ZoomFader(uint32_t bit, size_t sceneByte, bool inverted) {
  return {"frZoom",
          ZemStr::MwZoom,
          ZemStr::MwZoomHint,
          kZoomImage,
          kWhiteCaption,
          inverted,
          {bit, &TZemFixture::SetLiveZoom, sceneByte}};
}

// Focus: 8-bit, or with maxValue 65535 a 16-bit word.
constexpr FaderSpec FocusFader(uint32_t bit, size_t sceneByte, int maxValue = 255) {
  FaderSpec f{"frFocus",
              ZemStr::MwFocus,
              ZemStr::MwFocusHint,
              -1,
              kWhiteCaption,
              false,
              {bit, &TZemFixture::SetLiveFocus, sceneByte}};
  f.maxValue = maxValue;
  return f;
}

// The random-colour list; the item index is what the fixture takes.
inline constexpr ZemStr kRandomColorItems[] = {
    ZemStr::FfOff,
    ZemStr::MwCmySlow,
    ZemStr::MwCmyMedium,
    ZemStr::MwCmyFast,
    ZemStr::MwMagentaYellowSlow,
    ZemStr::MwMagentaYellowMedium,
    ZemStr::MwMagentaYellowFast,
    ZemStr::MwCyanMagentaSlow,
    ZemStr::MwCyanMagentaMedium,
    ZemStr::MwCyanMagentaFast,
    ZemStr::MwCyanYellowSlow,
    ZemStr::MwCyanYellowMedium,
    ZemStr::MwCyanYellowFast,
};

// The random-colour choice: its scene byte shown through the model's bands, its item index sent.
constexpr ChoiceSpec RandomColorChoice(int (*byteToIndex)(int), size_t sceneByte) {
  return {"lRandomColor",
          "cbRandomColor",
          ZemStr::MwRandomColors,
          ZemStr::MwRandomColorsHint,
          kRandomColorItems,
          byteToIndex,
          {0x10, &TZemFixture::SetLiveRandomColor, sceneByte}};
}

// Lists whose index 0 is "On" (the fixture stores "on" as 0) and the usual "Off", "On".
inline constexpr ZemStr kOnOffItems[] = {ZemStr::FfOn, ZemStr::FfOff};
inline constexpr ZemStr kOffOnItems[] = {ZemStr::FfOff, ZemStr::FfOn};

inline constexpr SensorTriggerSpec kTrigger255 = {1, 255, 3, ZemStr::MwTriggerLevel255};
inline constexpr SensorTriggerSpec kTrigger1036 = {0, 1036, 4, ZemStr::MwTriggerLevel1036};

// The open/closed adjustment rows of a model class with AdjustAllOpen ... AdjustYellowClosed.
template <class Model>
struct OpenClosedRows {
  static constexpr AdjustButtonSpec all[] = {
      {"sbAllOpen", ZemStr::MwAllOpen, ZemStr::MwAllOpenHint, &Adjust<Model, &Model::AdjustAllOpen>},
      {"sbAllClosed", ZemStr::MwAllClosed, ZemStr::MwAllClosedHint, &Adjust<Model, &Model::AdjustAllClosed>},
  };
  static constexpr AdjustButtonSpec dimmer[] = {
      {"sbDimmerOpen", ZemStr::MwOpen, ZemStr::MwOpenHint, &Adjust<Model, &Model::AdjustDimmerOpen>},
      {"sbDimmerClosed", ZemStr::MwClosed, ZemStr::MwClosedHint, &Adjust<Model, &Model::AdjustDimmerClosed>},
  };
  static constexpr AdjustButtonSpec cyan[] = {
      {"sbCyanOpen", ZemStr::MwOpen, ZemStr::MwOpenHint, &Adjust<Model, &Model::AdjustCyanOpen>},
      {"sbCyanClosed", ZemStr::MwClosed, ZemStr::MwClosedHint, &Adjust<Model, &Model::AdjustCyanClosed>},
  };
  static constexpr AdjustButtonSpec magenta[] = {
      {"sbMagentaOpen", ZemStr::MwOpen, ZemStr::MwOpenHint, &Adjust<Model, &Model::AdjustMagentaOpen>},
      {"sbMagentaClosed", ZemStr::MwClosed, ZemStr::MwClosedHint,
       &Adjust<Model, &Model::AdjustMagentaClosed>},
  };
  static constexpr AdjustButtonSpec yellow[] = {
      {"sbYellowOpen", ZemStr::MwOpen, ZemStr::MwOpenHint, &Adjust<Model, &Model::AdjustYellowOpen>},
      {"sbYellowClosed", ZemStr::MwClosed, ZemStr::MwClosedHint, &Adjust<Model, &Model::AdjustYellowClosed>},
  };
  // All effects, dimmer, cyan, magenta and yellow.
  static constexpr AdjustRowSpec rows[] = {
      {"pAdjAll", ZemStr::MwAllEffects, all},      {"pAdjDimmer", ZemStr::MwRowDimmer, dimmer},
      {"pAdjCyan", ZemStr::MwRowCyan, cyan},       {"pAdjMagenta", ZemStr::MwRowMagenta, magenta},
      {"pAdjYellow", ZemStr::MwRowYellow, yellow},
  };
};

}  // namespace colormix
