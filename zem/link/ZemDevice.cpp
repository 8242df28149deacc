#include "zem/link/ZemDevice.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "platform/sys/clock.h"
#include "platform/ui/application.h"
#include "platform/ui/message_box.h"
#include "zem/link/Debug.h"
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
  request[frame::kPayload + payloadIndex] = static_cast<uint8_t>(value & 0xFF);
  request[frame::kPayload + payloadIndex + 1] = static_cast<uint8_t>((value >> 8) & 0xFF);
}

void payloadFromRecord(RequestFrame& request, size_t group, size_t size) {
  std::copy_n(FixtureData.begin() + group, size, request.begin() + frame::kPayload);
}

void recordFromReply(const ReplyBuffer& reply, size_t group, size_t size, size_t replyOffset = 0) {
  std::copy_n(reply.begin() + kReplyPayload + replyOffset, size, FixtureData.begin() + group);
}

bool inRange(int value, int low, int high) {
  return value >= low && value <= high;
}

// One duplex exchange through the current box; no box (or a box that is not open) fails without a send.
int transfer(const RequestFrame& request, std::span<uint8_t> reply, int replyLength) {
  std::fill(reply.begin(), reply.end(), 0);
  TUSByolb1* box = activeBox();
  if (!box) return FT_DEVICE_NOT_OPENED;
  return box->DuplexTransfer(request, kReplyLength, reply, replyLength, kFirstByteTimeoutMs);
}

// One-way frame of `length` bytes through the current box; the error text of the box comes back too.
int sendFrame(std::span<const uint8_t> data, int length, std::string& errorText) {
  TUSByolb1* box = activeBox();
  if (!box) {
    errorText.clear();
    return FT_DEVICE_NOT_OPENED;
  }
  const int code = box->SendFrame(data, length);
  errorText = box->LastErrorText;
  return code;
}

void showBoxError(const std::string& literal, const std::string& errorText) {
  ui::showErrorBox(literal + "\n" + errorText);
}

bool tagIs(std::span<const uint8_t> reply, const char* tag) {
  return reply[2] == static_cast<uint8_t>(tag[0]) && reply[3] == static_cast<uint8_t>(tag[1]) &&
         reply[4] == static_cast<uint8_t>(tag[2]);
}

