#include "zem/link/ZemDevice.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

#include "platform/sys/byte_order.h"
#include "platform/sys/clock.h"
#include "zem/link/Debug.h"
#include "zem/link/LinkReport.h"
#include "zem/link/USByolb1.h"
#include "zem/link/ZemUtils.h"

namespace {

// ---- Deferred release -------------------------------------------------------------------------------
// A bad reply replaces Device and InterfaceBox while an operation of the old device is still on the
// stack (and message processing inside an operation may start further operations). Replaced objects
// are parked here and freed once no operation is running any more.

int g_operationDepth = 0;
std::vector<std::unique_ptr<TZemDeviceClass>> g_retiredDevices;
std::vector<std::unique_ptr<TUSByolb1>> g_retiredBoxes;

void releaseRetired() {
  while (g_operationDepth == 0 && (!g_retiredDevices.empty() || !g_retiredBoxes.empty())) {
    auto devices = std::move(g_retiredDevices);
    auto boxes = std::move(g_retiredBoxes);
    g_retiredDevices.clear();
    g_retiredBoxes.clear();
    devices.clear();  // devices before boxes, the order in which the program frees them
    boxes.clear();
  }
}

// Runs an action when the scope ends, also by an exception.
class ScopeExit {
 public:
  explicit ScopeExit(std::function<void()> action) : action_(std::move(action)) {}
  ~ScopeExit() {
    if (action_) action_();
  }
  ScopeExit(const ScopeExit&) = delete;
  ScopeExit& operator=(const ScopeExit&) = delete;

