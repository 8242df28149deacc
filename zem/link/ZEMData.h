// The fixture record, the request frames and the flags shared by the link,
// the fixture model and the windows. All of it is touched on the GUI thread only.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace ui {
class Timer;
}
class TZemDeviceClass;
class TUSByolb1;

inline constexpr size_t kRequestBufferSize = 52;  // 37 bytes on the wire, 38..51 stay zero
inline constexpr size_t kFixtureDataSize = 394;
inline constexpr size_t kLogBlockSize = 51;

using RequestFrame = std::array<uint8_t, kRequestBufferSize>;

// Request frame layout.
namespace frame {
inline constexpr size_t kStart = 0;       // 0xC8
inline constexpr size_t kTag = 1;         // "DPL" (3 bytes)
inline constexpr size_t kCommand = 4;     // command letter
inline constexpr size_t kSubCommand = 5;  // sub-command letter
inline constexpr size_t kDirection = 6;   // 'V' read, 'W' write, 'F' echoed write
inline constexpr size_t kSerial = 7;      // 15 bytes; all zero addresses any fixture
inline constexpr size_t kSerialSize = 15;
inline constexpr size_t kPayload = 22;  // 15 bytes
inline constexpr size_t kPayloadSize = 15;
inline constexpr size_t kWireLength = 37;
inline constexpr uint8_t kStartByte = 0xC8;
}  // namespace frame

// FixtureData group offsets (first byte of each group).
namespace fd {
inline constexpr size_t kSerial = 0;                // 15
inline constexpr size_t kFixtureInfo = 15;          // 15
inline constexpr size_t kZemVersion = 30;           // 4
inline constexpr size_t kLampStatus = 34;           // 15
inline constexpr size_t kSystemCalibration = 49;    // 8
inline constexpr size_t kErrorStatus = 57;          // 15
inline constexpr size_t kPersonality = 72;          // 14
inline constexpr size_t kEEPromWords = 89;          // 8
inline constexpr size_t kEffectCalibration = 97;    // 15
inline constexpr size_t kStandAloneSettings = 112;  // 6
inline constexpr size_t kTimerSettings = 118;       // 10
inline constexpr size_t kSensorTrigger = 128;       // 4
inline constexpr size_t kStandAloneProgram = 132;   // 30
inline constexpr size_t kHardwareMonitor = 162;     // 4 x 15
inline constexpr size_t kSystemLogEntry = 222;      // 15
inline constexpr size_t kTempValues = 237;          // 8
inline constexpr size_t kLedData = 245;             // 5
inline constexpr size_t kPCBSerial = 250;           // 15
inline constexpr size_t kModelScratch = 265;        // 17
inline constexpr size_t kSubdevice = 282;           // 1
inline constexpr size_t kSubdeviceCount = 283;      // 1
inline constexpr size_t kLedDescription = 284;      // 5 x 15
inline constexpr size_t kLedDescriptionData = 359;  // 5 x 7
static_assert(kLedDescriptionData + 5 * 7 == kFixtureDataSize);
}  // namespace fd

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
