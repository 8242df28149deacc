#include "zem/link/ZemDevice.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <numeric>

#include "zem/link/link_test_support.h"

namespace {

using simfix::Fault;
using simfix::FaultSpec;
using ::testing::StrEq;
using ::testing::ThrowsMessage;

std::vector<uint8_t> pattern(size_t n, uint8_t first) {
  std::vector<uint8_t> v(n);
  std::iota(v.begin(), v.end(), first);
  return v;
}
std::vector<uint8_t> record(size_t offset, size_t size) {
  return {FixtureData.begin() + offset, FixtureData.begin() + offset + size};
}
void setRecord(size_t offset, const std::vector<uint8_t>& v) {
  std::copy(v.begin(), v.end(), FixtureData.begin() + offset);
}
std::string serialOf(std::span<const uint8_t> frameBytes) {
  return {frameBytes.begin() + frame::kSerial, frameBytes.begin() + frame::kSerial + frame::kSerialSize};
}
std::string padded(std::string s) {
  s.resize(frame::kSerialSize, '\0');
  return s;
}
// Command letters and direction of a frame as text, e.g. "PlV".
std::string lettersOf(const simfix::ReceivedFrame& f) {
  return {f.bytes.begin() + frame::kCommand, f.bytes.begin() + frame::kDirection + 1};
}

class DeviceTest : public linktest::SimTest {
 protected:
  const simfix::ReceivedFrame& lastFrame() { return sim_->receivedFrames().back(); }
  size_t frameCount() { return sim_->receivedFrames().size(); }