 private:
  std::function<void()> action_;
};

class OperationScope {
 public:
  OperationScope() { ++g_operationDepth; }
  ~OperationScope() {
    if (--g_operationDepth == 0) releaseRetired();
  }
  OperationScope(const OperationScope&) = delete;
  OperationScope& operator=(const OperationScope&) = delete;
};

void retire(TZemDeviceClass* device) {
  if (!device) return;
  if (auto* usb = dynamic_cast<TZemDeviceUSBYOLB*>(device)) usb->Detach();
  g_retiredDevices.emplace_back(device);
  releaseRetired();
}

void retire(TUSByolb1* box) {
  if (!box) return;
  g_retiredBoxes.emplace_back(box);
  releaseRetired();
}

// Closes the device's interface; a failure to close is logged, never raised.
void closeQuietly(TZemDeviceClass* device) {
  if (!device) return;
  try {
    device->Close();
  } catch (const std::exception& e) {
    DebugLogLine(kLogRed, e.what());
  }
}

// ---- Frames -------------------------------------------------------------------------------------------

// Function words of the 'X','p' and 'x','p' requests.
constexpr int kPwmSetFunction = 1;
constexpr int kPwmLatchFunction = 2;
constexpr int kLedDescriptionDataFunction = 7;
constexpr int kLedDescriptionFunction = 8;

TUSByolb1* activeBox() {
  return (InterfaceBox && InterfaceBox->Opened) ? InterfaceBox : nullptr;
}

RequestFrame makeRequest(bool anyFixture, char command, char subCommand, char direction = 'V') {
  RequestFrame request = anyFixture ? DuplexTemplate : DuplexRequest;
  request[frame::kCommand] = static_cast<uint8_t>(command);
  request[frame::kSubCommand] = static_cast<uint8_t>(subCommand);
  request[frame::kDirection] = static_cast<uint8_t>(direction);
  return request;
}

void putWord(RequestFrame& request, size_t payloadIndex, int value) {
  sys::putLE16(request, frame::kPayload + payloadIndex, static_cast<uint16_t>(value));
}

void payloadFromRecord(RequestFrame& request, size_t group, size_t size) {
  std::copy_n(FixtureData.begin() + group, size, request.begin() + frame::kPayload);
}

void recordFromReply(const ReplyBuffer& reply, size_t group, size_t size, size_t replyOffset = 0) {
  std::copy_n(reply.begin() + kReplyPayload + replyOffset, size, FixtureData.begin() + group);
}

// The answering fixture's serial into the request's serial bytes and the record's.
void storeReplySerial(const ReplyBuffer& reply) {
  const auto serial =
      std::span<const uint8_t>(reply).subspan(kReplyFrame + frame::kSerial, frame::kSerialSize);
  std::copy(serial.begin(), serial.end(), DuplexRequest.begin() + frame::kSerial);
  std::copy(serial.begin(), serial.end(), FixtureData.begin() + fd::kSerial);
}

bool inRange(int value, int low, int high) {
  return value >= low && value <= high;
}

// One duplex exchange through the current box; no box (or a box that is not open) fails without a send.
int transfer(const RequestFrame& request, std::span<uint8_t> reply, size_t replyLength = frame::kWireLength) {
  std::fill(reply.begin(), reply.end(), 0);
  TUSByolb1* box = activeBox();
  if (!box) return FT_DEVICE_NOT_OPENED;
  return box->DuplexTransfer(request, static_cast<int>(frame::kWireLength), reply,
                             static_cast<int>(replyLength), kFirstByteTimeoutMs);
}

// One-way frame of `length` bytes through the current box; the error text of the box comes back too.
int sendFrame(std::span<const uint8_t> data, size_t length, std::string& errorText) {
  TUSByolb1* box = activeBox();
  if (!box) {
    errorText.clear();
    return FT_DEVICE_NOT_OPENED;
  }
  const int code = box->SendFrame(data, static_cast<int>(length));
  errorText = box->LastErrorText;
  return code;
}

void showBoxError(const std::string& literal, const std::string& errorText) {
  LinkReportSink().ShowError(literal + "\n" + errorText);
}

// Reply frame byte `offset` (the buffer's byte 0 is the box's length byte).
uint8_t replyByte(std::span<const uint8_t> reply, size_t offset) {
  return reply[kReplyFrame + offset];
}

bool tagIs(std::span<const uint8_t> reply, const char* tag) {
  for (size_t k = 0; k < frame::kTagSize; ++k) {
    if (replyByte(reply, frame::kTag + k) != static_cast<uint8_t>(tag[k])) return false;
  }
  return true;
}

// The checks shared by the ordinary reply and the long log reply.
bool checkFrame(std::span<const uint8_t> request, std::span<const uint8_t> reply, int expectedLength,
                const char* tag, bool checkSerial, const char* echoFailText) {
  if (request.size() < frame::kPayload || reply.size() < kReplyPayload) return false;
  if (reply[0] != expectedLength) {
    DebugLogLine(kLogBlack, FormatText("Duplex Reply Size Error %d", reply[0]));
    return false;
  }
  if (replyByte(reply, frame::kStart) != frame::kStartByte) {
    DebugLogLine(kLogRed, FormatText("Duplex startbyte fail %d", replyByte(reply, frame::kStart)));
    return false;
  }
  if (!tagIs(reply, tag)) {
    DebugLogLine(kLogRed, std::string("Duplex ") + tag + " Check fail");
    return false;
  }
  // A request whose serial is empty text addresses any fixture and accepts any serial.
  const auto replySerial = reply.subspan(kReplyFrame + frame::kSerial, frame::kSerialSize);
  if (checkSerial && request[frame::kSerial] != 0 &&
      !std::equal(replySerial.begin(), replySerial.end(), request.begin() + frame::kSerial)) {
    DebugLogLine(kLogRed,
                 "Duplex Serial# check fail " + BufferToShortString(replySerial, frame::kSerialSize));
    return false;
  }
  if (replyByte(reply, frame::kCommand) != request[frame::kCommand] ||
      replyByte(reply, frame::kSubCommand) != request[frame::kSubCommand]) {
    DebugLogLine(kLogRed, echoFailText);
    return false;
  }
  return true;
}

}  // namespace

// ---- Factory, checks, reconnect -------------------------------------------------------------------------

bool CreateDevice(TZemDeviceClass*& device) {
  uint32_t count = 0;
  GetFtdiDeviceCount(count);
  if (count > 0) {
    device = new TZemDeviceUSBYOLB();
    retire(InterfaceBox);
    InterfaceBox = new TUSByolb1();
  } else {
    device = new TZEMDeviceNone();
  }
  return !device->IsDemo();
}

bool CheckReplySize(std::span<const uint8_t> request, std::span<const uint8_t> reply, int expectedLength) {
  if (checkFrame(request, reply, expectedLength, "DPL", true, "Duplex Command value check fail (1)"))
    return true;
  ReconnectDevice();
  return false;
}

bool CheckReply(std::span<const uint8_t> request, std::span<const uint8_t> reply) {
  return CheckReplySize(request, reply, static_cast<int>(frame::kWireLength));
}

void ReconnectDevice() {
  OperationScope scope;
  FreeDevice();

  TZemDeviceClass* created = nullptr;
  // Real or demonstration device alike: the remaining attempts find out which.
  (void)CreateDevice(created);
  Device = created;
  try {
    created->Open();
  } catch (const EZEMDeviceError&) {
    LinkReportSink().ShowError("Error Accessing YOLB-1\rPlease re-connect YOLB-1 and restart application");
  } catch (const std::exception& e) {
    LinkReportSink().ShowError(std::string("Fatal Error.\n") + e.what());
  }
}

