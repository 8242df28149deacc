#include "quillon/dmx_device.h"

#include <climits>
#include <cstring>
#include <system_error>

#include "platform/sys/byte_order.h"
#include "platform/sys/clock.h"
#include "platform/ui/post_message.h"
#include "platform/wdu/wdu_names.h"
#include "quillon/box_requests.h"
#include "quillon/debug_print.h"
#include "quillon/quillon.h"

namespace quillon {

namespace {

constexpr uint8_t kEndpointIn = 0x80;
constexpr uint32_t kPortMask = 1;
constexpr uint16_t kPageMask = 0x13F;  // only bits 0-5 and 8 of a page number reach the box
constexpr int32_t kBlockCount = 40;
constexpr int32_t kPagesPerBlock = 8;
constexpr uint32_t kMessageLengthMask = 0x0F;
constexpr uint16_t kStatus3Size = 3;

uint32_t portOf(int32_t value) {
  return static_cast<uint32_t>(value) & kPortMask;
}

// A number the host carries in the data pointer (periods, values, window handles, port numbers).
uint32_t numberIn(const void* data) {
  return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(data));
}

// Host out-parameters may sit anywhere: write them bytewise.
template <typename T>
void writeOut(void* data, T value) {
  std::memcpy(data, &value, sizeof(value));
}

}  // namespace

DmxDevice::DmxDevice(wdu::DeviceHandle handle, uint32_t interfaceNumber, uint16_t firmwareVersion,
                     std::span<const uint8_t, 16> name)
    : handle_(handle), interfaceNumber_(interfaceNumber), firmwareVersion_(firmwareVersion) {
  for (size_t i = 0; i + 1 < name_.size(); ++i) name_[i] = static_cast<char>(name[i]);
}

DmxDevice::~DmxDevice() {
  std::lock_guard<std::mutex> command(commandMutex_);
  {
    std::lock_guard<std::mutex> lock(threadMutex_);
    destroyed_ = true;
  }
  StopAndWaitLocked();
}

void DmxDevice::SetEndpoints(uint8_t port0, uint8_t port1) {
  endpoint_[0] = port0;
  endpoint_[1] = port1;
}

// ---- Open, close, destroy ----

void DmxDevice::Close() {
  std::lock_guard<std::mutex> command(commandMutex_);
  (void)Identify(0);  // best effort: a box that is gone cannot blink anyway
  StopAndWaitLocked();
  open = false;
}

void DmxDevice::Destroy() {
  {
    std::lock_guard<std::mutex> command(commandMutex_);
    {
      std::lock_guard<std::mutex> lock(threadMutex_);
      destroyed_ = true;
    }
    StopAndWaitLocked();  // a command that ran beside the close may have started a thread again
  }
  Notify(0, kNotifyRemoved);
}

wdu::Status DmxDevice::SetPortMode(uint32_t port, uint16_t value, uint8_t mode) {
  std::lock_guard<std::mutex> command(commandMutex_);
  StopAndWaitLocked();
  port &= kPortMask;
  sendOnChange_[port] = mode == kPortModeSendOnChange;
  const auto index = static_cast<uint16_t>(port | (static_cast<uint16_t>(mode) << 8));
  const wdu::Status st = BoxControlOut(handle_, kReqPortMode, value, index, nullptr, 0);
  stop_.open();
  return st;
}

// ---- Stop flag, users and port threads ----

void DmxDevice::ThreadEnd(uint32_t port, wdu::Status status) {
  {
    std::lock_guard<std::mutex> lock(threadMutex_);
    running_[port] = false;
  }
  stop_.leave();
  (void)status;  // nobody collects a port thread's result: the host learns through polls and notifications
}