  linktest::ScopedRecordingSink sink_;
};

// ---- Start, open, identification ----------------------------------------------------------------------

TEST_F(DeviceTest, TheRecordStartsEmptyAndTheRequestAddressesAnyFixture) {
  EXPECT_TRUE(std::all_of(FixtureData.begin(), FixtureData.end(), [](uint8_t b) { return b == 0; }));
  EXPECT_EQ(DuplexRequest, DuplexTemplate);  // not an all-zero buffer
  const uint8_t head[] = {0xC8, 'D', 'P', 'L', 0, 0, 'V'};
  EXPECT_TRUE(std::equal(std::begin(head), std::end(head), DuplexTemplate.begin()));
}

TEST_F(DeviceTest, ARequestBeforeIdentificationCarriesAZeroSerial) {
  openDevice();
  EXPECT_TRUE(Device->GetFixtureInfo());
  EXPECT_EQ(serialOf(lastFrame().bytes), padded(""));
}

TEST_F(DeviceTest, OpenReadsTheVersionAfterSettlingAndSetsUpTheBox) {
  sim_->setBoxVersion(2, 9);
  ASSERT_TRUE(CreateDevice(Device));
  EXPECT_FALSE(sim_->isOpen());  // the factory opens nothing
  const uint32_t start = sys::tickCount();
  Device->Open();
  EXPECT_EQ(Device->GetInterfaceName(), "YOLB 1, ver 2.9");
  const auto& log = sim_->boxCommandLog();
  ASSERT_EQ(log.size(), 3u);
  EXPECT_GE(sys::elapsedMs(start, log[0].tick), 250u);  // the box settles before the version request
  EXPECT_EQ(log[1].code, 0x68);
  EXPECT_EQ(log[2].args, (std::vector<uint8_t>{6}));
}

TEST_F(DeviceTest, CloseClosesTheBoxOnce) {
  openDevice();
  Device->Close();
  Device->Close();
  EXPECT_EQ(sim_->closeCount(), 1u);
}

TEST_F(DeviceTest, ABoxThatDoesNotAnswerItsVersionRaises) {
  ASSERT_TRUE(CreateDevice(Device));
  sim_->setBoxSilent(true);
  EXPECT_THAT([] { Device->Open(); },
              ThrowsMessage<EZEMDeviceError>(StrEq("USB device Error, getversion (code 100)")));
  EXPECT_EQ(Device->GetInterfaceName(), "YOLB 1, ver 0.0");
}

TEST_F(DeviceTest, ABoxThatCannotBeOpenedRaises) {
  ASSERT_TRUE(CreateDevice(Device));
  sim_->setFailOpen(FT_DEVICE_NOT_OPENED);
  EXPECT_THAT([] { Device->Open(); },
              ThrowsMessage<EZEMDeviceError>(StrEq("Error opening USB device (Code 3)")));
}

TEST_F(DeviceTest, IdentificationAddressesLaterRequests) {
  openDevice();
  sim_->setSerial("ABC123456789XYZ");
  FixtureData[100] = 7;
  ASSERT_TRUE(Device->GetSerialNumber());
  EXPECT_EQ(serialOf(lastFrame().bytes), padded(""));
  EXPECT_EQ(FixtureData[100], 0);  // a new search starts from an empty record
  EXPECT_EQ(serialOf(DuplexRequest), "ABC123456789XYZ");
  EXPECT_TRUE(std::equal(DuplexRequest.begin() + 7, DuplexRequest.begin() + 22, FixtureData.begin()));
  ASSERT_TRUE(Device->GetLampStatus());
  EXPECT_EQ(serialOf(lastFrame().bytes), "ABC123456789XYZ");
}

TEST_F(DeviceTest, AFailedSearchStartsOverAddressingAnyFixture) {
  identify();
  sim_->setFixturePresent(false);
  EXPECT_FALSE(Device->GetSerialNumber());
  EXPECT_EQ(DuplexRequest, DuplexTemplate);
  EXPECT_TRUE(logged("Get Serial# Failed"));
}

TEST_F(DeviceTest, SelectingASubDeviceRereadsItsSerial) {
  sim_->setSubDeviceCount(2);
  identify();
  ASSERT_TRUE(Device->SetSubdevice(2, true));
  EXPECT_EQ(FixtureData[fd::kSubdevice], 2);
  EXPECT_EQ(serialOf(DuplexRequest), padded(sim_->serial().substr(0, 12) + "002"));
  EXPECT_TRUE(std::equal(DuplexRequest.begin() + 7, DuplexRequest.begin() + 22, FixtureData.begin()));
  EXPECT_TRUE(Device->GetLampStatus());
}

TEST_F(DeviceTest, ASubDeviceThatDoesNotAnswerIsTriedThreeTimes) {
  identify();
  EXPECT_FALSE(Device->SetSubdevice(9, false));
  EXPECT_EQ(frameCount(), 3u);
  EXPECT_TRUE(logged("Set Subdevice 9 : Fail"));
}

// ---- Reads: one row per operation ---------------------------------------------------------------------

struct ReadCase {
  const char* name;
  std::function<bool()> call;
  size_t offset, size;
  std::function<void(simfix::Control&, const std::vector<uint8_t>&)> prime;
  std::vector<uint8_t> args;  // request payload from p[0]
  bool anyFixture;
};

// Parameterised tests print a row by its name.
void PrintTo(const ReadCase& row, std::ostream* os) {
  *os << row.name;
}

std::function<void(simfix::Control&, const std::vector<uint8_t>&)> group(char c, char s) {
  return [=](simfix::Control& sim, const std::vector<uint8_t>& v) { sim.setGroup(c, s, v); };
}

const ReadCase kReadCases[] = {
    {"FixtureInfo",
     [] { return Device->GetFixtureInfo(); },
     fd::kFixtureInfo,
     15,
     group('P', 'v'),
     {},
     false},
    {"ZemVersion",
     [] { return Device->GetFixtureZemVersion(); },
     fd::kZemVersion,
     4,
     group('P', 'm'),
     {},
     false},
    {"ErrorStatus",
     [] { return Device->GetDuplexErrorStatus(); },
     fd::kErrorStatus,
     15,
     group('P', 'e'),
     {},
     false},
    {"TempValues",
     [] { return Device->GetDuplexTempValues(); },
     fd::kTempValues,
     8,
     group('P', 't'),
     {},
     false},
    {"LampStatus", [] { return Device->GetLampStatus(); }, fd::kLampStatus, 15, group('P', 'l'), {}, false},
    {"SystemCalibration",
     [] { return Device->GetSystemCalibration(); },
     fd::kSystemCalibration,
     8,
     group('P', 's'),
     {},
     false},
    {"Personalities",
     [] { return Device->GetPersonalities(); },
     fd::kPersonality,
     14,
     group('P', 'p'),
     {},
     false},
    {"StandAloneSettings",
     [] { return Device->GetStandAloneSettings(); },
     fd::kStandAloneSettings,
     6,
     group('P', 'a'),
     {},
     false},
    {"TimerSettings",
     [] { return Device->GetTimerSettings(); },
     fd::kTimerSettings,
     10,
     group('P', 'b'),
     {},
     false},
    {"SensorTrigger",
     [] { return Device->GetSensorTriggerSettings(); },
     fd::kSensorTrigger,
     4,
     group('P', 'd'),
     {},
     false},
    {"EffectCalibration",
     [] { return Device->GetEffectCalibration(3); },
     fd::kEffectCalibration,
     15,
     [](simfix::Control& sim, const auto& v) { sim.setEffectCalibration(3, v); },
     {3},
     false},
    {"HardwareMonitor",
     [] { return Device->GetHardwareMonitorValues(2); },
     fd::kHardwareMonitor + 30,
     15,
     [](simfix::Control& sim, const auto& v) { sim.setMonitorPage(2, v); },
     {2},
     false},
    {"SystemLogEntry",
     [] { return Device->GetSystemLogEntry(0x101); },
     fd::kSystemLogEntry,
     2,
     [](simfix::Control& sim, const auto& v) {
       std::vector<std::vector<uint8_t>> log(0x102, std::vector<uint8_t>(15, 0));
       std::copy(v.begin(), v.end(), log.back().begin());
       sim.setLogEntries(log);
     },
     {1, 1},
     false},
    {"PCBSerial",
     [] { return Device->GetPCBSerialNumber(); },
     fd::kPCBSerial,
     15,
     [](simfix::Control& sim, const auto& v) { sim.setPCBSerial(std::string(v.begin(), v.end())); },
     {},
     true},
    {"LedDescription",
     [] { return Device->GetLEDDescription(4); },
     fd::kLedDescription + 60,
     15,
     [](simfix::Control& sim, const auto& v) { sim.setLedDescription(4, v); },
     {8, 0, 64},
     true},
    {"LedDescriptionData",
     [] { return Device->GetLEDDescriptionData(1); },
     fd::kLedDescriptionData + 7,
     7,
     [](simfix::Control& sim, const auto& v) { sim.setLedDescriptionData(1, v); },
     {7, 0, 16},
     true},
};

class ReadTest : public DeviceTest, public ::testing::WithParamInterface<ReadCase> {};

TEST_P(ReadTest, FillsItsRecordGroupFromOneRequest) {
  identify();
  const ReadCase& c = GetParam();
  const auto data = pattern(c.size, 0x41);
  c.prime(*sim_, data);
  sim_->clearReceivedFrames();
  ASSERT_TRUE(c.call());
  EXPECT_EQ(record(c.offset, c.size), data);
  ASSERT_EQ(frameCount(), 1u);
  const auto& sent = lastFrame().bytes;
  EXPECT_EQ(sent[frame::kDirection], 'V');
  EXPECT_EQ(sent[frame::kSerial] == 0, c.anyFixture);
  EXPECT_TRUE(std::equal(c.args.begin(), c.args.end(), sent.begin() + frame::kPayload));
}

INSTANTIATE_TEST_SUITE_P(EveryRead, ReadTest, ::testing::ValuesIn(kReadCases),
                         [](const ::testing::TestParamInfo<ReadCase>& info) { return info.param.name; });

// ---- Long log, stand-alone program, clear -------------------------------------------------------------

TEST_F(DeviceTest, TheLongLogIsReceivedIntoTheLogBlock) {
  identify();
  simfix::LongLogEntry entry;
  entry.text = "Lamp strike failed";
  sim_->setLongLogEntries({entry, entry});
  ASSERT_TRUE(Device->GetSystemLogEntryLong(1));
  EXPECT_EQ(std::string(lastFrame().bytes.begin() + 1, lastFrame().bytes.begin() + 4), "DPT");
  EXPECT_EQ(std::string(LogBlock.begin(), LogBlock.begin() + 5),
            "\x32\xC8"
            "DPT");
  EXPECT_NE(std::search(LogBlock.begin(), LogBlock.end(), entry.text.begin(), entry.text.end()),
            LogBlock.end());
}

TEST_F(DeviceTest, StandAloneSizeCode13ExpectsAnOrdinaryReplyAndLeavesTheRestZero) {
  identify();
  sim_->setGroup('A', 'a', pattern(30, 1));
  ASSERT_TRUE(Device->GetStandAlone(13));
  EXPECT_EQ(lastFrame().replyLength, 37);
  auto expected = pattern(15, 1);
  expected.resize(30, 0);  // beyond the 37-byte reply stays zero
  EXPECT_EQ(record(fd::kStandAloneProgram, 30), expected);
}

TEST_F(DeviceTest, StandAloneSizeCode19Expects43Bytes) {
  identify();
  sim_->setGroup('A', 'a', pattern(30, 1));
  ASSERT_TRUE(Device->GetStandAlone(19));
  EXPECT_EQ(lastFrame().replyLength, 43);
  EXPECT_EQ(record(fd::kStandAloneProgram, 21), pattern(21, 1));
}

TEST_F(DeviceTest, StandAloneSizeCode28FillsTheWholeArea) {
  identify();
  sim_->setGroup('A', 'a', pattern(30, 1));
  ASSERT_TRUE(Device->GetStandAlone(28));
  EXPECT_EQ(record(fd::kStandAloneProgram, 30), pattern(30, 1));
}

TEST_F(DeviceTest, ClearingTheLogIsAWriteThatEmptiesIt) {
  identify();
  sim_->setLongLogEntries({simfix::LongLogEntry{}});
  ASSERT_TRUE(Device->ClearSystemLog());
  EXPECT_EQ(lastFrame().bytes[frame::kDirection], 'W');
  EXPECT_EQ(sim_->longLogEntryCount(), 0u);
}

// ---- Writes with a read-back --------------------------------------------------------------------------

TEST_F(DeviceTest, LampStatusGoesOutAsTheWholeRequestBufferAndIsReadBack) {
  identify();
  setRecord(fd::kLampStatus, pattern(15, 0x30));
  ASSERT_TRUE(Device->SetLampStatus());
  EXPECT_EQ(sim_->group('P', 'l'), pattern(15, 0x30));
  const auto& send = sim_->receivedFrames()[0];
  EXPECT_FALSE(send.duplex);
  EXPECT_EQ(send.bytes.size(), 52u);
  EXPECT_EQ(lettersOf(send), "PLW");
  EXPECT_EQ(lettersOf(lastFrame()), "PlV");
}

TEST_F(DeviceTest, SystemCalibrationIsWrittenAndReadBack) {
  identify();
  setRecord(fd::kSystemCalibration, pattern(8, 0x40));
  ASSERT_TRUE(Device->SetSystemCalibration());
  EXPECT_EQ(sim_->group('P', 's'), pattern(8, 0x40));
}

TEST_F(DeviceTest, APersonalityWritePausesBeforeItsReadBack) {
  identify();
  setRecord(fd::kPersonality, pattern(14, 0x50));
  ASSERT_TRUE(Device->SetPersonalities(30));
  EXPECT_EQ(sim_->group('P', 'p'), pattern(14, 0x50));
  EXPECT_GE(sys::elapsedMs(sim_->receivedFrames()[0].tick, lastFrame().tick), 30u);
}

TEST_F(DeviceTest, AnEffectCalibrationCarriesTheEffectInItsFirstByte) {
  identify();
  auto cal = pattern(15, 0x60);
  setRecord(fd::kEffectCalibration, cal);
  ASSERT_TRUE(Device->SetEffectCalibration(5));
  cal[0] = 5;
  EXPECT_EQ(sim_->effectCalibration(5), cal);
  EXPECT_EQ(record(fd::kEffectCalibration, 15), cal);
}

TEST_F(DeviceTest, AWriteWhoseSendFailsShowsItsErrorAndWaits) {
  identify();
  sim_->setFault({Fault::NoAcknowledge, 1});  // the fixture may take the frame; the acknowledge never comes
  const uint32_t start = sys::tickCount();
  (void)Device->SetLampStatus();  // the result has its own test
  EXPECT_EQ(sink_.errors, std::vector<std::string>{"YOLB1 error 3 (100)\nWaitForAcknowledge - Timeout..."});
  EXPECT_GE(sys::elapsedMs(start, sys::tickCount()), 2000u);
}

TEST_F(DeviceTest, AWriteWhoseSendFailsAnswersWithItsReadBack) {
  identify();
  sim_->setFault({Fault::NoAcknowledge, 1});
  EXPECT_TRUE(Device->SetLampStatus());  // the record holds what the fixture has
  sim_->setFault({Fault::NoAcknowledge, 1});
  sim_->setFixturePresent(false);
  EXPECT_FALSE(Device->SetLampStatus());  // nothing could be read back
}

TEST_F(DeviceTest, AWriteWhoseSendFailsStillReadsBack) {
  identify();
  setRecord(fd::kLampStatus, std::vector<uint8_t>(15, 0x77));
  sim_->setFault({Fault::NoAcknowledge, 1});
  (void)Device->SetLampStatus();  // the result has its own test
  EXPECT_EQ(lettersOf(lastFrame()), "PlV");
  EXPECT_EQ(record(fd::kLampStatus, 15), sim_->group('P', 'l'));  // what the fixture really has
}

// ---- Echoed writes ------------------------------------------------------------------------------------

TEST_F(DeviceTest, EchoedWritesAreOneExchangeEach) {
  identify();
  setRecord(fd::kStandAloneSettings, pattern(6, 1));
  ASSERT_TRUE(Device->SetStandAloneSettings());
  EXPECT_EQ(lastFrame().bytes[frame::kDirection], 'F');
  EXPECT_EQ(sim_->group('P', 'a'), pattern(6, 1));
  setRecord(fd::kTimerSettings, pattern(10, 20));
  ASSERT_TRUE(Device->SetTimerSettings());
  EXPECT_EQ(sim_->group('P', 'b'), pattern(10, 20));
  setRecord(fd::kSensorTrigger, {9, 0x34, 0x12, 0});
  ASSERT_TRUE(Device->SetSensorTriggerSettings(0));
  EXPECT_EQ(sim_->group('P', 'd'), (std::vector<uint8_t>{9, 0x34, 0x12, 0}));
  EXPECT_EQ(frameCount(), 3u);
}

TEST_F(DeviceTest, AnEchoThatDiffersFailsTheWrite) {
  identify();
  sim_->setFault({Fault::WrongEcho});
  EXPECT_FALSE(Device->SetTimerSettings());
  EXPECT_FALSE(Device->SetSensorTriggerSettings(0));
}

TEST_F(DeviceTest, AReArmCountsTheReplyCheckAlone) {
  identify();
  sim_->setFault({Fault::WrongEcho});
  EXPECT_TRUE(Device->SetSensorTriggerSettings(255));
  EXPECT_EQ(lastFrame().bytes[frame::kPayload + 3], 255);
  EXPECT_EQ(frameCount(), 1u);
}

// ---- EEPROM -------------------------------------------------------------------------------------------

TEST_F(DeviceTest, AnEEPromReadFillsAllFourWordsWhateverTheCount) {
  identify();
  sim_->setEEPromWord(0x123, 0xBEEF);
  ASSERT_TRUE(Device->ReadEEProm(0x123, 1));
  EXPECT_TRUE(std::equal(lastFrame().bytes.begin() + 22, lastFrame().bytes.begin() + 25, "\x01\x23\x01"));
  // Word a holds a by default.
  EXPECT_EQ(record(fd::kEEPromWords, 8), (std::vector<uint8_t>{0xEF, 0xBE, 0x24, 1, 0x25, 1, 0x26, 1}));
}

TEST_F(DeviceTest, AWordWriteSettlesBeforeItsReadBack) {
  identify();
  ASSERT_TRUE(Device->WriteEEPromWord(0x200, 0x4321));
  EXPECT_EQ(sim_->eepromWord(0x200), 0x4321);
  const auto& f = sim_->receivedFrames();
  EXPECT_GE(sys::elapsedMs(f[f.size() - 2].tick, f.back().tick), 150u);
  EXPECT_TRUE(logged("Write EEProm (512:17185) 1:3 - Ok"));
}

TEST_F(DeviceTest, AWordsWriteWritesTheFirstCountWordsOfTheRecord) {
  identify();
  setRecord(fd::kEEPromWords, {1, 2, 3, 4, 5, 6, 7, 8});
  ASSERT_TRUE(Device->WriteEEPromWords(0x300, 3, 20));
  EXPECT_EQ(sim_->eepromWord(0x302), 0x0605);
  EXPECT_EQ(sim_->eepromWord(0x303), 0x0303);  // untouched
}

TEST_F(DeviceTest, AWordsWriteSendsAllFourRecordWords) {
  identify();
  setRecord(fd::kEEPromWords, {1, 2, 3, 4, 5, 6, 7, 8});
  ASSERT_TRUE(Device->WriteEEPromWords(0x300, 1, 0));
  const auto& write = sim_->receivedFrames()[0];
  ASSERT_EQ(lettersOf(write), "EEW");
  EXPECT_EQ(std::vector<uint8_t>(write.bytes.begin() + 22, write.bytes.begin() + 33),
            (std::vector<uint8_t>{1, 0, 3, 1, 2, 3, 4, 5, 6, 7, 8}));
  EXPECT_EQ(sim_->eepromWord(0x301), 0x0301);  // the count says one word
}

TEST_F(DeviceTest, AWordBeyondTheMemoryIsTriedThreeTimes) {
  identify();
  sim_->setEEPromSize(256);
  EXPECT_FALSE(Device->WriteEEPromWord(300, 1));  // the read-back differs
  EXPECT_EQ(frameCount(), 6u);                    // three sends, three read-backs
}

TEST_F(DeviceTest, AnEEPromReadIsTriedFiveTimes) {
  identify();
  sim_->setFault({Fault::Silent});
  EXPECT_FALSE(Device->ReadEEProm(0, 4));
  EXPECT_EQ(frameCount(), 5u);
}

// ---- Plain transfers ----------------------------------------------------------------------------------

TEST_F(DeviceTest, PwmDataAndLatchSendTheirWords) {
  identify();
  ASSERT_TRUE(Device->SetPwmData(1, 0x102, 3));
  EXPECT_EQ(sim_->group('X', 'p'), (std::vector<uint8_t>{1, 0, 1, 0, 2, 1, 3, 0}));
  EXPECT_EQ(lastFrame().bytes[frame::kDirection], 'W');
  ASSERT_TRUE(Device->LatchPwmData(10, 20));
  EXPECT_EQ(sim_->group('X', 'p'), (std::vector<uint8_t>{2, 0, 20, 0, 10, 0, 0, 0}));
}

TEST_F(DeviceTest, LedDataSendsTheRecordBytes) {
  identify();
  setRecord(fd::kLedData, {5, 4, 3, 2, 1});
  ASSERT_TRUE(Device->SendLedData());
  EXPECT_EQ(sim_->group('L', 'L'), (std::vector<uint8_t>{5, 4, 3, 2, 1}));
}

TEST_F(DeviceTest, AShortReplyReconnectsAsEveryBadReplyDoes) {
  identify();
  FaultSpec shortReply{Fault::ShortReply, 1};
  shortReply.shortBytes = 20;
  sim_->setFault(shortReply);
  ASSERT_TRUE(Device->GetLampStatus());
  EXPECT_TRUE(logged("Duplex Reply Size Error 0"));
  EXPECT_EQ(sim_->openCount(), 2u);  // box closed, opened again, version read
  EXPECT_TRUE(logged("Get Lamp Status 2:3 - Ok"));
}

TEST_F(DeviceTest, AStatusOfZeroAfterAnAbortReconnects) {
  identify();
  FaultSpec status{Fault::SilentWithStatus, 1};
  status.statusByte = 0;
  sim_->setFault(status);
  ASSERT_TRUE(Device->GetLampStatus());
  EXPECT_EQ(sim_->openCount(), 2u);
}

TEST_F(DeviceTest, APlainTransferAnsweredOnlyByAStatusOfZeroFails) {
  identify();
  FaultSpec status{Fault::SilentWithStatus};
  status.statusByte = 0;
  sim_->setFault(status);
  EXPECT_FALSE(Device->SetPwmData(1, 2, 3));
  EXPECT_FALSE(Device->SetSubdevice(0, false));
}

TEST_F(DeviceTest, AReplyThatStopsShortFailsEveryPattern) {
  identify();
  FaultSpec shortReply{Fault::ShortReply};
  shortReply.shortBytes = 20;
  sim_->setFault(shortReply);
  EXPECT_FALSE(Device->SetPwmData(1, 2, 3));
  EXPECT_FALSE(Device->SetSubdevice(0, false));
  EXPECT_FALSE(Device->SetStandAloneSettings());
  EXPECT_FALSE(Device->SetSensorTriggerSettings(255));
  EXPECT_FALSE(Device->GetLampStatus());
}

// ---- Service frames -----------------------------------------------------------------------------------

std::vector<uint8_t> serviceFrame() {
  std::vector<uint8_t> service(37, 0);
  service[0] = 0x8B;
  service[11] = 81;
  service[15] = 44;
  return service;
}

TEST_F(DeviceTest, ServiceFramesPassThroughUnchanged) {
  identify();
  ASSERT_TRUE(Device->SendMP2Command(serviceFrame()));
  ASSERT_EQ(sim_->serviceFrames().size(), 1u);
  EXPECT_EQ(sim_->serviceFrames()[0].bytes, serviceFrame());
}

TEST_F(DeviceTest, AShortServiceFrameIsRefused) {
  identify();
  const std::vector<uint8_t> service = serviceFrame();
  EXPECT_FALSE(Device->SendMP2Command(std::span(service).first(36)));
  EXPECT_TRUE(sim_->serviceFrames().empty());
}

TEST_F(DeviceTest, AFailedServiceFrameIsShownWithTheWriteBackHeldStill) {
  identify();
  sim_->setFault({Fault::NoAcknowledge, 1});
  EXPECT_FALSE(Device->SendMP2Command(serviceFrame()));
  EXPECT_EQ(sink_.errors, std::vector<std::string>{"YOLB1 error 7(100)\nWaitForAcknowledge - Timeout..."});
  EXPECT_EQ(sink_.pausedAtError, std::vector<bool>{true});
  EXPECT_EQ(sink_.resumes, 1);
}

// ---- Arguments and the demonstration device -----------------------------------------------------------

TEST_F(DeviceTest, ArgumentsOutsideTheirFieldsFailWithoutSending) {
  identify();
  EXPECT_FALSE(Device->GetStandAlone(29));
  EXPECT_FALSE(Device->GetHardwareMonitorValues(4));
  EXPECT_FALSE(Device->GetLEDDescription(5));
  EXPECT_FALSE(Device->GetLEDDescriptionData(-1));
  EXPECT_FALSE(Device->WriteEEPromWords(0, 5, 0));
  EXPECT_FALSE(Device->WriteEEPromWord(65536, 0));
  EXPECT_FALSE(Device->ReadEEProm(0, 256));
  EXPECT_FALSE(Device->SetEffectCalibration(256));
  EXPECT_FALSE(Device->SetPwmData(0, 0, 65536));
  EXPECT_TRUE(sim_->receivedFrames().empty());
}

TEST(DemoDeviceTest, AnswersWithoutHardware) {
  TZEMDeviceNone none;
  EXPECT_TRUE(none.IsDemo());
  EXPECT_FALSE(none.GetSerialNumber());
  EXPECT_TRUE(none.WriteEEPromWords(0, 4, 0));
  EXPECT_TRUE(none.SetSubdevice(0, false));
  EXPECT_FALSE(none.SetSubdevice(1, false));
  EXPECT_FALSE(none.GetLEDDescriptionData(0));
}

// ---- Reply checks and reconnect -----------------------------------------------------------------------

// A request for the fixture info of the identified fixture and the reply that passes every check.
class ReplyCheckTest : public DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    if (IsSkipped()) return;
    identify();
    request_ = DuplexRequest;
    request_[frame::kCommand] = 'P';
    request_[frame::kSubCommand] = 'v';
  }
  ReplyBuffer goodReply() const {
    ReplyBuffer reply{};
    reply[0] = 37;
    std::copy_n(request_.begin(), 37, reply.begin() + 1);
    return reply;
  }
  RequestFrame request_{};
};