void FreeDevice() {
  OperationScope scope;
  TZemDeviceClass* device = Device;
  closeQuietly(device);
  Device = nullptr;
  TUSByolb1* box = InterfaceBox;
  InterfaceBox = nullptr;
  retire(device);
  retire(box);
}

// ---- Open, close, name --------------------------------------------------------------------------------

TZemDeviceUSBYOLB::~TZemDeviceUSBYOLB() {
  try {
    Close();
  } catch (const std::exception& e) {
    DebugLogLine(kLogRed, e.what());
  }
}

void TZemDeviceUSBYOLB::Open() {
  OperationScope scope;
  if (!InterfaceBox)
    throw EZEMDeviceError(FormatText("Error opening USB device (Code %d)", FT_DEVICE_NOT_FOUND));
  TUSByolb1* box = InterfaceBox;
  int code = box->Open(0);
  if (code != 0) throw EZEMDeviceError(FormatText("Error opening USB device (Code %d)", code));
  Opened = true;
  DelayNoMessages(250);
  code = box->GetVersion(BoxVersionMajor, BoxVersionMinor);
  if (code != 0) {
    BoxVersionMajor = 0;
    BoxVersionMinor = 0;
    throw EZEMDeviceError(FormatText("USB device Error, getversion (code %d)", code));
  }
  code = box->SendCommand68(29, 1);
  if (code != 0) showBoxError(FormatText("YOLB1 error 1(%d)", code), box->LastErrorText);
  // The box may have been replaced while the error box was up.
  if (InterfaceBox != box) return;
  code = box->SendCommandB4(6);
  if (code != 0) showBoxError(FormatText("YOLB1 error 2(%d)", code), box->LastErrorText);
}

void TZemDeviceUSBYOLB::Close() {
  if (!Opened) return;
  if (InterfaceBox) {
    const int code = InterfaceBox->Close();
    if (code != 0) throw EZEMDeviceError(FormatText("Error closing USB device (Code %d)", code));
  }
  Opened = false;
}

std::string TZemDeviceUSBYOLB::GetInterfaceName() {
  return FormatText("YOLB 1, ver %d.%d", BoxVersionMajor, BoxVersionMinor);
}

// ---- Patterns -----------------------------------------------------------------------------------------