uint32_t DmxDevice::StartPortThread(uint32_t port) {
  std::lock_guard<std::mutex> lock(threadMutex_);
  if (stop_.closed() || destroyed_) return DMX_ST_FORCED_EXIT;
  const uint8_t ep = endpoint_[port];
  if (running_[port] || ep == 0) return 0;
  if (threads_[port].joinable()) threads_[port].join();  // it has ended: its running flag is clear
  running_[port] = true;
  try {
    threads_[port] = std::thread([this, port, ep] {
      if ((ep & kEndpointIn) != 0) {
        Reader(port, ep);
      } else {
        Writer(port, ep);
      }
    });
  } catch (const std::system_error&) {
    running_[port] = false;
    return wdu::kNoResources;
  }
  return 0;
}

void DmxDevice::StopAndWaitLocked() {
  stop_.close();
  std::thread ending[2];
  {
    std::lock_guard<std::mutex> lock(threadMutex_);
    for (uint32_t p = 0; p < 2; ++p) ending[p] = std::move(threads_[p]);
  }
  for (auto& t : ending) {
    if (t.joinable()) t.join();
  }
  stop_.waitIdle();  // frame copies in progress finish; no new one starts while the flag is set
  for (uint32_t p = 0; p < 2; ++p) {
    received_[p] = consumed_[p].load();
    written_[p] = sent_[p].load();
  }
}

wdu::Status DmxDevice::ReadPortStatus(uint32_t port, uint16_t& counter) {
  std::array<uint8_t, kPortStatusSize> answer{};
  uint32_t done = 0;
  const wdu::Status st = BoxControlIn(handle_, kReqPortStatus, 0, static_cast<uint16_t>(port), answer.data(),
                                      static_cast<uint16_t>(answer.size()), &done);
  if (st != wdu::kSuccess) return st;
  const auto value = PortStatusCounter(std::span<const uint8_t>(answer.data(), done));
  if (!value) return wdu::kDeviceError;
  counter = *value;
  return wdu::kSuccess;
}

void DmxDevice::StoreInputFrame(uint32_t port, std::span<const uint8_t, kInputFrameSize> frame) {
  std::lock_guard<std::mutex> lock(bufferMutex_[port]);
  std::copy(frame.begin(), frame.end(), portBuffer_[port].begin());
  sys::putLE32(portBuffer_[port], kFrameTickOffset, sys::tickCount());
  received_[port].fetch_add(1);
}

void DmxDevice::Reader(uint32_t port, uint8_t endpoint) {
  if (!stop_.enter()) {
    std::lock_guard<std::mutex> lock(threadMutex_);
    running_[port] = false;  // refused: no user was taken, none is released
    return;
  }
  DebugPrint("!!!! Reader started u=%d dev=%lx", static_cast<int>(port),
             static_cast<unsigned long>(reinterpret_cast<uintptr_t>(this)));
  // Received here, and copied to the port buffer only as a whole frame: the host never sees half a
  // frame, and a resync packet never overwrites the last good one.
  std::array<uint8_t, kInputFrameSize> rx{};
  uint32_t readSize = kInputFrameSize;
  uint16_t last = 0;
  wdu::Status st = ReadPortStatus(port, last);
  if (st != wdu::kSuccess && st != wdu::kTimeout) return ThreadEnd(port, st);

  while (!stop_.closed()) {
    uint16_t counter = last;
    st = ReadPortStatus(port, counter);
    if (st != wdu::kSuccess && st != wdu::kTimeout) return ThreadEnd(port, st);
    if (counter == last && readSize == kInputFrameSize) {
      if (stop_.waitClosed(kIdlePollMs)) break;
      continue;
    }
    last = counter;
    uint32_t done = 0;
    st = WDU_TransferBulk(handle_, endpoint, true, 0, rx.data(), readSize, &done, kBulkTimeoutMs);
    if (st == wdu::kTimeout) {
      readSize = kInputFrameSize;
      continue;
    }
    if (st != wdu::kSuccess) return ThreadEnd(port, st);
    switch (ClassifyInputRead(std::span<const uint8_t>(rx.data(), done))) {
      case InputRead::CompleteFrame:
        StoreInputFrame(port, rx);
        Notify(port, kNotifyInputFrame);
        readSize = kInputFrameSize;
        continue;  // the next frame may be waiting already
      case InputRead::LastPacket:
        readSize = kInputFrameSize;
        break;
      case InputRead::ShortFrameStart:
      case InputRead::Other:
        readSize = kPacketSize;  // resync packet by packet up to a frame's last packet
        break;
    }
    if (stop_.waitClosed(kIdlePollMs)) break;
  }
  ThreadEnd(port, DMX_ST_FORCED_EXIT);
}