TEST_F(ReplyCheckTest, AGoodReplyPasses) {
  EXPECT_TRUE(CheckReply(request_, goodReply()));
}

TEST_F(ReplyCheckTest, ARequestToAnyFixtureTakesAnySerial) {
  ReplyBuffer foreign = goodReply();
  std::fill_n(foreign.begin() + 1 + frame::kSerial, frame::kSerialSize, 'Z');
  std::fill_n(request_.begin() + frame::kSerial, frame::kSerialSize, 0);
  EXPECT_TRUE(CheckReply(request_, foreign));
}

TEST_F(ReplyCheckTest, TheSizeCheckHonoursTheExpectedLength) {
  ReplyBuffer longer = goodReply();
  longer[0] = 43;
  EXPECT_TRUE(CheckReplySize(request_, longer, 43));
}

struct SpoiledReply {
  const char* name;
  std::function<void(ReplyBuffer&)> spoil;
  std::function<std::string(const std::string& serial)> line;  // the first log line
};

void PrintTo(const SpoiledReply& row, std::ostream* os) {
  *os << row.name;
}

const SpoiledReply kSpoiledReplies[] = {
    {"LengthByte", [](ReplyBuffer& r) { r[0] = 0; },
     [](const std::string&) { return "Duplex Reply Size Error 0"; }},
    {"StartByte", [](ReplyBuffer& r) { r[1] = 0xC9; },
     [](const std::string&) { return "Duplex startbyte fail 201"; }},
    {"Tag", [](ReplyBuffer& r) { r[4] = 0; }, [](const std::string&) { return "Duplex DPL Check fail"; }},
    {"Serial", [](ReplyBuffer& r) { r[1 + frame::kSerial + 3] = 7; },
     [](const std::string& s) { return "Duplex Serial# check fail " + s.substr(0, 3) + "_" + s.substr(4); }},
    {"CommandEcho", [](ReplyBuffer& r) { std::swap(r[5], r[6]); },
     [](const std::string&) { return "Duplex Command value check fail (1)"; }},
};