namespace {

struct ReadSpec {
  std::string label;
  int attempts = 3;
  size_t replyLength = frame::kWireLength;
  bool bareFailLabel = false;                                  // the failure line is the label alone
  std::function<void(int code, RequestFrame&)> afterTransfer;  // optional
  std::function<void(const ReplyBuffer&)> store;               // optional
};

// A read whose reply payload goes into one record group.
ReadSpec groupRead(const char* label, size_t group, size_t size) {
  ReadSpec spec;
  spec.label = label;
  spec.store = [group, size](const ReplyBuffer& reply) { recordFromReply(reply, group, size); };
  return spec;
}

// R: up to N attempts of transfer and reply check; the first good reply is stored.
bool readPattern(RequestFrame& request, const ReadSpec& spec) {
  OperationScope scope;
  ReplyBuffer reply{};
  for (int attempt = 1; attempt <= spec.attempts; ++attempt) {
    const int code = transfer(request, reply, spec.replyLength);
    if (spec.afterTransfer) spec.afterTransfer(code, request);
    if (code != 0) continue;
    if (!CheckReplySize(request, reply, static_cast<int>(spec.replyLength))) continue;
    if (spec.store) spec.store(reply);
    DebugLogLine(kLogBlack, spec.label + FormatText(" %d:%d - Ok", attempt, spec.attempts));
    return true;
  }
  DebugLogLine(kLogRed, spec.bareFailLabel ? spec.label : spec.label + " Failed");
  return false;
}

// W: one-way send of the whole request buffer, then the read-back, whose result is the write's: the
// record then holds what the fixture really has, and a failed send has shown its error box.
bool writePattern(const RequestFrame& request, const char* name, const std::string& errorLiteral, int pauseMs,
                  const std::function<bool()>& readBack) {
  OperationScope scope;
  std::string errorText;
  const int code = sendFrame(request, request.size(), errorText);
  if (code != 0) {
    showBoxError(FormatText(errorLiteral.c_str(), code), errorText);
    Delay(2000);
  } else if (pauseMs > 0) {
    sys::sleepMs(static_cast<uint32_t>(pauseMs));
  }
  // Read back whatever the send did, so the record holds what the fixture really has.
  const bool ok = readBack();
  DebugLogLine(code == 0 && ok ? kLogBlack : kLogRed,
               std::string(name) + (code != 0 ? FormatText(" Failed (%d)", code)
                                    : ok      ? " - Ok"
                                              : " Failed"));
  return ok;
}

// E: one exchange; the fixture echoes the payload, which must match what was sent before it is stored.
bool echoPattern(const RequestFrame& request, const char* name, size_t group, size_t size, bool compare) {
  OperationScope scope;
  ReplyBuffer reply{};
  bool ok = false;
  if (transfer(request, reply) == 0 && CheckReply(request, reply)) {
    if (!compare) {
      ok = true;
    } else if (std::equal(reply.begin() + kReplyPayload, reply.begin() + kReplyPayload + size,
                          request.begin() + frame::kPayload)) {
      recordFromReply(reply, group, size);
      ok = true;
    }
  }
  DebugLogLine(ok ? kLogBlack : kLogRed, std::string(name) + (ok ? " - Ok" : " Failed"));
  return ok;
}

// T: one exchange whose reply is not examined but must have come: a reply that stopped short, or the
// box's status 0 after an abort, answers 0 with the buffer left empty.
bool plainTransfer(const RequestFrame& request) {
  OperationScope scope;
  ReplyBuffer reply{};
  return transfer(request, reply) == 0 && reply[0] != 0;
}

// R for one record group of the identified fixture.
bool readGroup(char command, char subCommand, const char* label, size_t group, size_t size,
               bool bareFailLabel = false) {
  RequestFrame request = makeRequest(false, command, subCommand);
  ReadSpec spec = groupRead(label, group, size);
  spec.bareFailLabel = bareFailLabel;
  return readPattern(request, spec);
}

// W for one record group: the group goes out whole, then its read twin reads it back.
bool writeGroup(char command, char subCommand, size_t group, size_t size, const char* name,
                const std::string& errorLiteral, int pauseMs, const std::function<bool()>& readBack) {
  RequestFrame request = makeRequest(false, command, subCommand, 'W');
  payloadFromRecord(request, group, size);
  return writePattern(request, name, errorLiteral, pauseMs, readBack);
}

// E for one record group whose echo must equal what was sent.
bool echoGroup(char command, char subCommand, size_t group, size_t size, const char* name) {
  RequestFrame request = makeRequest(false, command, subCommand, 'F');
  payloadFromRecord(request, group, size);
  return echoPattern(request, name, group, size, true);
}

}  // namespace

// ---- Identification -----------------------------------------------------------------------------------

bool TZemDeviceUSBYOLB::GetSerialNumber() {
  OperationScope scope;
  FixtureData.fill(0);
  // Back to addressing any fixture (the template with a zero serial), never to an all-zero frame.
  DuplexRequest = DuplexTemplate;
  RequestFrame request = makeRequest(true, 'S', 's');
  ReadSpec spec;
  spec.label = "Get Serial#";
  spec.store = [](const ReplyBuffer& reply) {
    DuplexRequest = DuplexTemplate;
    storeReplySerial(reply);
  };
  return readPattern(request, spec);
}

bool TZemDeviceUSBYOLB::RereadSerialNumber() {
  RequestFrame request = makeRequest(false, 'S', 's');
  ReadSpec spec;
  spec.label = "Reread Serial#";
  bool cleared = false;
  spec.afterTransfer = [&cleared](int code, RequestFrame& req) {
    if (code == 0 && !cleared) {
      std::fill_n(req.begin() + frame::kSerial, frame::kSerialSize, 0);
      cleared = true;
    }
  };
  spec.store = storeReplySerial;
  return readPattern(request, spec);
}

bool TZemDeviceUSBYOLB::GetFixtureInfo() {
  return readGroup('P', 'v', "Get Fixture Info", fd::kFixtureInfo, fd::kFixtureInfoSize);
}

bool TZemDeviceUSBYOLB::GetFixtureZemVersion() {
  RequestFrame request = makeRequest(false, 'P', 'm');
  ReadSpec spec = groupRead("Get Fixture Zem Version", fd::kZemVersion, fd::kZemVersionSize);
  spec.afterTransfer = [](int code, RequestFrame&) {
    if (code != 0) sys::sleepMs(100);
  };
  return readPattern(request, spec);
}

