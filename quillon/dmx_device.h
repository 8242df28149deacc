// One attached USB-DMX box: its two ports with their reader and writer threads, the frame commands,
// the device commands that become box requests, and the notifications it posts to the host.
//
// Created by the attach handler and owned by Connection_watch (connection_watch.h). A device command
// runs on the host's thread while the command's caller holds a reference, so the object outlives a
// detach that happens meanwhile; a destroyed device starts no thread again.
//
// Locks, outermost first: the command mutex (commands that stop the ports or change endpoints, the
// port mode, the name; stop-and-wait runs under it), the thread mutex (start and end of port threads),
// the stop gate's lock (stop flag, active users, and the wake-up of waiting port threads), the buffer
// mutex of a port (its port buffer and its received count).
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <span>
#include <thread>

#include "platform/wdu/wdu.h"
#include "quillon/dmx_frames.h"
#include "quillon/user_gate.h"

namespace quillon {

class DmxDevice {
 public:
  static constexpr uint32_t kPortBufferSize = 1024;
  static constexpr size_t kFrameTickOffset = 1020;  // input ports: tick of the last complete frame
  static constexpr uint32_t kAttachAltSetting = 3;
  static constexpr uint32_t kDefaultPortNumber = 30;
  static constexpr uint32_t kPortNumberMask = 0x1FF;
  static constexpr uint8_t kPortModeOpen = 0x20;
  static constexpr uint8_t kPortModeSendOnChange = 0x10;
  static constexpr uint32_t kBulkTimeoutMs = 1000;
  // Raw bulk transfers (command 25) get this time-out: the host's "no limit" would let a silent box
  // hold the calling thread forever.
  static constexpr uint32_t kRawBulkTimeoutMs = 5000;
  static constexpr uint32_t kIdlePollMs = 10;         // between port status requests while nothing changes
  static constexpr uint32_t kBlockPageWriteMs = 100;  // after each page of a block write
  static constexpr uint32_t kMessageReadDelayMs = 20;

  // DmxDevice.Create: a box with its handle, interface, firmware version (bcdDevice) and name (the
  // 16 bytes it answered; cut to 15 characters and a NUL).
  DmxDevice(wdu::DeviceHandle handle, uint32_t interfaceNumber, uint16_t firmwareVersion,
            std::span<const uint8_t, 16> name);
  ~DmxDevice();  // stops and joins any port thread left
  DmxDevice(const DmxDevice&) = delete;
  DmxDevice& operator=(const DmxDevice&) = delete;

  wdu::DeviceHandle handle() const { return handle_; }
  const char* name() const { return name_.data(); }
  void SetEndpoints(uint8_t port0, uint8_t port1);

  // Guarded by the devices mutex of Connection_watch.
  bool open = false;

  // Identify off, both ports stopped and their threads joined. The stop flag stays set.
  void Close();
  // The device is gone (detached, refused or shut down): no thread starts again; posts (0, 4).
  void Destroy();

  // Port mode request (commands 7-15 and the two of every open): stops the ports first.
  wdu::Status SetPortMode(uint32_t port, uint16_t value, uint8_t mode);

  // Every command Connection_watch does not answer itself.
  uint32_t DeviceCommand(uint32_t command, int32_t value, void* data);

 private:
  // ---- ports and threads ----
  uint32_t StartPortThread(uint32_t port);
  void StopAndWaitLocked();  // under commandMutex_
  void ThreadEnd(uint32_t port, wdu::Status status);
  void Reader(uint32_t port, uint8_t endpoint);
  void Writer(uint32_t port, uint8_t endpoint);
  wdu::Status ReadPortStatus(uint32_t port, uint16_t& counter);
  void StoreInputFrame(uint32_t port, std::span<const uint8_t, kInputFrameSize> frame);
  void Notify(uintptr_t wParam, intptr_t lParam);

  uint32_t Poll(uint32_t port);
  uint32_t WriteFrame(uint32_t port, const uint8_t* slots);
  uint32_t ReadFrame(uint32_t port, uint8_t* slots);
  uint32_t FrameTime(uint32_t port, uint32_t* tick);

  // ---- box requests ----
  wdu::Status SetDirections(uint32_t value);
  wdu::Status SetName(const char* name);
  wdu::Status Identify(uint32_t level);
  wdu::Status RawBulk(int32_t value, void* data);
  wdu::Status PageRequest(bool write, int32_t page, uint8_t* data);
  wdu::Status BlockRequest(bool write, int32_t block, uint8_t* data);

  const wdu::DeviceHandle handle_;
  const uint32_t interfaceNumber_;
  const uint16_t firmwareVersion_;
  std::array<char, 16> name_{};  // changed under commandMutex_; command 46 hands out its address

  std::atomic<bool> sendOnChange_[2] = {false, false};
  std::atomic<uint32_t> portNumber_[2] = {kDefaultPortNumber, kDefaultPortNumber};
  std::atomic<uint8_t> endpoint_[2] = {0, 0};
  std::atomic<uint32_t> altSetting_{kAttachAltSetting};
  std::atomic<bool> auxFlag_{false};
  std::atomic<uint32_t> message_{0};
  std::atomic<uint32_t> window_{0};

  // Frame counters: received (reader, under the buffer mutex), consumed (host), written (host), sent
  // (writer); stop-and-wait evens them out once no thread is left.
  std::atomic<uint32_t> received_[2] = {0, 0};
  std::atomic<uint32_t> consumed_[2] = {0, 0};
  std::atomic<uint32_t> written_[2] = {0, 0};
  std::atomic<uint32_t> sent_[2] = {0, 0};

  std::mutex commandMutex_;

  std::mutex threadMutex_;
  std::thread threads_[2];
  bool running_[2] = {false, false};
  bool destroyed_ = false;

  // The stop flag (closed) with the active users: port threads running and frame copies in progress.
  // Port threads also wait on it for a new frame to send.
  UserGate stop_;

  std::mutex bufferMutex_[2];
  std::array<uint8_t, kPortBufferSize> portBuffer_[2] = {};
};

}  // namespace quillon