class SpoiledReplyTest : public ReplyCheckTest, public ::testing::WithParamInterface<SpoiledReply> {};

TEST_P(SpoiledReplyTest, IsRejectedLoggedAndReconnects) {
  ClearDebugLog();
  ReplyBuffer reply = goodReply();
  GetParam().spoil(reply);
  TZemDeviceClass* before = Device;
  EXPECT_FALSE(CheckReply(request_, reply));
  EXPECT_NE(Device, before);
  ASSERT_FALSE(DebugLogHistory().empty());
  EXPECT_EQ(DebugLogHistory().front().text, GetParam().line(sim_->serial()));
}

INSTANTIATE_TEST_SUITE_P(EachCheck, SpoiledReplyTest, ::testing::ValuesIn(kSpoiledReplies),
                         [](const ::testing::TestParamInfo<SpoiledReply>& info) { return info.param.name; });

TEST_F(DeviceTest, ABadReplyReconnectsAndTheNextAttemptSucceeds) {
  identify();
  const RequestFrame identified = DuplexRequest;
  sim_->setFault({Fault::SwappedLetters, 1});
  ASSERT_TRUE(Device->GetFixtureInfo());
  EXPECT_TRUE(logged("Get Fixture Info 2:3 - Ok"));
  EXPECT_EQ(sim_->openCount(), 2u);
  EXPECT_EQ(DuplexRequest, identified);  // still addressed to the identified fixture
}