bool TZemDeviceUSBYOLB::GetDuplexErrorStatus() {
  return readGroup('P', 'e', "Get Duplex Error Status", fd::kErrorStatus, fd::kErrorStatusSize, true);
}

bool TZemDeviceUSBYOLB::GetDuplexTempValues() {
  return readGroup('P', 't', "Get Duplex Temp Values", fd::kTempValues, fd::kTempValuesSize, true);
}

// ---- Settings groups ----------------------------------------------------------------------------------

bool TZemDeviceUSBYOLB::GetLampStatus() {
  return readGroup('P', 'l', "Get Lamp Status", fd::kLampStatus, fd::kLampStatusSize);
}

bool TZemDeviceUSBYOLB::SetLampStatus() {
  return writeGroup('P', 'L', fd::kLampStatus, fd::kLampStatusSize, "Set Lamp Status", "YOLB1 error 3 (%d)",
                    0, [this] { return GetLampStatus(); });
}

bool TZemDeviceUSBYOLB::GetSystemCalibration() {
  return readGroup('P', 's', "Get System Calibration", fd::kSystemCalibration, fd::kSystemCalibrationSize);
}

bool TZemDeviceUSBYOLB::SetSystemCalibration() {
  return writeGroup('P', 'S', fd::kSystemCalibration, fd::kSystemCalibrationSize, "Set System Calibration",
                    "YOLB1 error 4 (%d)", 0, [this] { return GetSystemCalibration(); });
}

bool TZemDeviceUSBYOLB::GetEffectCalibration(int effect) {
  if (!inRange(effect, 0, 255)) return false;
  RequestFrame request = makeRequest(false, 'P', 'c');
  request[frame::kPayload + fdarea::cal::kEffect] = static_cast<uint8_t>(effect);
  ReadSpec spec = groupRead("Effect Calibration", fd::kEffectCalibration, fd::kEffectCalibrationSize);
  return readPattern(request, spec);
}

bool TZemDeviceUSBYOLB::SetEffectCalibration(int effect) {
  if (!inRange(effect, 0, 255)) return false;
  RequestFrame request = makeRequest(false, 'P', 'C', 'W');
  payloadFromRecord(request, fd::kEffectCalibration, fd::kEffectCalibrationSize);
  request[frame::kPayload + fdarea::cal::kEffect] = static_cast<uint8_t>(effect);
  return writePattern(request, "Set Effect Calibration", "YOLB1 error 6(%d)", 0,
                      [this, effect] { return GetEffectCalibration(effect); });
}

bool TZemDeviceUSBYOLB::GetPersonalities() {
  const bool ok = readGroup('P', 'p', "Get Personalities", fd::kPersonality, fd::kPersonalitySize);
  if (ok) {
    namespace pers = fdarea::pers;
    const auto p = std::span<const uint8_t>(FixtureData).subspan(fd::kPersonality, fd::kPersonalitySize);
    DebugLogLine(kLogBlack, FormatText("DMX Address   %d", sys::getLE16(p, pers::kDmxAddress)));
    DebugLogLine(kLogBlack, FormatText("DMX Protocol  %d", p[pers::kDmxProtocol]));
    DebugLogLine(kLogBlack, FormatText("Mode Settings %d", p[pers::kMode]));
    DebugLogLine(kLogBlack, FormatText("DMXPixels     %d", p[pers::kDmxPixels]));
    DebugLogLine(kLogBlack, FormatText("ColorGamut    %d", p[pers::kColorGamut]));
  }
  return ok;
}

bool TZemDeviceUSBYOLB::SetPersonalities(int pauseMs) {
  return writeGroup('P', 'P', fd::kPersonality, fd::kPersonalitySize, "Set Personalities",
                    "YOLB1 error 5(%d)", pauseMs, [this] { return GetPersonalities(); });
}

bool TZemDeviceUSBYOLB::GetStandAloneSettings() {
  return readGroup('P', 'a', "Stand Alone Settings", fd::kStandAloneSettings, fd::kStandAloneSettingsSize);
}

bool TZemDeviceUSBYOLB::SetStandAloneSettings() {
  return echoGroup('P', 'A', fd::kStandAloneSettings, fd::kStandAloneSettingsSize,
                   "Set Stand Alone Settings");
}

bool TZemDeviceUSBYOLB::GetTimerSettings() {
  return readGroup('P', 'b', "Get Timer Settings", fd::kTimerSettings, fd::kTimerSettingsSize);
}