void DmxDevice::Writer(uint32_t port, uint8_t endpoint) {
  if (!stop_.enter()) {
    std::lock_guard<std::mutex> lock(threadMutex_);
    running_[port] = false;
    return;
  }
  DmxOutputFrame frame{};
  const auto pack = [&] {
    std::lock_guard<std::mutex> lock(bufferMutex_[port]);
    PackOutputFrame(std::span<const uint8_t, kDmxSlots>(portBuffer_[port].data(), kDmxSlots), frame);
  };
  pack();
  while (!stop_.closed()) {
    const uint32_t w = written_[port];
    if (w != sent_[port]) {
      pack();
      sent_[port] = w;
      Notify(port, kNotifyOutputTaken);
    } else if (sendOnChange_[port]) {
      // Nothing new to send: sleep until the host writes a frame or the port stops.
      stop_.waitClosedOr([&] { return written_[port] != sent_[port]; });
      continue;
    }
    const wdu::Status st = WDU_TransferBulk(handle_, endpoint, false, 0, frame.data(),
                                            static_cast<uint32_t>(frame.size()), nullptr, kBulkTimeoutMs);
    if (st != wdu::kSuccess) {
      DebugPrint("Writer error st=%lX u=%u pipe=%X", static_cast<unsigned long>(st), port, endpoint);
      stop_.close();  // the other port's thread ends too; stopped before the host hears of it
      Notify(st, kNotifyWriterFailed);
      return ThreadEnd(port, st);
    }
  }
  ThreadEnd(port, DMX_ST_FORCED_EXIT);
}

void DmxDevice::Notify(uintptr_t wParam, intptr_t lParam) {
  const uint32_t window = window_;
  if (window == 0) return;
  (void)ui::postMessageToProcess(window, message_, wParam, lParam);  // a window gone meanwhile takes nothing
}

// ---- Frame commands ----

uint32_t DmxDevice::Poll(uint32_t port) {
  if (stop_.closed()) return DMX_ST_FORCED_EXIT;
  bool running = false;
  {
    std::lock_guard<std::mutex> lock(threadMutex_);
    running = running_[port];
  }
  if (!running) return StartPortThread(port);
  if ((endpoint_[port] & kEndpointIn) == 0) return written_[port] == sent_[port] ? DMX_ST_DMX_DATA_READY : 0;
  return consumed_[port] != received_[port] ? DMX_ST_DMX_DATA_READY : 0;
}

uint32_t DmxDevice::WriteFrame(uint32_t port, const uint8_t* slots) {
  if (const uint32_t st = StartPortThread(port); st != 0) return st;
  if (!stop_.enter()) return DMX_ST_FORCED_EXIT;
  {
    std::lock_guard<std::mutex> lock(bufferMutex_[port]);
    std::memcpy(portBuffer_[port].data(), slots, kDmxSlots);
  }
  stop_.update([&] { written_[port].fetch_add(1); });  // wakes a writer that waits for it
  stop_.leave();
  return 0;
}