TEST_F(DeviceTest, AnOperationWhoseDeviceWasReplacedFinishesThroughTheNewBox) {
  identify();
  // While a write's error box is up, another operation meets a bad reply and replaces Device and
  // InterfaceBox. The write then finishes on the replaced object, through the new box.
  TZemDeviceClass* writer = Device;
  setRecord(fd::kLampStatus, pattern(15, 1));
  sink_.whileShown = [&] {
    sim_->setFault({Fault::BadStartByte, 1});
    EXPECT_TRUE(Device->GetFixtureInfo());
  };
  sim_->setFault({Fault::NoAcknowledge, 1});
  EXPECT_TRUE(writer->SetLampStatus());  // read back through the new box
  EXPECT_NE(Device, writer);
  EXPECT_EQ(lettersOf(lastFrame()), "PlV");
  EXPECT_EQ(record(fd::kLampStatus, 15), pattern(15, 1));
  EXPECT_EQ(sim_->openCount(), 2u);  // one reconnect
  EXPECT_EQ(sim_->closeCount(), 1u);
  EXPECT_TRUE(Device->GetLampStatus());  // the new device owns the only open handle
  FreeDevice();
  EXPECT_FALSE(sim_->isOpen());
  EXPECT_EQ(InterfaceBox, nullptr);
}