// The checks shared by the ordinary reply and the long log reply.
bool checkFrame(std::span<const uint8_t> request, std::span<const uint8_t> reply, int expectedLength,
                const char* tag, bool checkSerial, const char* echoFailText) {
  if (request.size() < frame::kPayload || reply.size() < 1 + frame::kPayload) return false;
  if (reply[0] != expectedLength) {
    DebugLogLine(kLogBlack, FormatText("Duplex Reply Size Error %d", reply[0]));
    return false;
  }
  if (reply[1] != frame::kStartByte) {
    DebugLogLine(kLogRed, FormatText("Duplex startbyte fail %d", reply[1]));
    return false;
  }
  if (!tagIs(reply, tag)) {
    DebugLogLine(kLogRed, std::string("Duplex ") + tag + " Check fail");
    return false;
  }
  // A request whose serial is empty text addresses any fixture and accepts any serial.
  if (checkSerial && request[frame::kSerial] != 0 &&
      !std::equal(reply.begin() + 1 + frame::kSerial, reply.begin() + 1 + frame::kSerial + frame::kSerialSize,
                  request.begin() + frame::kSerial)) {
    DebugLogLine(kLogRed, "Duplex Serial# check fail " +
                              BufferToShortString(reply.subspan(1 + frame::kSerial), frame::kSerialSize));
    return false;
  }
  if (reply[1 + frame::kCommand] != request[frame::kCommand] ||
      reply[1 + frame::kSubCommand] != request[frame::kSubCommand]) {
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
  return CheckReplySize(request, reply, kReplyLength);
}

void ReconnectDevice() {
  OperationScope scope;
  TZemDeviceClass* old = Device;
  closeQuietly(old);
  Device = nullptr;
  TUSByolb1* oldBox = InterfaceBox;
  InterfaceBox = nullptr;
  retire(old);
  retire(oldBox);

  TZemDeviceClass* created = nullptr;
  CreateDevice(created);
  Device = created;
  try {
    created->Open();
  } catch (const EZEMDeviceError&) {
    ui::showErrorBox("Error Accessing YOLB-1\rPlease re-connect YOLB-1 and restart application");
  } catch (const std::exception& e) {
    ui::showErrorBox(std::string("Fatal Error.\n") + e.what());
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
  int replyLength = kReplyLength;
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
    if (!CheckReplySize(request, reply, spec.replyLength)) continue;
    if (spec.store) spec.store(reply);
    DebugLogLine(kLogBlack, spec.label + FormatText(" %d:%d - Ok", attempt, spec.attempts));
    return true;
  }
  DebugLogLine(kLogRed, spec.bareFailLabel ? spec.label : spec.label + " Failed");
  return false;
}

// W: one-way send of the whole request buffer, then the read-back. Success needs both.
bool writePattern(const RequestFrame& request, const char* name, const std::string& errorLiteral, int pauseMs,
                  const std::function<bool()>& readBack) {
  OperationScope scope;
  std::string errorText;
  const int code = sendFrame(request, static_cast<int>(request.size()), errorText);
  if (code != 0) {
    showBoxError(FormatText(errorLiteral.c_str(), code), errorText);
    Delay(2000);
  } else if (pauseMs > 0) {
    sys::sleepMs(static_cast<uint32_t>(pauseMs));
  }
  // Read back whatever the send did, so the record holds what the fixture really has.
  const bool readOk = readBack();
  const bool ok = code == 0 && readOk;
  DebugLogLine(ok ? kLogBlack : kLogRed,
               std::string(name) + (ok ? " - Ok" : FormatText(" Failed (%d)", code)));
  return ok;
}

// E: one exchange; the fixture echoes the payload, which must match what was sent before it is stored.
bool echoPattern(const RequestFrame& request, const char* name, size_t group, size_t size, bool compare) {
  OperationScope scope;
  ReplyBuffer reply{};
  bool ok = false;
  if (transfer(request, reply, kReplyLength) == 0 && CheckReply(request, reply)) {
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

// T: one exchange whose reply is not examined.
bool plainTransfer(const RequestFrame& request) {
  OperationScope scope;
  ReplyBuffer reply{};
  return transfer(request, reply, kReplyLength) == 0;
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
    std::copy_n(reply.begin() + 1 + frame::kSerial, frame::kSerialSize,
                DuplexRequest.begin() + frame::kSerial);
    std::copy_n(reply.begin() + 1 + frame::kSerial, frame::kSerialSize, FixtureData.begin() + fd::kSerial);
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
  spec.store = [](const ReplyBuffer& reply) {
    std::copy_n(reply.begin() + 1 + frame::kSerial, frame::kSerialSize,
                DuplexRequest.begin() + frame::kSerial);
    std::copy_n(reply.begin() + 1 + frame::kSerial, frame::kSerialSize, FixtureData.begin() + fd::kSerial);
  };
  return readPattern(request, spec);
}

bool TZemDeviceUSBYOLB::GetFixtureInfo() {
  RequestFrame request = makeRequest(false, 'P', 'v');
  ReadSpec spec = groupRead("Get Fixture Info", fd::kFixtureInfo, 15);
  return readPattern(request, spec);
}

bool TZemDeviceUSBYOLB::GetFixtureZemVersion() {
  RequestFrame request = makeRequest(false, 'P', 'm');
  ReadSpec spec = groupRead("Get Fixture Zem Version", fd::kZemVersion, 4);
  spec.afterTransfer = [](int code, RequestFrame&) {
    if (code != 0) sys::sleepMs(100);
  };
  return readPattern(request, spec);
}

bool TZemDeviceUSBYOLB::GetDuplexErrorStatus() {
  RequestFrame request = makeRequest(false, 'P', 'e');
  ReadSpec spec = groupRead("Get Duplex Error Status", fd::kErrorStatus, 15);
  spec.bareFailLabel = true;
  return readPattern(request, spec);
}

bool TZemDeviceUSBYOLB::GetDuplexTempValues() {
  RequestFrame request = makeRequest(false, 'P', 't');
  ReadSpec spec = groupRead("Get Duplex Temp Values", fd::kTempValues, 8);
  spec.bareFailLabel = true;
  return readPattern(request, spec);
}

// ---- Settings groups ----------------------------------------------------------------------------------

bool TZemDeviceUSBYOLB::GetLampStatus() {
  RequestFrame request = makeRequest(false, 'P', 'l');
  ReadSpec spec = groupRead("Get Lamp Status", fd::kLampStatus, 15);
  return readPattern(request, spec);
}

bool TZemDeviceUSBYOLB::SetLampStatus() {
  RequestFrame request = makeRequest(false, 'P', 'L', 'W');
  payloadFromRecord(request, fd::kLampStatus, 15);
  return writePattern(request, "Set Lamp Status", "YOLB1 error 3 (%d)", 0,
                      [this] { return GetLampStatus(); });
}

bool TZemDeviceUSBYOLB::GetSystemCalibration() {
  RequestFrame request = makeRequest(false, 'P', 's');
  ReadSpec spec = groupRead("Get System Calibration", fd::kSystemCalibration, 8);
  return readPattern(request, spec);
}

bool TZemDeviceUSBYOLB::SetSystemCalibration() {
  RequestFrame request = makeRequest(false, 'P', 'S', 'W');
  payloadFromRecord(request, fd::kSystemCalibration, 8);
  return writePattern(request, "Set System Calibration", "YOLB1 error 4 (%d)", 0,
                      [this] { return GetSystemCalibration(); });
}

bool TZemDeviceUSBYOLB::GetEffectCalibration(int effect) {
  if (!inRange(effect, 0, 255)) return false;
  RequestFrame request = makeRequest(false, 'P', 'c');
  request[frame::kPayload] = static_cast<uint8_t>(effect);
  ReadSpec spec = groupRead("Effect Calibration", fd::kEffectCalibration, 15);
  return readPattern(request, spec);
}

bool TZemDeviceUSBYOLB::SetEffectCalibration(int effect) {
  if (!inRange(effect, 0, 255)) return false;
  RequestFrame request = makeRequest(false, 'P', 'C', 'W');
  payloadFromRecord(request, fd::kEffectCalibration, 15);
  request[frame::kPayload] = static_cast<uint8_t>(effect);
  return writePattern(request, "Set Effect Calibration", "YOLB1 error 6(%d)", 0,
                      [this, effect] { return GetEffectCalibration(effect); });
}

bool TZemDeviceUSBYOLB::GetPersonalities() {
  RequestFrame request = makeRequest(false, 'P', 'p');
  ReadSpec spec = groupRead("Get Personalities", fd::kPersonality, 14);
  const bool ok = readPattern(request, spec);
  if (ok) {
    const auto* p = FixtureData.data() + fd::kPersonality;
    DebugLogLine(kLogBlack, FormatText("DMX Address   %d", p[0] | (p[1] << 8)));
    DebugLogLine(kLogBlack, FormatText("DMX Protocol  %d", p[2]));
    DebugLogLine(kLogBlack, FormatText("Mode Settings %d", p[3]));
    DebugLogLine(kLogBlack, FormatText("DMXPixels     %d", p[12]));
    DebugLogLine(kLogBlack, FormatText("ColorGamut    %d", p[13]));
  }
  return ok;
}

bool TZemDeviceUSBYOLB::SetPersonalities(int pauseMs) {
  RequestFrame request = makeRequest(false, 'P', 'P', 'W');
  payloadFromRecord(request, fd::kPersonality, 14);
  return writePattern(request, "Set Personalities", "YOLB1 error 5(%d)", pauseMs,
                      [this] { return GetPersonalities(); });
}

bool TZemDeviceUSBYOLB::GetStandAloneSettings() {
  RequestFrame request = makeRequest(false, 'P', 'a');
  ReadSpec spec = groupRead("Stand Alone Settings", fd::kStandAloneSettings, 6);
  return readPattern(request, spec);
}

bool TZemDeviceUSBYOLB::SetStandAloneSettings() {
  RequestFrame request = makeRequest(false, 'P', 'A', 'F');
  payloadFromRecord(request, fd::kStandAloneSettings, 6);
  return echoPattern(request, "Set Stand Alone Settings", fd::kStandAloneSettings, 6, true);
}

bool TZemDeviceUSBYOLB::GetTimerSettings() {
  RequestFrame request = makeRequest(false, 'P', 'b');
  ReadSpec spec = groupRead("Get Timer Settings", fd::kTimerSettings, 10);
  return readPattern(request, spec);
}

bool TZemDeviceUSBYOLB::SetTimerSettings() {
  RequestFrame request = makeRequest(false, 'P', 'B', 'F');
  payloadFromRecord(request, fd::kTimerSettings, 10);
  return echoPattern(request, "Set Timer Settings", fd::kTimerSettings, 10, true);
}

bool TZemDeviceUSBYOLB::GetSensorTriggerSettings() {
  RequestFrame request = makeRequest(false, 'P', 'd');
  ReadSpec spec = groupRead("Get Sensor Trigger Settings", fd::kSensorTrigger, 4);
  return readPattern(request, spec);
}

bool TZemDeviceUSBYOLB::SetSensorTriggerSettings(int trigger) {
  if (!inRange(trigger, 0, 255)) return false;
  RequestFrame request = makeRequest(false, 'P', 'D', 'F');
  payloadFromRecord(request, fd::kSensorTrigger, 3);
  request[frame::kPayload + 3] = static_cast<uint8_t>(trigger);
  // A re-arm (trigger not 0) is answered with the fixture's own state: only the reply check counts.
  return echoPattern(request, "Set Sensor Trigger Settings", fd::kSensorTrigger, 4, trigger == 0);
}

// ---- Log, stand-alone program, monitor ----------------------------------------------------------------

bool TZemDeviceUSBYOLB::GetSystemLogEntry(int entry) {
  if (!inRange(entry, 0, 65535)) return false;
  RequestFrame request = makeRequest(false, 'A', 'l');
  putWord(request, 0, entry);
  ReadSpec spec = groupRead("Get System Log", fd::kSystemLogEntry, 15);
  return readPattern(request, spec);
}

bool TZemDeviceUSBYOLB::GetSystemLogEntryLong(int entry) {
  if (!inRange(entry, 0, 65535)) return false;
  OperationScope scope;
  constexpr int kLongReplyLength = 50;
  static_assert(kLongReplyLength + 1 == kLogBlockSize);
  RequestFrame request = makeRequest(false, 'A', 'l');
  request[frame::kTag + 2] = 'T';  // "DPT"
  putWord(request, 0, entry);
  constexpr int kAttempts = 3;
  for (int attempt = 1; attempt <= kAttempts; ++attempt) {
    if (transfer(request, LogBlock, kLongReplyLength) != 0) continue;
    if (checkFrame(request, LogBlock, kLongReplyLength, "DPT", false,
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
  constexpr int kExtraBytes = 24;
  if (!inRange(sizeCode, 0, static_cast<int>(kReplyBufferSize) - 1 - kExtraBytes)) return false;
  RequestFrame request = makeRequest(false, 'A', 'a');
  ReadSpec spec;
  spec.label = "Get Stand Alone";
  spec.replyLength = sizeCode + kExtraBytes;
  // Frame bytes 22..51: what lies beyond the reply length stays zero from the cleared buffer.
  spec.store = [](const ReplyBuffer& reply) { recordFromReply(reply, fd::kStandAloneProgram, 30); };
  static_assert(kReplyPayload + 30 == kReplyBufferSize);
  return readPattern(request, spec);
}

bool TZemDeviceUSBYOLB::GetHardwareMonitorValues(int page) {
  if (!inRange(page, 0, 3)) return false;
  RequestFrame request = makeRequest(false, 'A', 'h');
  request[frame::kPayload] = static_cast<uint8_t>(page);
  ReadSpec spec;
  spec.label = "Get Hardware Monitor Values";
  const size_t group = fd::kHardwareMonitor + 15 * static_cast<size_t>(page);
  spec.store = [group](const ReplyBuffer& reply) { recordFromReply(reply, group, 15); };
  return readPattern(request, spec);
}

// ---- Service frames -----------------------------------------------------------------------------------

bool TZemDeviceUSBYOLB::SendMP2Command(std::span<const uint8_t> frame) {
  constexpr int kServiceFrameLength = 37;
  if (frame.size() < kServiceFrameLength) return false;
  OperationScope scope;
  std::string errorText;
  const int code = sendFrame(frame, kServiceFrameLength, errorText);
  if (MP2Idle) {
    DebugLogIdle(code == 0 ? kLogBlack : kLogRed, FormatText("Idle MP2Cmd %d %d", frame[11], code));
  } else {
    DebugLogLine(code == 0 ? kLogBlack : kLogRed,
                 FormatText("MP2Cmd %5d %5d %5d %5d %5d %5d", frame[11], (frame[12] << 8) | frame[13],
                            frame[14], frame[15], (frame[16] << 8) | frame[17], code));
  }
  if (code != 0 && activeBox()) {
    // Keep the write-back timer from starting another send behind the error box. It is given back the
    // state it had, and only if the window that owns it still exists.
    ui::Timer* timer = ActiveWriteBackTimer;
    const bool wasEnabled = timer && timer->enabled();
    if (timer) timer->setEnabled(false);
    showBoxError(FormatText("YOLB1 error 7(%d)", code), errorText);
    Delay(2000);
    if (timer && ActiveWriteBackTimer == timer) timer->setEnabled(wasEnabled);
  }
  return code == 0;
}

// ---- EEPROM -------------------------------------------------------------------------------------------

bool TZemDeviceUSBYOLB::ReadEEProm(int address, int count) {
  if (!inRange(address, 0, 65535) || !inRange(count, 0, 255)) return false;
  RequestFrame request = makeRequest(false, 'E', 'e');
  request[frame::kPayload] = static_cast<uint8_t>(count);
  putWord(request, 1, address);
  ReadSpec spec;
  spec.attempts = 5;
  spec.label = FormatText("Read EEProm (%d)", address);
  spec.bareFailLabel = true;
  spec.store = [](const ReplyBuffer& reply) { recordFromReply(reply, fd::kEEPromWords, 8, 3); };
  return readPattern(request, spec);
}

namespace {

// Word writes: send, read the same words back after the settle pause, up to three times.
bool writeEEProm(int address, int count, const uint8_t* words, int pauseMs, int logValue) {
  OperationScope scope;
  constexpr int kAttempts = 3;
  const size_t wordBytes = 2 * static_cast<size_t>(count);
  for (int attempt = 1; attempt <= kAttempts; ++attempt) {
    RequestFrame request = makeRequest(false, 'E', 'E', 'W');
    request[frame::kPayload] = static_cast<uint8_t>(count);
    putWord(request, 1, address);
    std::copy_n(words, wordBytes, request.begin() + frame::kPayload + 3);
    std::string errorText;
    const int code = sendFrame(request, static_cast<int>(request.size()), errorText);
    if (code != 0) showBoxError(FormatText("YOLB1 error 8()%d", code), errorText);
    // Read the same words back: the payload keeps count and address.
    request[frame::kCommand] = 'E';
    request[frame::kSubCommand] = 'e';
    request[frame::kDirection] = 'V';
    DelayNoMessages(static_cast<uint32_t>(std::max(pauseMs, 0)));
    ReplyBuffer reply{};
    if (transfer(request, reply, kReplyLength) == 0 && CheckReply(request, reply) &&
        std::equal(words, words + wordBytes, reply.begin() + kReplyPayload + 3)) {
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
  const uint8_t word[2] = {static_cast<uint8_t>(value & 0xFF), static_cast<uint8_t>(value >> 8)};
  return writeEEProm(address, 1, word, 150, value);
}

bool TZemDeviceUSBYOLB::WriteEEPromWords(int address, int count, int pauseMs) {
  if (!inRange(address, 0, 65535) || !inRange(count, 1, 4)) return false;
  uint8_t words[8];
  std::copy_n(FixtureData.begin() + fd::kEEPromWords, 8, words);
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
      if (reread) RereadSerialNumber();
      return true;
    }
    DebugLogLine(kLogRed, FormatText("Set Subdevice %d : Fail", index));
  }
  return false;
}

bool TZemDeviceUSBYOLB::SetPwmData(int a, int b, int c) {
  if (!inRange(a, 0, 65535) || !inRange(b, 0, 65535) || !inRange(c, 0, 65535)) return false;
  RequestFrame request = makeRequest(false, 'X', 'p', 'W');
  putWord(request, 0, 1);
  putWord(request, 2, a);
  putWord(request, 4, b);
  putWord(request, 6, c);
  DebugLogLine(kLogBlack, FormatText("SetpwmData %d %d %d", a, b, c));
  return plainTransfer(request);
}

bool TZemDeviceUSBYOLB::LatchPwmData(int a, int b) {
  if (!inRange(a, 0, 65535) || !inRange(b, 0, 65535)) return false;
  RequestFrame request = makeRequest(false, 'X', 'p', 'W');
  putWord(request, 0, 2);
  putWord(request, 2, b);
  putWord(request, 4, a);
  DebugLogLine(kLogBlack, FormatText("LatchpwmData %d %d", a, b));
  return plainTransfer(request);
}

bool TZemDeviceUSBYOLB::SendLedData() {
  RequestFrame request = makeRequest(false, 'L', 'L', 'W');
  payloadFromRecord(request, fd::kLedData, 5);
  const auto* d = FixtureData.data() + fd::kLedData;
  DebugLogLine(kLogBlack, FormatText("LED Data %d %d %d %d %d", d[0], d[1], d[2], d[3], d[4]));
  return plainTransfer(request);
}

bool TZemDeviceUSBYOLB::GetPCBSerialNumber() {
  RequestFrame request = makeRequest(true, 'X', 's');
  ReadSpec spec = groupRead("Get PCB Serial#", fd::kPCBSerial, 15);
  return readPattern(request, spec);
}

bool TZemDeviceUSBYOLB::GetLEDDescription(int led) {
  if (!inRange(led, 0, 4)) return false;
  RequestFrame request = makeRequest(true, 'x', 'p');
  putWord(request, 0, 8);
  request[frame::kPayload + 2] = static_cast<uint8_t>(led * 16);
  ReadSpec spec;
  spec.label = FormatText("Get %d LEDDescription", led);
  const size_t group = fd::kLedDescription + 15 * static_cast<size_t>(led);
  spec.store = [group](const ReplyBuffer& reply) { recordFromReply(reply, group, 15); };
  return readPattern(request, spec);
}

bool TZemDeviceUSBYOLB::GetLEDDescriptionData(int led) {
  if (!inRange(led, 0, 4)) return false;
  RequestFrame request = makeRequest(true, 'x', 'p');
  putWord(request, 0, 7);
  request[frame::kPayload + 2] = static_cast<uint8_t>(led * 16);
  ReadSpec spec;
  spec.label = FormatText("Get %d LEDDescription", led);
  const size_t group = fd::kLedDescriptionData + 7 * static_cast<size_t>(led);
  spec.store = [group](const ReplyBuffer& reply) { recordFromReply(reply, group, 7); };
  return readPattern(request, spec);
}
