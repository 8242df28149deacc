#include "zem/link/ZemDevice.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <numeric>

#include "zem/link/link_test_support.h"

namespace {

using simfix::Fault;
using simfix::FaultSpec;

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

class DeviceTest : public linktest::SimTest {
 protected:
  const simfix::ReceivedFrame& lastFrame() { return sim_->receivedFrames().back(); }
  size_t frameCount() { return sim_->receivedFrames().size(); }
  std::vector<std::string> boxTexts() {
    std::vector<std::string> t;
    for (const auto& b : ui::shownMessageBoxes()) t.push_back(b.text);
    return t;
  }
};

// ---- Start, open, identification ----------------------------------------------------------------------

TEST_F(DeviceTest, BeforeIdentificationRequestsAreWellFormedAndAddressAnyFixture) {
  EXPECT_TRUE(std::all_of(FixtureData.begin(), FixtureData.end(), [](uint8_t b) { return b == 0; }));
  EXPECT_EQ(DuplexRequest, DuplexTemplate);  // not an all-zero buffer
  const uint8_t head[] = {0xC8, 'D', 'P', 'L', 0, 0, 'V'};
  EXPECT_TRUE(std::equal(std::begin(head), std::end(head), DuplexTemplate.begin()));
  openDevice();
  EXPECT_TRUE(Device->GetFixtureInfo());
  EXPECT_EQ(serialOf(lastFrame().bytes), padded(""));
}

TEST_F(DeviceTest, OpenSetsUpTheBoxAndFailuresRaise) {
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
  Device->Close();
  Device->Close();
  EXPECT_EQ(sim_->closeCount(), 1u);

  sim_->setBoxSilent(true);
  EXPECT_THROW(
      try { Device->Open(); } catch (const EZEMDeviceError& e) {
        EXPECT_STREQ(e.what(), "USB device Error, getversion (code 100)");
        throw;
      },
      EZEMDeviceError);
  EXPECT_EQ(Device->GetInterfaceName(), "YOLB 1, ver 0.0");
  Device->Close();
  sim_->setFailOpen(FT_DEVICE_NOT_OPENED);
  EXPECT_THROW(
      try { Device->Open(); } catch (const EZEMDeviceError& e) {
        EXPECT_STREQ(e.what(), "Error opening USB device (Code 3)");
        throw;
      },
      EZEMDeviceError);
}

TEST_F(DeviceTest, IdentificationAddressesLaterRequestsAndAFailedSearchStartsOver) {
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
  // No such sub-device: nobody answers, three tries.
  sim_->clearReceivedFrames();
  EXPECT_FALSE(Device->SetSubdevice(9, false));
  EXPECT_EQ(frameCount(), 3u);
  EXPECT_TRUE(logged("Set Subdevice 9 : Fail"));
}

// ---- Operations round-trip ----------------------------------------------------------------------------

TEST_F(DeviceTest, EveryReadFillsItsRecordGroup) {
  identify();
  using Prime = std::function<void(const std::vector<uint8_t>&)>;
  auto group = [this](char c, char s) -> Prime {
    return [=, this](const auto& v) { sim_->setGroup(c, s, v); };
  };
  struct Case {
    std::function<bool()> call;
    size_t offset, size;
    Prime prime;
    std::vector<uint8_t> args;  // request payload from p[0]
    bool anyFixture;
  };
  const std::vector<Case> cases = {
      {[] { return Device->GetFixtureInfo(); }, fd::kFixtureInfo, 15, group('P', 'v'), {}, false},
      {[] { return Device->GetFixtureZemVersion(); }, fd::kZemVersion, 4, group('P', 'm'), {}, false},
      {[] { return Device->GetDuplexErrorStatus(); }, fd::kErrorStatus, 15, group('P', 'e'), {}, false},
      {[] { return Device->GetDuplexTempValues(); }, fd::kTempValues, 8, group('P', 't'), {}, false},
      {[] { return Device->GetLampStatus(); }, fd::kLampStatus, 15, group('P', 'l'), {}, false},
      {[] { return Device->GetSystemCalibration(); }, fd::kSystemCalibration, 8, group('P', 's'), {}, false},
      {[] { return Device->GetPersonalities(); }, fd::kPersonality, 14, group('P', 'p'), {}, false},
      {[] { return Device->GetStandAloneSettings(); },
       fd::kStandAloneSettings,
       6,
       group('P', 'a'),
       {},
       false},
      {[] { return Device->GetTimerSettings(); }, fd::kTimerSettings, 10, group('P', 'b'), {}, false},
      {[] { return Device->GetSensorTriggerSettings(); }, fd::kSensorTrigger, 4, group('P', 'd'), {}, false},
      {[] { return Device->GetEffectCalibration(3); },
       fd::kEffectCalibration,
       15,
       [this](const auto& v) { sim_->setEffectCalibration(3, v); },
       {3},
       false},
      {[] { return Device->GetHardwareMonitorValues(2); },
       fd::kHardwareMonitor + 30,
       15,
       [this](const auto& v) { sim_->setMonitorPage(2, v); },
       {2},
       false},
      {[] { return Device->GetSystemLogEntry(0x101); },
       fd::kSystemLogEntry,
       2,
       [this](const auto& v) {
         std::vector<std::vector<uint8_t>> log(0x102, std::vector<uint8_t>(15, 0));
         std::copy(v.begin(), v.end(), log.back().begin());
         sim_->setLogEntries(log);
       },
       {1, 1},
       false},
      {[] { return Device->GetPCBSerialNumber(); },
       fd::kPCBSerial,
       15,
       [this](const auto& v) { sim_->setPCBSerial(std::string(v.begin(), v.end())); },
       {},
       true},
      {[] { return Device->GetLEDDescription(4); },
       fd::kLedDescription + 60,
       15,
       [this](const auto& v) { sim_->setLedDescription(4, v); },
       {8, 0, 64},
       true},
      {[] { return Device->GetLEDDescriptionData(1); },
       fd::kLedDescriptionData + 7,
       7,
       [this](const auto& v) { sim_->setLedDescriptionData(1, v); },
       {7, 0, 16},
       true},
  };
  uint8_t first = 0x41;
  for (size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(i);
    const auto& c = cases[i];
    const auto data = pattern(c.size, first += 3);
    c.prime(data);
    sim_->clearReceivedFrames();
    ASSERT_TRUE(c.call());
    EXPECT_EQ(record(c.offset, c.size), data);
    ASSERT_EQ(frameCount(), 1u);
    const auto& sent = lastFrame().bytes;
    EXPECT_EQ(sent[frame::kDirection], 'V');
    EXPECT_EQ(sent[frame::kSerial] == 0, c.anyFixture);
    EXPECT_TRUE(std::equal(c.args.begin(), c.args.end(), sent.begin() + frame::kPayload));
  }
}

TEST_F(DeviceTest, LongLogStandAloneProgramAndClear) {
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

  sim_->setGroup('A', 'a', pattern(30, 1));
  ASSERT_TRUE(Device->GetStandAlone(13));
  EXPECT_EQ(lastFrame().replyLength, 37);
  EXPECT_EQ(record(fd::kStandAloneProgram, 30), [] {
    auto v = pattern(15, 1);
    v.resize(30, 0);  // beyond the 37-byte reply stays zero
    return v;
  }());
  ASSERT_TRUE(Device->GetStandAlone(19));
  EXPECT_EQ(lastFrame().replyLength, 43);
  EXPECT_EQ(record(fd::kStandAloneProgram, 21), pattern(21, 1));
  ASSERT_TRUE(Device->GetStandAlone(28));
  EXPECT_EQ(record(fd::kStandAloneProgram, 30), pattern(30, 1));

  ASSERT_TRUE(Device->ClearSystemLog());
  EXPECT_EQ(lastFrame().bytes[frame::kDirection], 'W');
  EXPECT_EQ(sim_->longLogEntryCount(), 0u);
}

TEST_F(DeviceTest, WritesSendTheGroupAndReadItBack) {
  identify();
  setRecord(fd::kLampStatus, pattern(15, 0x30));
  ASSERT_TRUE(Device->SetLampStatus());
  EXPECT_EQ(sim_->group('P', 'l'), pattern(15, 0x30));
  const auto& send = sim_->receivedFrames()[0];
  EXPECT_FALSE(send.duplex);
  EXPECT_EQ(send.bytes.size(), 52u);  // the whole request buffer
  EXPECT_EQ(std::string(send.bytes.begin() + 4, send.bytes.begin() + 7), "PLW");
  EXPECT_EQ(std::string(lastFrame().bytes.begin() + 4, lastFrame().bytes.begin() + 7), "PlV");

  setRecord(fd::kSystemCalibration, pattern(8, 0x40));
  ASSERT_TRUE(Device->SetSystemCalibration());
  EXPECT_EQ(sim_->group('P', 's'), pattern(8, 0x40));
  setRecord(fd::kPersonality, pattern(14, 0x50));
  sim_->clearReceivedFrames();
  ASSERT_TRUE(Device->SetPersonalities(30));
  EXPECT_EQ(sim_->group('P', 'p'), pattern(14, 0x50));
  EXPECT_GE(sys::elapsedMs(sim_->receivedFrames()[0].tick, lastFrame().tick), 30u);  // the pause
  auto cal = pattern(15, 0x60);
  setRecord(fd::kEffectCalibration, cal);
  ASSERT_TRUE(Device->SetEffectCalibration(5));
  cal[0] = 5;  // p[0] carries the effect
  EXPECT_EQ(sim_->effectCalibration(5), cal);
  EXPECT_EQ(record(fd::kEffectCalibration, 15), cal);
}

TEST_F(DeviceTest, AWriteWhoseSendFailsStillReadsBackButReportsFailure) {
  identify();
  setRecord(fd::kLampStatus, std::vector<uint8_t>(15, 0x77));
  sim_->setFault({Fault::NoAcknowledge, 1});  // the fixture may take the frame; the acknowledge never comes
  const uint32_t start = sys::tickCount();
  EXPECT_FALSE(Device->SetLampStatus());
  EXPECT_EQ(boxTexts(), std::vector<std::string>{"YOLB1 error 3 (100)\nWaitForAcknowledge - Timeout..."});
  EXPECT_GE(sys::elapsedMs(start, sys::tickCount()), 2000u);
  EXPECT_EQ(std::string(lastFrame().bytes.begin() + 4, lastFrame().bytes.begin() + 7), "PlV");
  EXPECT_EQ(record(fd::kLampStatus, 15), sim_->group('P', 'l'));  // what the fixture really has
}

TEST_F(DeviceTest, EchoedWritesStoreOnlyAMatchingEcho) {
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
  EXPECT_EQ(frameCount(), 3u);  // one exchange each

  sim_->setFault({Fault::WrongEcho});
  EXPECT_FALSE(Device->SetTimerSettings());
  EXPECT_FALSE(Device->SetSensorTriggerSettings(0));
  EXPECT_TRUE(Device->SetSensorTriggerSettings(255));  // a re-arm counts the reply check alone
  EXPECT_EQ(lastFrame().bytes[frame::kPayload + 3], 255);
  EXPECT_EQ(frameCount(), 6u);
}

TEST_F(DeviceTest, EEPromWordsReadAndWrite) {
  identify();
  sim_->setEEPromWord(0x123, 0xBEEF);
  ASSERT_TRUE(Device->ReadEEProm(0x123, 1));
  EXPECT_TRUE(std::equal(lastFrame().bytes.begin() + 22, lastFrame().bytes.begin() + 25, "\x01\x23\x01"));
  // All four words land in the record, whatever the count (word a holds a by default).
  EXPECT_EQ(record(fd::kEEPromWords, 8), (std::vector<uint8_t>{0xEF, 0xBE, 0x24, 1, 0x25, 1, 0x26, 1}));

  ASSERT_TRUE(Device->WriteEEPromWord(0x200, 0x4321));
  EXPECT_EQ(sim_->eepromWord(0x200), 0x4321);
  const auto& f = sim_->receivedFrames();
  EXPECT_GE(sys::elapsedMs(f[f.size() - 2].tick, f.back().tick), 150u);  // settle time before the read-back
  EXPECT_TRUE(logged("Write EEProm (512:17185) 1:3 - Ok"));
  setRecord(fd::kEEPromWords, {1, 2, 3, 4, 5, 6, 7, 8});
  ASSERT_TRUE(Device->WriteEEPromWords(0x300, 3, 20));
  EXPECT_EQ(sim_->eepromWord(0x302), 0x0605);
  EXPECT_EQ(sim_->eepromWord(0x303), 0x0303);  // untouched

  sim_->setEEPromSize(256);
  sim_->clearReceivedFrames();
  EXPECT_FALSE(Device->WriteEEPromWord(300, 1));  // beyond the memory: the read-back differs
  EXPECT_EQ(frameCount(), 6u);                    // three sends, three read-backs
  sim_->setFault({Fault::Silent});
  sim_->clearReceivedFrames();
  EXPECT_FALSE(Device->ReadEEProm(0, 4));
  EXPECT_EQ(frameCount(), 5u);
}

TEST_F(DeviceTest, PlainTransfersAndShortReplies) {
  identify();
  ASSERT_TRUE(Device->SetPwmData(1, 0x102, 3));
  EXPECT_EQ(sim_->group('X', 'p'), (std::vector<uint8_t>{1, 0, 1, 0, 2, 1, 3, 0}));
  EXPECT_EQ(lastFrame().bytes[frame::kDirection], 'W');
  ASSERT_TRUE(Device->LatchPwmData(10, 20));
  EXPECT_EQ(sim_->group('X', 'p'), (std::vector<uint8_t>{2, 0, 20, 0, 10, 0, 0, 0}));
  setRecord(fd::kLedData, {5, 4, 3, 2, 1});
  ASSERT_TRUE(Device->SendLedData());
  EXPECT_EQ(sim_->group('L', 'L'), (std::vector<uint8_t>{5, 4, 3, 2, 1}));

  // A reply that stops short is a failure in every pattern.
  FaultSpec shortReply{Fault::ShortReply};
  shortReply.shortBytes = 20;
  sim_->setFault(shortReply);
  EXPECT_FALSE(Device->SetPwmData(1, 2, 3));
  EXPECT_FALSE(Device->SetSubdevice(0, false));
  EXPECT_FALSE(Device->SetStandAloneSettings());
  EXPECT_FALSE(Device->SetSensorTriggerSettings(255));
  EXPECT_FALSE(Device->GetLampStatus());
}

TEST_F(DeviceTest, ServiceFramesPassThroughAndAFailedSendPausesTheWriteBackTimer) {
  identify();
  std::vector<uint8_t> service(37, 0);
  service[0] = 0x8B;
  service[11] = 81;
  service[15] = 44;
  ASSERT_TRUE(Device->SendMP2Command(service));
  ASSERT_EQ(sim_->serviceFrames().size(), 1u);
  EXPECT_EQ(sim_->serviceFrames()[0].bytes, service);
  EXPECT_FALSE(Device->SendMP2Command(std::span(service).first(36)));

  ui::Timer timer(200);
  ActiveWriteBackTimer = &timer;
  std::vector<bool> enabledDuringBox;
  ui::setMessageBoxResponder([&](const ui::MessageBoxRequest&) {
    enabledDuringBox.push_back(timer.enabled());
    return ui::ModalResult::Ok;
  });
  for (bool wasEnabled : {true, false}) {
    timer.setEnabled(wasEnabled);
    sim_->setFault({Fault::NoAcknowledge, 1});
    EXPECT_FALSE(Device->SendMP2Command(service));
    EXPECT_EQ(timer.enabled(), wasEnabled);  // given back the state it had
  }
  EXPECT_EQ(enabledDuringBox, (std::vector<bool>{false, false}));
  EXPECT_EQ(boxTexts()[0], "YOLB1 error 7(100)\nWaitForAcknowledge - Timeout...");
  ActiveWriteBackTimer = nullptr;
}

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

TEST_F(DeviceTest, EachReplyCheckRejectsLogsAndReconnects) {
  identify();
  RequestFrame request = DuplexRequest;
  request[frame::kCommand] = 'P';
  request[frame::kSubCommand] = 'v';
  auto goodReply = [&] {
    ReplyBuffer reply{};
    reply[0] = 37;
    std::copy_n(request.begin(), 37, reply.begin() + 1);
    return reply;
  };
  const std::string serial = sim_->serial();
  const std::vector<std::pair<std::function<void(ReplyBuffer&)>, std::string>> steps = {
      {[](ReplyBuffer& r) { r[0] = 0; }, "Duplex Reply Size Error 0"},
      {[](ReplyBuffer& r) { r[1] = 0xC9; }, "Duplex startbyte fail 201"},
      {[](ReplyBuffer& r) { r[4] = 0; }, "Duplex DPL Check fail"},
      {[](ReplyBuffer& r) { r[1 + frame::kSerial + 3] = 7; },
       "Duplex Serial# check fail " + serial.substr(0, 3) + "_" + serial.substr(4)},
      {[](ReplyBuffer& r) { std::swap(r[5], r[6]); }, "Duplex Command value check fail (1)"},
  };
  EXPECT_TRUE(CheckReply(request, goodReply()));
  for (const auto& [spoil, line] : steps) {
    SCOPED_TRACE(line);
    ClearDebugLog();
    ReplyBuffer reply = goodReply();
    spoil(reply);
    TZemDeviceClass* before = Device;
    EXPECT_FALSE(CheckReply(request, reply));
    EXPECT_NE(Device, before);
    ASSERT_FALSE(DebugLogHistory().empty());
    EXPECT_EQ(DebugLogHistory().front().text, line);
  }
  // A request to any fixture takes any serial; the size check honours the expected length.
  ReplyBuffer foreign = goodReply();
  std::fill_n(foreign.begin() + 1 + frame::kSerial, frame::kSerialSize, 'Z');
  std::fill_n(request.begin() + frame::kSerial, frame::kSerialSize, 0);
  EXPECT_TRUE(CheckReply(request, foreign));
  foreign[0] = 43;
  EXPECT_TRUE(CheckReplySize(request, foreign, 43));
}

TEST_F(DeviceTest, ABadReplyIsRetriedThroughTheNewBoxWhileTheRunningObjectStaysAlive) {
  identify();
  const RequestFrame identified = DuplexRequest;
  sim_->setFault({Fault::SwappedLetters, 1});
  ASSERT_TRUE(Device->GetFixtureInfo());
  EXPECT_TRUE(logged("Get Fixture Info 2:3 - Ok"));
  EXPECT_EQ(sim_->openCount(), 2u);
  EXPECT_EQ(DuplexRequest, identified);  // still addressed to the identified fixture

  // While a write's error box is up, another operation meets a bad reply and replaces Device and
  // InterfaceBox. The write then finishes on the replaced object, through the new box.
  TZemDeviceClass* writer = Device;
  setRecord(fd::kLampStatus, pattern(15, 1));
  ui::setMessageBoxResponder([&](const ui::MessageBoxRequest&) {
    sim_->setFault({Fault::BadStartByte, 1});
    EXPECT_TRUE(Device->GetFixtureInfo());
    return ui::ModalResult::Ok;
  });
  sim_->setFault({Fault::NoAcknowledge, 1});
  EXPECT_FALSE(writer->SetLampStatus());
  EXPECT_NE(Device, writer);
  EXPECT_EQ(std::string(lastFrame().bytes.begin() + 4, lastFrame().bytes.begin() + 7), "PlV");
  EXPECT_EQ(record(fd::kLampStatus, 15), pattern(15, 1));
  EXPECT_EQ(sim_->openCount(), 3u);
  EXPECT_EQ(sim_->closeCount(), 2u);
  EXPECT_TRUE(Device->GetLampStatus());  // the new device owns the only open handle
  FreeDevice();
  EXPECT_FALSE(sim_->isOpen());
  EXPECT_EQ(InterfaceBox, nullptr);
}

TEST_F(DeviceTest, AReconnectThatCannotOpenShowsItsBoxAndTheRemainingAttemptsSendNothing) {
  identify();
  sim_->setFault({Fault::BadStartByte, 1});
  sim_->setFailOpen(FT_DEVICE_NOT_FOUND);
  EXPECT_FALSE(Device->GetFixtureInfo());
  EXPECT_EQ(boxTexts(), std::vector<std::string>{
                            "Error Accessing YOLB-1\rPlease re-connect YOLB-1 and restart application"});
  EXPECT_EQ(frameCount(), 1u);
}

TEST_F(DeviceTest, AReconnectWithoutHardwareFallsBackToTheDemonstrationDevice) {
  identify();
  // The box is unplugged while a write's error box is up; the reconnect finds no hardware.
  ui::setMessageBoxResponder([&](const ui::MessageBoxRequest&) {
    sim_->setDeviceCount(0);
    ReconnectDevice();
    sim_->clearReceivedFrames();
    return ui::ModalResult::Ok;
  });
  sim_->setFault({Fault::NoAcknowledge, 1});
  EXPECT_FALSE(Device->SetLampStatus());
  EXPECT_TRUE(sim_->receivedFrames().empty());  // the read-back found no box
  EXPECT_TRUE(Device->IsDemo());
  EXPECT_EQ(InterfaceBox, nullptr);
  EXPECT_EQ(boxTexts().size(), 1u);
}

}  // namespace
