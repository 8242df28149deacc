// The simulated USB bus: the backend the USB layer loads, and the control tests script it with.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/wdu/backend.h"
#include "sim/usb/sim_ezusb.h"
#include "sim/usb/sim_usb.h"

namespace simusb::detail {

class Bus final : public wdu::Backend, public Control {
 public:
  Bus() = default;
  Bus(const Bus&) = delete;
  Bus& operator=(const Bus&) = delete;

  // wdu::Backend
  void addListener(wdu::BackendListener* listener) override;
  void removeListener(wdu::BackendListener* listener) override;
  wdu::Status deviceInfo(wdu::BackendDeviceId id, wdu::DeviceInfo& info) override;
  wdu::Status setInterface(wdu::BackendDeviceId id, uint8_t interfaceNumber,
                           uint8_t alternateSetting) override;
  wdu::Status control(wdu::BackendDeviceId id, const uint8_t setup[8], uint8_t* data, uint32_t& done,
                      uint32_t timeoutMs) override;
  wdu::Status bulk(wdu::BackendDeviceId id, uint8_t endpoint, uint8_t* data, uint32_t len, uint32_t& done,
                   uint32_t timeoutMs) override;
  void release(wdu::BackendDeviceId id) override;

  // Control
  void reset() override;
  void setTimeSource(TimeSource* source) override;
  uint32_t plug(std::shared_ptr<Device> device) override;
  bool unplug(uint32_t address) override;
  std::vector<uint32_t> addresses() const override;
  std::shared_ptr<Device> device(uint32_t address) const override;
  void setLatencyMs(uint32_t ms) override;
  void injectFault(uint32_t address, const FaultSpec& fault) override;
  void clearFaults(uint32_t address) override;
  std::vector<TransferRecord> transfers() const override;
  void clearTransfers() override;
  void setTransferLog(bool enabled, size_t limit) override;
  uint32_t waitingTransfers(uint32_t address) const override;
  bool waitForWaitingTransfers(uint32_t address, uint32_t count, uint32_t realTimeoutMs) override;
  std::shared_ptr<SimDmxBox> newDmxBox(const DmxBoxConfig& config) override;
  std::vector<std::string> plugFromSpec(const std::string& spec) override;
  std::shared_ptr<SimEzUsb> newEzUsb(const EzUsbConfig& config) override;

 private:
  // Entries of plugFromSpec.
  std::optional<std::string> plugDmxBox(const std::string& entry);
  std::shared_ptr<SimEzUsb> chipFromSpec(const std::string& entry, ChipKind kind,
                                         std::vector<std::string>& errors);
  void addBoardFromSpec(const std::string& entry, const std::shared_ptr<SimEzUsb>& chip,
                        std::vector<std::string>& errors);

  struct Slot;
  class Deadline;
  enum class Wait { Again, Unplugged, TimedOut };

  uint32_t now() const;
  std::shared_ptr<Slot> find(wdu::BackendDeviceId id) const;
  // Waits (counted as waiting) for ms of bus time; false if the device went meanwhile.
  bool pause(Slot& slot, uint32_t ms);
  // After a pending answer: waits as it asks, within the deadline.
  Wait waitAfterPending(Slot& slot, const Reply& reply, uint64_t wakeSeq, const Deadline& deadline);
  // Waits until the device is unplugged (a time-out that never ends).
  void waitUnplugged(Slot& slot);
  // Asks the device (attempt runs under its lock) until it answers, is unplugged or time runs out.
  template <typename Attempt>
  wdu::Status exchange(Slot& slot, const Deadline& deadline, Attempt&& attempt, Reply& reply);
  void wakeSlot(Slot& slot);
  // Latency and injected faults before the device sees the transfer. Answers true when the
  // transfer is over (status set); shortCap gets the cap of a short-read fault.
  bool beforeDevice(Slot& slot, uint8_t pipe, int request, bool in, const Deadline& deadline,
                    wdu::Status& status, uint32_t& shortCap);
  void log(TransferRecord record);

  mutable std::mutex m_;
  std::condition_variable waitingChanged_;
  std::map<uint32_t, std::shared_ptr<Slot>> slots_;
  uint32_t nextAddress_ = 1;
  uint32_t latencyMs_ = 0;
  std::atomic<TimeSource*> time_{nullptr};
  bool logEnabled_ = true;
  size_t logLimit_ = 100000;
  std::deque<TransferRecord> log_;

  // Serialises listener calls with the changes they report (taken before m_).
  std::mutex listenerMutex_;
  std::vector<wdu::BackendListener*> listeners_;
};

}  // namespace simusb::detail