bool TZemDeviceUSBYOLB::SetTimerSettings() {
  return echoGroup('P', 'B', fd::kTimerSettings, fd::kTimerSettingsSize, "Set Timer Settings");
}

bool TZemDeviceUSBYOLB::GetSensorTriggerSettings() {
  return readGroup('P', 'd', "Get Sensor Trigger Settings", fd::kSensorTrigger, fd::kSensorTriggerSize);
}

bool TZemDeviceUSBYOLB::SetSensorTriggerSettings(int trigger) {
  if (!inRange(trigger, 0, 255)) return false;
  RequestFrame request = makeRequest(false, 'P', 'D', 'F');
  // The settings bytes before the trigger byte go out; the trigger byte is the argument.
  payloadFromRecord(request, fd::kSensorTrigger, fdarea::sensor::kTrigger);
  request[frame::kPayload + fdarea::sensor::kTrigger] = static_cast<uint8_t>(trigger);
  // A re-arm (trigger not 0) is answered with the fixture's own state: only the reply check counts.
  return echoPattern(request, "Set Sensor Trigger Settings", fd::kSensorTrigger, fd::kSensorTriggerSize,
                     trigger == 0);
}

// ---- Log, stand-alone program, monitor ----------------------------------------------------------------

bool TZemDeviceUSBYOLB::GetSystemLogEntry(int entry) {
  if (!inRange(entry, 0, 65535)) return false;
  RequestFrame request = makeRequest(false, 'A', 'l');
  putWord(request, 0, entry);
  ReadSpec spec = groupRead("Get System Log", fd::kSystemLogEntry, fd::kSystemLogEntrySize);
  return readPattern(request, spec);
}

bool TZemDeviceUSBYOLB::GetSystemLogEntryLong(int entry) {
  if (!inRange(entry, 0, 65535)) return false;
  OperationScope scope;
  RequestFrame request = makeRequest(false, 'A', 'l');
  request[frame::kTag + 2] = 'T';  // "DPT"
  putWord(request, 0, entry);
  constexpr int kAttempts = 3;
  for (int attempt = 1; attempt <= kAttempts; ++attempt) {
    if (transfer(request, LogBlock, longlog::kReplyLength) != 0) continue;
    if (checkFrame(request, LogBlock, static_cast<int>(longlog::kReplyLength), "DPT", false,
                   "Duplex Command value check fail (2)")) {
      DebugLogLine(kLogBlack, FormatText("Get System Log %d:%d - Ok", attempt, kAttempts));
      return true;
    }
    ReconnectDevice();
  }
  DebugLogLine(kLogRed, "Get System Log Failed");
  return false;
}

bool TZemDeviceUSBYOLB::ClearSystemLog() {
  RequestFrame request = makeRequest(false, 'A', 'L', 'W');
  ReadSpec spec;
  spec.label = "Clear System Log";
  return readPattern(request, spec);
}

bool TZemDeviceUSBYOLB::GetStandAlone(int sizeCode) {
  // The reply must fit the buffer after the box's length byte.
  constexpr int kMaxSizeCode = static_cast<int>(kReplyBufferSize - kReplyFrame - kStandAloneReplyExtra);
  if (!inRange(sizeCode, 0, kMaxSizeCode)) return false;
  RequestFrame request = makeRequest(false, 'A', 'a');
  ReadSpec spec;
  spec.label = "Get Stand Alone";
  spec.replyLength = static_cast<size_t>(sizeCode) + kStandAloneReplyExtra;
  // Frame bytes 22..51: what lies beyond the reply length stays zero from the cleared buffer.
  spec.store = [](const ReplyBuffer& reply) {
    recordFromReply(reply, fd::kStandAloneProgram, fd::kStandAloneProgramSize);
  };
  return readPattern(request, spec);
}

bool TZemDeviceUSBYOLB::GetHardwareMonitorValues(int page) {
  if (!inRange(page, 0, static_cast<int>(fd::kHardwareMonitorPages) - 1)) return false;
  RequestFrame request = makeRequest(false, 'A', 'h');
  request[frame::kPayload] = static_cast<uint8_t>(page);
  ReadSpec spec;
  spec.label = "Get Hardware Monitor Values";
  const size_t group = fd::kHardwareMonitor + fd::kHardwareMonitorPageSize * static_cast<size_t>(page);
  spec.store = [group](const ReplyBuffer& reply) {
    recordFromReply(reply, group, fd::kHardwareMonitorPageSize);
  };
  return readPattern(request, spec);
}

// ---- Service frames -----------------------------------------------------------------------------------

