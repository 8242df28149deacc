#include "zem/link/ZEMData.h"

#include "platform/sys/system.h"

RequestFrame DuplexTemplate{};
RequestFrame DuplexRequest{};
std::array<uint8_t, kFixtureDataSize> FixtureData{};
std::array<uint8_t, kLogBlockSize> LogBlock{};
std::string ProgramFolder;

TZemDeviceClass* Device = nullptr;
TUSByolb1* InterfaceBox = nullptr;
bool TerminateFlag = false;
bool WindowClosed = false;
bool DownloadAbort = false;
bool DemoMode = false;
bool MP2Idle = false;
ui::Timer* ActiveWriteBackTimer = nullptr;

void InitZemData() {
  DuplexTemplate.fill(0);
  DuplexTemplate[frame::kStart] = frame::kStartByte;
  DuplexTemplate[frame::kTag + 0] = 'D';
  DuplexTemplate[frame::kTag + 1] = 'P';
  DuplexTemplate[frame::kTag + 2] = 'L';
  DuplexTemplate[frame::kDirection] = 'V';
  // A request starts out addressed to any fixture.
  DuplexRequest = DuplexTemplate;
  FixtureData.fill(0);
  LogBlock.fill(0);
  ProgramFolder = sys::programFolder();
  TerminateFlag = false;
  WindowClosed = false;
  DownloadAbort = false;
  DemoMode = false;
  MP2Idle = false;
  ActiveWriteBackTimer = nullptr;
}

namespace {
// Unit initialisation: runs before main, before any window exists.
const bool g_initialised = (InitZemData(), true);
}  // namespace
