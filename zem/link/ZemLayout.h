// Byte layouts of the fixture link, each written once: the request and reply frames, the service frame,
// the long system-log block and the fixture record (FixtureData) with the fields inside its groups.
// Every area is an offset and a size; docs/LAYOUTS.md draws the same tables.
#pragma once

#include <cstddef>
#include <cstdint>

// ---- Request frame ("Duplex" frame) --------------------------------------------------------------------
// 37 bytes on the wire, built in a 52-byte buffer whose bytes 37..51 stay zero.
namespace frame {
inline constexpr size_t kStart = 0;  // 0xC8
inline constexpr size_t kTag = 1;    // "DPL" ("DPT" for the long system-log read)
inline constexpr size_t kTagSize = 3;
inline constexpr size_t kCommand = 4;     // command letter
inline constexpr size_t kSubCommand = 5;  // sub-command letter
inline constexpr size_t kDirection = 6;   // 'V' read, 'W' write, 'F' echoed write
inline constexpr size_t kSerial = 7;      // all zero addresses any fixture
inline constexpr size_t kSerialSize = 15;
inline constexpr size_t kPayload = 22;
inline constexpr size_t kPayloadSize = 15;
// The length of every frame on the wire: requests, ordinary replies and service frames.
inline constexpr size_t kWireLength = 37;
inline constexpr uint8_t kStartByte = 0xC8;
static_assert(kTag + kTagSize == kCommand && kSerial + kSerialSize == kPayload);
static_assert(kPayload + kPayloadSize == kWireLength);
}  // namespace frame

inline constexpr size_t kRequestBufferSize = 52;

// ---- Reply buffer ----------------------------------------------------------------------------------------
// Byte 0 is the box's length byte; the fixture's reply frame (request layout) follows from byte 1.
inline constexpr size_t kReplyFrame = 1;
inline constexpr size_t kReplyBufferSize = 53;
// Payload byte k of a reply sits at buffer byte kReplyPayload + k.
inline constexpr size_t kReplyPayload = kReplyFrame + frame::kPayload;
// The stand-alone program read asks for (size code + this) reply bytes.
inline constexpr size_t kStandAloneReplyExtra = 24;

// ---- Long system-log block (LogBlock) --------------------------------------------------------------------
// Byte 0 the box's length byte, then the 50-byte "DPT" reply frame. Positions count in the block.
namespace longlog {
inline constexpr size_t kReplyLength = 50;
inline constexpr size_t kCount = 10;  // 16-bit entry count
inline constexpr size_t kValid = 12;
inline constexpr size_t kTimeStamp = 13;  // 4 bytes
inline constexpr size_t kType = 17;       // 16-bit entry type
inline constexpr size_t kText = 19;
inline constexpr size_t kTextMax = 32;
}  // namespace longlog
inline constexpr size_t kLogBlockSize = kReplyFrame + longlog::kReplyLength;
static_assert(longlog::kText + longlog::kTextMax == kLogBlockSize);

// ---- Payloads of particular requests --------------------------------------------------------------------
// Offsets inside the payload (p[k] = frame byte frame::kPayload + k; a reply's r[k] likewise). 16-bit values
// in payloads are little-endian.
// EEPROM read and write ('E','e' / 'E','E'): p[0] the word count, p[1..2] the address, p[3..10] the words.
namespace eepromframe {
inline constexpr size_t kCount = 0;
inline constexpr size_t kAddress = 1;
inline constexpr size_t kWords = 3;
}  // namespace eepromframe
// Sub-function requests ('X','p' and 'x','p'): p[0..1] the function word, then its arguments.
namespace functionframe {
inline constexpr size_t kFunction = 0;
inline constexpr size_t kArguments = 2;    // 16-bit words for the PWM functions
inline constexpr size_t kLedSelector = 2;  // LED index x kLedStride for the LED description reads
inline constexpr int kLedStride = 16;
}  // namespace functionframe