uint32_t DmxDevice::ReadFrame(uint32_t port, uint8_t* slots) {
  if (const uint32_t st = StartPortThread(port); st != 0) return st;
  if (!stop_.enter()) return DMX_ST_FORCED_EXIT;
  {
    std::lock_guard<std::mutex> lock(bufferMutex_[port]);
    (void)UnpackInputFrame(
        std::span<const uint8_t>(portBuffer_[port].data(), kInputFrameSize),
        std::span<uint8_t, kDmxSlots>(slots, kDmxSlots));  // the buffer holds a whole frame
    consumed_[port] = received_[port].load();
  }
  stop_.leave();
  return 0;
}

uint32_t DmxDevice::FrameTime(uint32_t port, uint32_t* tick) {
  std::lock_guard<std::mutex> lock(bufferMutex_[port]);
  writeOut(tick, sys::getLE32(portBuffer_[port], kFrameTickOffset));
  return 0;
}

// ---- Box requests ----

wdu::Status DmxDevice::SetDirections(uint32_t value) {
  std::lock_guard<std::mutex> command(commandMutex_);
  StopAndWaitLocked();
  if (value > 3) {  // only restarts input and output after a stop
    stop_.open();
    return wdu::kSuccess;
  }
  // The box counts port 0 in bit 1 of the setting, port 1 in bit 0.
  const uint32_t alt = ((value & 1) << 1) | ((value >> 1) & 1);
  wdu::Status st = WDU_SetInterface(handle_, interfaceNumber_, alt);
  if (st != wdu::kSuccess) return st;
  altSetting_ = alt;
  uint8_t ep[2] = {0, 0};
  for (uint16_t port = 0; port < 2; ++port) {
    const uint32_t inputBit = port == 0 ? 2 : 1;
    st = BoxControlInExact(handle_, (alt & inputBit) != 0 ? kReqEndpoint : kReqEndpointAlt, 0, port,
                           &ep[port], 1);
    if (st != wdu::kSuccess) return st;  // the ports stay stopped
    endpoint_[port] = ep[port];
  }
  stop_.open();
  return wdu::kSuccess;
}

wdu::Status DmxDevice::SetName(const char* name) {
  std::array<char, kNameSize> block{};
  for (size_t i = 0; i < block.size() && name[i] != '\0'; ++i) block[i] = name[i];
  std::lock_guard<std::mutex> command(commandMutex_);
  const wdu::Status st = BoxControlOut(handle_, kReqName, 0, 0, block.data(), kNameSize);
  if (st != wdu::kSuccess) return st;  // the box kept its old name: so do we
  block[kNameSize - 1] = '\0';
  name_ = block;
  return st;
}

wdu::Status DmxDevice::Identify(uint32_t level) {
  const uint32_t b = level & 0xFF;
  const uint32_t brightness = b > 127 ? 0xFF : 2 * b;
  const auto index = static_cast<uint16_t>((b != 0 ? 1 : 0) | (brightness << 8));
  return BoxControlOut(handle_, kReqIdentify, 0, index, nullptr, 0);
}

wdu::Status DmxDevice::RawBulk(int32_t value, void* data) {
  if (value == INT32_MIN) return wdu::kInvalidParameter;  // no length has that magnitude
  const uint32_t port = value < 0 ? 1 : 0;
  const auto length = static_cast<uint32_t>(value < 0 ? -value : value);
  std::lock_guard<std::mutex> command(commandMutex_);  // no endpoint change under the transfer
  const uint8_t ep = endpoint_[port];
  if (ep == 0) return wdu::kInvalidParameter;
  return WDU_TransferBulk(handle_, ep, false, 0, data, length, nullptr, kRawBulkTimeoutMs);
}

wdu::Status DmxDevice::PageRequest(bool write, int32_t page, uint8_t* data) {
  const auto wValue = static_cast<uint16_t>(static_cast<uint32_t>(page) & kPageMask);
  return write ? BoxControlOut(handle_, kReqPage, wValue, 0, data, kPageSize)
               : BoxControlInExact(handle_, kReqPage, wValue, 0, data, kPageSize);
}