TEST_F(DeviceTest, AReconnectThatCannotOpenShowsItsErrorAndTheRemainingAttemptsSendNothing) {
  identify();
  sim_->setFault({Fault::BadStartByte, 1});
  sim_->setFailOpen(FT_DEVICE_NOT_FOUND);
  EXPECT_FALSE(Device->GetFixtureInfo());
  EXPECT_EQ(sink_.errors, std::vector<std::string>{
                              "Error Accessing YOLB-1\rPlease re-connect YOLB-1 and restart application"});
  EXPECT_EQ(frameCount(), 1u);
}

TEST_F(DeviceTest, AReconnectWithoutHardwareFallsBackToTheDemonstrationDevice) {
  identify();
  // The box is unplugged while a write's error box is up; the reconnect finds no hardware.
  sink_.whileShown = [&] {
    sim_->setDeviceCount(0);
    ReconnectDevice();
    sim_->clearReceivedFrames();
  };
  sim_->setFault({Fault::NoAcknowledge, 1});
  EXPECT_FALSE(Device->SetLampStatus());
  EXPECT_TRUE(sim_->receivedFrames().empty());  // the read-back found no box
  EXPECT_TRUE(Device->IsDemo());
  EXPECT_EQ(InterfaceBox, nullptr);
  EXPECT_EQ(sink_.errors.size(), 1u);
}

}  // namespace