// ---- Service frame ---------------------------------------------------------------------------------------
// A one-way frame of frame::kWireLength bytes sent with SendMP2Command; 16-bit values high byte first.
namespace svc {
inline constexpr size_t kCode = 0;
inline constexpr size_t kTypeCode = 1;  // 5 characters: family code, then variant at byte 5
inline constexpr size_t kFunction = 11;
inline constexpr size_t kValue = 12;  // 16-bit, big-endian
inline constexpr size_t kPage = 14;
inline constexpr size_t kArgument = 15;
inline constexpr size_t kExtra = 16;  // 16-bit, big-endian
inline constexpr uint8_t kCodeService = 0x8B;
inline constexpr uint8_t kCodeExtended = 0xED;
inline constexpr int kArgumentDone = 44;  // argument of the closing frame of a command
static_assert(kExtra + 2 <= frame::kWireLength);
}  // namespace svc

// ---- The fixture record (FixtureData) ------------------------------------------------------------------
// Each group is the payload of one fixture reply or the source of one write payload, copied byte for byte.
// 16-bit values inside the groups keep the fixture's order: low byte first.
namespace fd {
inline constexpr size_t kSerial = 0;
inline constexpr size_t kSerialSize = 15;
inline constexpr size_t kFixtureInfo = 15;
inline constexpr size_t kFixtureInfoSize = 15;
inline constexpr size_t kZemVersion = 30;
inline constexpr size_t kZemVersionSize = 4;
inline constexpr size_t kLampStatus = 34;
inline constexpr size_t kLampStatusSize = 15;
inline constexpr size_t kSystemCalibration = 49;
inline constexpr size_t kSystemCalibrationSize = 8;
inline constexpr size_t kErrorStatus = 57;
inline constexpr size_t kErrorStatusSize = 15;
inline constexpr size_t kPersonality = 72;
inline constexpr size_t kPersonalitySize = 14;
inline constexpr size_t kUnused = 86;  // filled by no operation
inline constexpr size_t kUnusedSize = 3;
inline constexpr size_t kEEPromWords = 89;  // four 16-bit words
inline constexpr size_t kEEPromWordsSize = 8;
inline constexpr size_t kEEPromWordCount = 4;
inline constexpr size_t kEffectCalibration = 97;
inline constexpr size_t kEffectCalibrationSize = 15;
inline constexpr size_t kStandAloneSettings = 112;
inline constexpr size_t kStandAloneSettingsSize = 6;
inline constexpr size_t kTimerSettings = 118;
inline constexpr size_t kTimerSettingsSize = 10;
inline constexpr size_t kSensorTrigger = 128;
inline constexpr size_t kSensorTriggerSize = 4;
inline constexpr size_t kStandAloneProgram = 132;  // reply frame bytes 22..51
inline constexpr size_t kStandAloneProgramSize = 30;
inline constexpr size_t kHardwareMonitor = 162;  // page p at kHardwareMonitor + kHardwareMonitorPageSize x p
inline constexpr size_t kHardwareMonitorPageSize = 15;
inline constexpr size_t kHardwareMonitorPages = 4;
inline constexpr size_t kSystemLogEntry = 222;
inline constexpr size_t kSystemLogEntrySize = 15;
inline constexpr size_t kTempValues = 237;
inline constexpr size_t kTempValuesSize = 8;
inline constexpr size_t kLedData = 245;
inline constexpr size_t kLedDataSize = 5;
inline constexpr size_t kPCBSerial = 250;
inline constexpr size_t kPCBSerialSize = 15;
inline constexpr size_t kModelScratch = 265;  // one model keeps copies of EEPROM words here
inline constexpr size_t kModelScratchSize = 17;
inline constexpr size_t kSubdevice = 282;       // selected sub-device index
inline constexpr size_t kSubdeviceCount = 283;  // highest sub-device index (segment count)
inline constexpr size_t kLedCount = 5;
inline constexpr size_t kLedDescription = 284;  // LED i at kLedDescription + kLedDescriptionSize x i
inline constexpr size_t kLedDescriptionSize = 15;
inline constexpr size_t kLedDescriptionData =
    359;  // LED i at kLedDescriptionData + kLedDescriptionDataSize x i
inline constexpr size_t kLedDescriptionDataSize = 7;
inline constexpr size_t kSize = 394;

// The groups follow each other without a gap and fill the record exactly.
static_assert(kSerial + kSerialSize == kFixtureInfo);
static_assert(kFixtureInfo + kFixtureInfoSize == kZemVersion);
static_assert(kZemVersion + kZemVersionSize == kLampStatus);
static_assert(kLampStatus + kLampStatusSize == kSystemCalibration);
static_assert(kSystemCalibration + kSystemCalibrationSize == kErrorStatus);
static_assert(kErrorStatus + kErrorStatusSize == kPersonality);
static_assert(kPersonality + kPersonalitySize == kUnused);
static_assert(kUnused + kUnusedSize == kEEPromWords);
static_assert(kEEPromWords + kEEPromWordsSize == kEffectCalibration &&
              kEEPromWordsSize == 2 * kEEPromWordCount);
static_assert(kEffectCalibration + kEffectCalibrationSize == kStandAloneSettings);
static_assert(kStandAloneSettings + kStandAloneSettingsSize == kTimerSettings);
static_assert(kTimerSettings + kTimerSettingsSize == kSensorTrigger);
static_assert(kSensorTrigger + kSensorTriggerSize == kStandAloneProgram);
static_assert(kStandAloneProgram + kStandAloneProgramSize == kHardwareMonitor);
static_assert(kHardwareMonitor + kHardwareMonitorPageSize * kHardwareMonitorPages == kSystemLogEntry);
static_assert(kSystemLogEntry + kSystemLogEntrySize == kTempValues);
static_assert(kTempValues + kTempValuesSize == kLedData);
static_assert(kLedData + kLedDataSize == kPCBSerial);
static_assert(kPCBSerial + kPCBSerialSize == kModelScratch);
static_assert(kModelScratch + kModelScratchSize == kSubdevice && kSubdevice + 1 == kSubdeviceCount);
static_assert(kSubdeviceCount + 1 == kLedDescription);
static_assert(kLedDescription + kLedDescriptionSize * kLedCount == kLedDescriptionData);
static_assert(kLedDescriptionData + kLedDescriptionDataSize * kLedCount == kSize);
// What a reply can carry into a group: a payload, or for the stand-alone program the frame's tail.
static_assert(kSerialSize == frame::kSerialSize && kPCBSerialSize <= frame::kPayloadSize);
static_assert(kReplyPayload + kStandAloneProgramSize == kReplyBufferSize);
static_assert(eepromframe::kWords + kEEPromWordsSize <= frame::kPayloadSize);
}  // namespace fd
inline constexpr size_t kFixtureDataSize = fd::kSize;