bool TZemDeviceUSBYOLB::SendMP2Command(std::span<const uint8_t> serviceFrame) {
  if (serviceFrame.size() < frame::kWireLength) return false;
  OperationScope scope;
  std::string errorText;
  const int code = sendFrame(serviceFrame, frame::kWireLength, errorText);
  const int function = serviceFrame[svc::kFunction];
  if (MP2Idle) {
    DebugLogIdle(code == 0 ? kLogBlack : kLogRed, FormatText("Idle MP2Cmd %d %d", function, code));
  } else {
    DebugLogLine(code == 0 ? kLogBlack : kLogRed,
                 FormatText("MP2Cmd %5d %5d %5d %5d %5d %5d", function,
                            sys::getBE16(serviceFrame, svc::kValue), serviceFrame[svc::kPage],
                            serviceFrame[svc::kArgument], sys::getBE16(serviceFrame, svc::kExtra), code));
  }
  if (code != 0 && activeBox()) {
    // Keep the write-back timer from starting another send behind the error box.
    const std::function<void()> resume = LinkReportSink().PauseWriteBack();
    const ScopeExit resumeAtEnd(resume);
    showBoxError(FormatText("YOLB1 error 7(%d)", code), errorText);
    Delay(2000);
  }
  return code == 0;
}

// ---- EEPROM -------------------------------------------------------------------------------------------

bool TZemDeviceUSBYOLB::ReadEEProm(int address, int count) {
  if (!inRange(address, 0, 65535) || !inRange(count, 0, 255)) return false;
  RequestFrame request = makeRequest(false, 'E', 'e');
  request[frame::kPayload + eepromframe::kCount] = static_cast<uint8_t>(count);
  putWord(request, eepromframe::kAddress, address);
  ReadSpec spec;
  spec.attempts = 5;
  spec.label = FormatText("Read EEProm (%d)", address);
  spec.bareFailLabel = true;
  // Always the four words, whatever the count.
  spec.store = [](const ReplyBuffer& reply) {
    recordFromReply(reply, fd::kEEPromWords, fd::kEEPromWordsSize, eepromframe::kWords);
  };
  return readPattern(request, spec);
}

namespace {

// Word writes: send, read the same words back after the settle pause, up to three times.
// payloadWords go out in p[3..]; the first count words must read back.
bool writeEEProm(int address, int count, std::span<const uint8_t> payloadWords, int pauseMs, int logValue) {
  OperationScope scope;
  constexpr int kAttempts = 3;
  const auto words = payloadWords.first(2 * static_cast<size_t>(count));
  for (int attempt = 1; attempt <= kAttempts; ++attempt) {
    RequestFrame request = makeRequest(false, 'E', 'E', 'W');
    request[frame::kPayload + eepromframe::kCount] = static_cast<uint8_t>(count);
    putWord(request, eepromframe::kAddress, address);
    std::copy(payloadWords.begin(), payloadWords.end(),
              request.begin() + frame::kPayload + eepromframe::kWords);
    std::string errorText;
    const int code = sendFrame(request, request.size(), errorText);
    if (code != 0) showBoxError(FormatText("YOLB1 error 8()%d", code), errorText);
    // Read the same words back: the payload keeps count and address.
    request[frame::kCommand] = 'E';
    request[frame::kSubCommand] = 'e';
    request[frame::kDirection] = 'V';
    DelayNoMessages(static_cast<uint32_t>(std::max(pauseMs, 0)));
    ReplyBuffer reply{};
    if (transfer(request, reply) == 0 && CheckReply(request, reply) &&
        std::equal(words.begin(), words.end(), reply.begin() + kReplyPayload + eepromframe::kWords)) {
      DebugLogLine(kLogBlack,
                   FormatText("Write EEProm (%d:%d) %d:%d - Ok", address, logValue, attempt, kAttempts));
      return true;
    }
    DelayNoMessages(50);
  }
  DebugLogLine(kLogRed, FormatText("Write EEProm Fail (%d)", address));
  return false;
}

}  // namespace

bool TZemDeviceUSBYOLB::WriteEEPromWord(int address, int value) {
  if (!inRange(address, 0, 65535) || !inRange(value, 0, 65535)) return false;
  std::array<uint8_t, 2> word{};
  sys::putLE16(word, 0, static_cast<uint16_t>(value));
  return writeEEProm(address, 1, word, 150, value);
}