wdu::Status DmxDevice::BlockRequest(bool write, int32_t block, uint8_t* data) {
  const int32_t first = (block % kBlockCount) * kPagesPerBlock;  // keeps the sign of block
  // A read gathers the pages in a block of its own and hands over only a whole one: a page that fails
  // or comes short leaves the host's buffer as it was.
  std::array<uint8_t, static_cast<size_t>(kPagesPerBlock) * kPageSize> read{};
  uint8_t* pages = write ? data : read.data();
  for (int32_t i = 0; i < kPagesPerBlock; ++i) {
    const wdu::Status st = PageRequest(write, first + i, pages + static_cast<size_t>(i) * kPageSize);
    if (st != wdu::kSuccess) return st;
    if (write) sys::sleepMs(kBlockPageWriteMs);  // the box writes the page to its memory meanwhile
  }
  if (!write) std::memcpy(data, read.data(), read.size());
  return wdu::kSuccess;
}

// ---- The command table ----

uint32_t DmxDevice::DeviceCommand(uint32_t command, int32_t value, void* data) {
  const uint32_t port = portOf(value);
  const uint32_t number = numberIn(data);
  const auto u = static_cast<uint32_t>(value);
  auto* bytes = static_cast<uint8_t*>(data);
  // E0-E2 requests: wValue in bits 16-23 (E1: 16-31), the length in bits 0-15.
  const auto eValue = static_cast<uint16_t>((u >> 16) & 0xFF);
  const auto eLength = static_cast<uint16_t>(u & 0xFFFF);
  const auto messageLength = static_cast<uint16_t>(u & kMessageLengthMask);

  switch (command) {
    case DMX_CMD_STOP_IO: {
      std::lock_guard<std::mutex> lock(commandMutex_);
      StopAndWaitLocked();
      return 0;
    }
    case DMX_CMD_POLL:
      return Poll(port);
    case DMX_CMD_WRITE_FRAME:
      return data ? WriteFrame(port, bytes) : DMX_ST_NULL_POINTER;
    case DMX_CMD_READ_FRAME:
      return data ? ReadFrame(port, bytes) : DMX_ST_NULL_POINTER;
    case DMX_CMD_GET_FRAME_TIME:
      return data ? FrameTime(port, static_cast<uint32_t*>(data)) : DMX_ST_NULL_POINTER;

    case DMX_CMD_SET_MODE4_PERIOD:
      return SetPortMode(port, static_cast<uint16_t>(65536 - number), 4);
    case DMX_CMD_SET_MODE0_VALUE:
      return SetPortMode(port, static_cast<uint16_t>(number), 0);
    case DMX_CMD_SET_MODE1_PERIOD:
      return SetPortMode(port, static_cast<uint16_t>(65536 - number), 1);
    case DMX_CMD_SET_MODE2_PERIOD:
      return SetPortMode(port, static_cast<uint16_t>(65536 - number), 2);
    case DMX_CMD_SET_MODE3_PERIOD:
      return SetPortMode(port, static_cast<uint16_t>(65536 - number), 3);
    case DMX_CMD_SET_MODE16:
      return SetPortMode(port, 0, 0x10);
    case DMX_CMD_SET_MODE17:
      return SetPortMode(port, 0, 0x11);
    case DMX_CMD_SET_MODE32:
      return SetPortMode(port, 0, 0x20);
    case DMX_CMD_SET_MODE33:
      return SetPortMode(port, 0, 0x21);

    case DMX_CMD_SET_NOTIFY:
      message_ = u;
      window_ = number;
      return 0;
    case DMX_CMD_SET_NAME:
      return data ? SetName(static_cast<const char*>(data)) : DMX_ST_NULL_POINTER;
    case DMX_CMD_SET_AUX_FLAG:
      auxFlag_ = value != 0;
      return 0;
    case DMX_CMD_RAW_BULK:
      return data || value == 0 ? RawBulk(value, data) : DMX_ST_NULL_POINTER;
    case DMX_CMD_SET_DIRECTIONS:
      return SetDirections(u);
    case DMX_CMD_GET_DIRECTIONS:
      if (!data) return DMX_ST_NULL_POINTER;
      writeOut<uint32_t>(data, altSetting_ & 3);
      return 0;

    case DMX_CMD_WRITE_PAGE:
    case DMX_CMD_READ_PAGE:
      return data ? PageRequest(command == DMX_CMD_WRITE_PAGE, value, bytes) : DMX_ST_NULL_POINTER;
    case DMX_CMD_WRITE_BLOCK:
    case DMX_CMD_READ_BLOCK:
      return data ? BlockRequest(command == DMX_CMD_WRITE_BLOCK, value, bytes) : DMX_ST_NULL_POINTER;
    case DMX_CMD_READ_MESSAGE:
      if (!data && messageLength > 0) return DMX_ST_NULL_POINTER;
      sys::sleepMs(kMessageReadDelayMs);  // the box needs the time to put its answer together
      return BoxControlIn(handle_, kReqMessage, 0, 0, data, messageLength);
    case DMX_CMD_WRITE_MESSAGE:
      if (!data && messageLength > 0) return DMX_ST_NULL_POINTER;
      return BoxControlOut(handle_, kReqMessage, 0, 0, data, messageLength);
    case DMX_CMD_READ_STATUS3:
      return data ? BoxControlInExact(handle_, kReqStatus3, 0, 0, data, kStatus3Size) : DMX_ST_NULL_POINTER;
    case DMX_CMD_WRITE_E0:
    case DMX_CMD_WRITE_E1:
    case DMX_CMD_WRITE_E2:
    case DMX_CMD_READ_E0:
    case DMX_CMD_READ_E1:
    case DMX_CMD_READ_E2: {
      if (!data && eLength > 0) return DMX_ST_NULL_POINTER;
      const bool write =
          command == DMX_CMD_WRITE_E0 || command == DMX_CMD_WRITE_E1 || command == DMX_CMD_WRITE_E2;
      const uint8_t request = command <= DMX_CMD_READ_E0   ? kReqE0
                              : command <= DMX_CMD_READ_E1 ? kReqE1
                                                           : kReqE2;
      const uint16_t wValue = request == kReqE1 ? static_cast<uint16_t>(u >> 16) : eValue;
      return write ? BoxControlOut(handle_, request, wValue, 0, data, eLength)
                   : BoxControlIn(handle_, request, wValue, 0, data, eLength);
    }

    case DMX_CMD_SET_PORT_PARAM:
      portNumber_[port] = number & kPortNumberMask;
      return 0;
    case DMX_CMD_GET_NAME:
      if (!data) return DMX_ST_NULL_POINTER;
      writeOut<const char*>(data, name_.data());
      return 0;
    case DMX_CMD_GET_NOTIFY:
      if (!data) return DMX_ST_NULL_POINTER;
      writeOut<uint32_t>(data, window_);
      return 0;
    case DMX_CMD_IDENTIFY:
      return Identify(u);
    case DMX_CMD_GET_FIRMWARE_VERSION:
      if (!data) return DMX_ST_NULL_POINTER;
      writeOut<uint16_t>(data, firmwareVersion_);
      return 0;
    case DMX_CMD_WRITE_CONFIG:
      return data ? BoxControlOut(handle_, kReqConfig, 0, 0, data, kConfigBlockSize) : DMX_ST_NULL_POINTER;
    case DMX_CMD_READ_CONFIG:
      // Hosts write the block back as they read it: a short answer must not pass for the box's block.
      return data ? BoxControlInExact(handle_, kReqConfig, 0, 0, data, kConfigBlockSize)
                  : DMX_ST_NULL_POINTER;
    default:
      return DMX_ST_UNKNOWN_COMMAND;
  }
}

}  // namespace quillon