// ---- Fields inside the groups of FixtureData ----------------------------------------------------------
// Offsets counted from the group's first byte (fd::k...).
namespace fdarea {
namespace info {
inline constexpr size_t kTypeCode = 0;  // 5 characters: family code (4) and variant (1)
inline constexpr size_t kTypeCodeSize = 5;
inline constexpr size_t kSubType = 5;
inline constexpr size_t kMainMajor = 6;
inline constexpr size_t kMainMinor = 7;
inline constexpr size_t kDisplayMajor = 8;
inline constexpr size_t kDisplayMinor = 9;
inline constexpr size_t kMainBuild = 13;
inline constexpr size_t kDisplayBuild = 14;
}  // namespace info

namespace lamp {
inline constexpr size_t kState = 0;
inline constexpr size_t kTotalPowerOnHours = 1;  // 16-bit, as are the five counters after it
inline constexpr size_t kTotalLampOnHours = 3;
inline constexpr size_t kTotalLampStrikes = 5;
inline constexpr size_t kResettablePowerOnHours = 7;
inline constexpr size_t kResettableLampOnHours = 9;
inline constexpr size_t kResettableLampStrikes = 11;
inline constexpr size_t kLightSensor = 13;  // 16-bit
}  // namespace lamp

namespace clk {
inline constexpr size_t kYear = 1;
inline constexpr size_t kMonth = 2;
inline constexpr size_t kDate = 3;
inline constexpr size_t kHour = 5;
inline constexpr size_t kMinute = 6;
inline constexpr size_t kSeconds = 7;  // cleared with every new minute
}  // namespace clk

namespace pers {
inline constexpr size_t kDmxAddress = 0;  // 16-bit
inline constexpr size_t kDmxProtocol = 2;
inline constexpr size_t kMode = 3;
inline constexpr size_t kFlags4 = 4;
inline constexpr size_t kFlags5 = 5;
inline constexpr size_t kFlags6 = 6;
inline constexpr size_t kFlags8 = 8;
inline constexpr size_t kFlags9 = 9;
inline constexpr size_t kWarningLevel = 10;  // 16-bit
inline constexpr size_t kDmxPixels = 12;
inline constexpr size_t kColorGamut = 13;
}  // namespace pers

namespace cal {
inline constexpr size_t kEffect = 0;  // the effect index the request carries
inline constexpr size_t kCyan = 1;
inline constexpr size_t kYellow = 2;
inline constexpr size_t kMagenta = 3;
inline constexpr size_t kDimmer = 4;
}  // namespace cal

namespace sa {
inline constexpr size_t kMode = 0;
inline constexpr size_t kMasterSlave = 1;
inline constexpr size_t kAutoProgram = 2;
inline constexpr size_t kSequence = 3;
inline constexpr size_t kDynamicWait = 4;  // LED strip: list index of a dynamic sequence's wait time
inline constexpr size_t kDynamicFade = 5;  // LED strip: list index of its fade time
}  // namespace sa

namespace tmr {
inline constexpr size_t kMode = 1;
inline constexpr size_t kTimer1StartHour = 2;
inline constexpr size_t kTimer1StartMinute = 3;
inline constexpr size_t kTimer1StopHour = 4;
inline constexpr size_t kTimer1StopMinute = 5;
inline constexpr size_t kTimer2StartHour = 6;
inline constexpr size_t kTimer2StartMinute = 7;
inline constexpr size_t kTimer2StopHour = 8;
inline constexpr size_t kTimer2StopMinute = 9;
}  // namespace tmr

namespace sensor {
inline constexpr size_t kLevel = 0;
inline constexpr size_t kWord = 1;     // 16-bit
inline constexpr size_t kTrigger = 3;  // the request's trigger byte; the reply's re-arm state
inline constexpr int kRearm = 255;
}  // namespace sensor

// The stand-alone program group: the scene count, the index (from 0) of the scene being edited, then
// that scene's record, whose bytes each model lays out its own way.
namespace program {
inline constexpr size_t kSceneCount = 0;
inline constexpr size_t kSceneIndex = 1;
inline constexpr size_t kScene = 2;
inline constexpr size_t kSceneSize = fd::kStandAloneProgramSize - kScene;
}  // namespace program

// Temperatures: 16-bit values; the head's, then the base's (the windows show the low byte in degrees).
namespace temps {
inline constexpr size_t kHead = 0;
inline constexpr size_t kBase = 2;
inline constexpr size_t kLamp = 4;
}  // namespace temps

// An LED description (fd::kLedDescription + kLedDescriptionSize x LED): the channel's colour and name.
namespace led {
inline constexpr size_t kRed = 3;
inline constexpr size_t kGreen = 4;
inline constexpr size_t kBlue = 5;
inline constexpr size_t kName = 6;  // 8-bit characters, ending early at a zero byte
inline constexpr size_t kNameSize = 9;
static_assert(kName + kNameSize == fd::kLedDescriptionSize);
// In the LED's description data (fd::kLedDescriptionData + kLedDescriptionDataSize x LED): non-zero when
// the channel is shown.
inline constexpr size_t kShown = 6;
static_assert(kShown < fd::kLedDescriptionDataSize);
}  // namespace led

namespace logentry {
inline constexpr size_t kCount = 2;  // 16-bit
inline constexpr size_t kValid = 4;
inline constexpr size_t kTimeStamp = 5;  // 4 bytes
}  // namespace logentry

// Hardware monitor page: byte 0 the page number, channel n (1..7) a 16-bit value at bytes 2n-1 and 2n.
namespace monitor {
inline constexpr size_t kChannels = 7;
}  // namespace monitor
}  // namespace fdarea
