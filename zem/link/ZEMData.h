// The fixture record, the request frames and the flags shared by the link,
// the fixture model and the windows. All of it is touched on the GUI thread only.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "zem/link/ZemLayout.h"

namespace ui {
class Timer;
}
class TZemDeviceClass;
class TUSByolb1;

using RequestFrame = std::array<uint8_t, kRequestBufferSize>;

extern RequestFrame DuplexTemplate;
extern RequestFrame DuplexRequest;
extern std::array<uint8_t, kFixtureDataSize> FixtureData;
extern std::array<uint8_t, kLogBlockSize> LogBlock;
extern std::string ProgramFolder;

extern TZemDeviceClass* Device;
extern TUSByolb1* InterfaceBox;
extern bool TerminateFlag;
extern bool WindowClosed;
extern bool DownloadAbort;
extern bool DemoMode;
extern bool MP2Idle;
extern ui::Timer* ActiveWriteBackTimer;

// Colours are 0x00BBGGRR.
inline constexpr uint32_t kColorRed = 0x0000FF;
inline constexpr uint32_t kColorLime = 0x00FF00;
inline constexpr uint32_t kColorYellow = 0x00FFFF;
inline constexpr std::array<uint32_t, 2> LedColorsHardware = {kColorRed, kColorLime};
inline constexpr std::array<uint32_t, 2> LedColorsConnect = {kColorRed, kColorYellow};

// Start-up state: template set, record zeroed, flags cleared, program folder found.
// Does not free Device or InterfaceBox; tests call it between cases after releasing those.
void InitZemData();