bool TZemDeviceUSBYOLB::WriteEEPromWords(int address, int count, int pauseMs) {
  if (!inRange(address, 0, 65535) || !inRange(count, 1, 4)) return false;
  // All four words of the record go out; the count says how many the fixture takes.
  std::array<uint8_t, fd::kEEPromWordsSize> words{};
  std::copy_n(FixtureData.begin() + fd::kEEPromWords, words.size(), words.begin());
  return writeEEProm(address, count, words, pauseMs, count);
}

// ---- Sub-devices and LEDs -----------------------------------------------------------------------------

bool TZemDeviceUSBYOLB::SetSubdevice(int index, bool reread) {
  if (!inRange(index, 0, 255)) return false;
  OperationScope scope;
  for (int attempt = 1; attempt <= 3; ++attempt) {
    RequestFrame request = makeRequest(false, 'A', 'E', 'W');
    request[frame::kPayload] = static_cast<uint8_t>(index);
    if (plainTransfer(request)) {
      DebugLogLine(kLogBlack, FormatText("Set Subdevice %d :ok", index));
      FixtureData[fd::kSubdevice] = static_cast<uint8_t>(index);
      // The selection stands whether or not the serial could be read again.
      if (reread) (void)RereadSerialNumber();
      return true;
    }
    DebugLogLine(kLogRed, FormatText("Set Subdevice %d : Fail", index));
  }
  return false;
}

bool TZemDeviceUSBYOLB::SetPwmData(int a, int b, int c) {
  if (!inRange(a, 0, 65535) || !inRange(b, 0, 65535) || !inRange(c, 0, 65535)) return false;
  RequestFrame request = makeRequest(false, 'X', 'p', 'W');
  putWord(request, functionframe::kFunction, kPwmSetFunction);
  putWord(request, functionframe::kArguments, a);
  putWord(request, functionframe::kArguments + 2, b);
  putWord(request, functionframe::kArguments + 4, c);
  DebugLogLine(kLogBlack, FormatText("SetpwmData %d %d %d", a, b, c));
  return plainTransfer(request);
}

bool TZemDeviceUSBYOLB::LatchPwmData(int a, int b) {
  if (!inRange(a, 0, 65535) || !inRange(b, 0, 65535)) return false;
  RequestFrame request = makeRequest(false, 'X', 'p', 'W');
  putWord(request, functionframe::kFunction, kPwmLatchFunction);
  putWord(request, functionframe::kArguments, b);
  putWord(request, functionframe::kArguments + 2, a);
  DebugLogLine(kLogBlack, FormatText("LatchpwmData %d %d", a, b));
  return plainTransfer(request);
}

bool TZemDeviceUSBYOLB::SendLedData() {
  RequestFrame request = makeRequest(false, 'L', 'L', 'W');
  payloadFromRecord(request, fd::kLedData, fd::kLedDataSize);
  const auto* d = FixtureData.data() + fd::kLedData;
  DebugLogLine(kLogBlack, FormatText("LED Data %d %d %d %d %d", d[0], d[1], d[2], d[3], d[4]));
  return plainTransfer(request);
}

bool TZemDeviceUSBYOLB::GetPCBSerialNumber() {
  RequestFrame request = makeRequest(true, 'X', 's');
  ReadSpec spec = groupRead("Get PCB Serial#", fd::kPCBSerial, fd::kPCBSerialSize);
  return readPattern(request, spec);
}

namespace {

// The two LED reads: function word, the LED's selector, and one record slot per LED.
bool readLedRecord(int led, int function, size_t firstSlot, size_t slotSize) {
  if (!inRange(led, 0, static_cast<int>(fd::kLedCount) - 1)) return false;
  RequestFrame request = makeRequest(true, 'x', 'p');
  putWord(request, functionframe::kFunction, function);
  request[frame::kPayload + functionframe::kLedSelector] =
      static_cast<uint8_t>(led * functionframe::kLedStride);
  ReadSpec spec;
  spec.label = FormatText("Get %d LEDDescription", led);
  const size_t group = firstSlot + slotSize * static_cast<size_t>(led);
  spec.store = [group, slotSize](const ReplyBuffer& reply) { recordFromReply(reply, group, slotSize); };
  return readPattern(request, spec);
}

}  // namespace

bool TZemDeviceUSBYOLB::GetLEDDescription(int led) {
  return readLedRecord(led, kLedDescriptionFunction, fd::kLedDescription, fd::kLedDescriptionSize);
}

bool TZemDeviceUSBYOLB::GetLEDDescriptionData(int led) {
  return readLedRecord(led, kLedDescriptionDataFunction, fd::kLedDescriptionData,
                       fd::kLedDescriptionDataSize);
}
