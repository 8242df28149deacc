#include "fuzz/d2xx/fuzz_d2xx.h"

#include <dlfcn.h>

#include <algorithm>
#include <deque>
#include <optional>

#include "platform/d2xx/d2xx.h"

#define FUZZ_D2XX_EXPORT __attribute__((visibility("default")))

namespace {

// One handle: the box is always there and always the only device.
FT_HANDLE const kHandle = reinterpret_cast<FT_HANDLE>(0x5A1);

constexpr uint8_t kFailQueueStatus = 1;
constexpr uint8_t kShortRead = 2;
constexpr uint8_t kFailWrite = 4;
constexpr uint8_t kFailRead = 8;
constexpr uint8_t kFailOpen = 16;

struct Forward {
  void* library = nullptr;
  PFN_FT_ListDevices listDevices = nullptr;
  PFN_FT_Open open = nullptr;
  PFN_FT_Write write = nullptr;
  PFN_FT_GetQueueStatus queueStatus = nullptr;
  PFN_FT_Read read = nullptr;
  PFN_FT_Purge purge = nullptr;
  PFN_FT_Close close = nullptr;
};

class Box : public fuzzd2xx::Control {
 public:
  void replay(const uint8_t* data, size_t size) override {
    stream_.assign(data, data + size);
    pos_ = 0;
    rx_.clear();
    pending_.clear();
    faults_ = 0;
    open_ = false;
    writes_.clear();
  }

  bool record(const char* libraryPath) override {
    Forward f;
    f.library = dlopen(libraryPath, RTLD_NOW | RTLD_LOCAL);
    if (f.library == nullptr) return false;
    f.listDevices = reinterpret_cast<PFN_FT_ListDevices>(dlsym(f.library, "FT_ListDevices"));
    f.open = reinterpret_cast<PFN_FT_Open>(dlsym(f.library, "FT_Open"));
    f.write = reinterpret_cast<PFN_FT_Write>(dlsym(f.library, "FT_Write"));
    f.queueStatus = reinterpret_cast<PFN_FT_GetQueueStatus>(dlsym(f.library, "FT_GetQueueStatus"));
    f.read = reinterpret_cast<PFN_FT_Read>(dlsym(f.library, "FT_Read"));
    f.purge = reinterpret_cast<PFN_FT_Purge>(dlsym(f.library, "FT_Purge"));
    f.close = reinterpret_cast<PFN_FT_Close>(dlsym(f.library, "FT_Close"));
    if (!f.listDevices || !f.open || !f.write || !f.queueStatus || !f.read || !f.purge || !f.close)
      return false;
    forward_ = f;
    recorded_.clear();
    writes_.clear();
    return true;
  }

  std::vector<uint8_t> takeRecorded() override {
    std::vector<uint8_t> out;
    for (const auto& chunk : recorded_) {
      const size_t n = std::min<size_t>(chunk.size(), 255);
      out.push_back(0);
      out.push_back(0);
      out.push_back(static_cast<uint8_t>(n));
      out.insert(out.end(), chunk.begin(), chunk.begin() + static_cast<std::ptrdiff_t>(n));
    }
    recorded_.clear();
    return out;
  }

  void setTickSource(uint32_t (*tick)(void*), void* context) override {
    tick_ = tick;
    tickContext_ = context;
  }

  const std::vector<std::vector<uint8_t>>& writes() override { return writes_; }

  // ---- the D2XX calls ----

  FT_STATUS listDevices(void* arg1, void* arg2, uint32_t flags) {
    if (forward_) return forward_->listDevices(arg1, arg2, flags);
    if ((flags & FT_LIST_NUMBER_ONLY) == 0 || arg1 == nullptr) return FT_INVALID_ARGS;
    *static_cast<uint32_t*>(arg1) = 1;
    return FT_OK;
  }

  FT_STATUS open(int index, FT_HANDLE* handle) {
    if (forward_) return forward_->open(index, handle);
    if (handle == nullptr) return FT_INVALID_ARGS;
    if (take(kFailOpen)) return FT_DEVICE_NOT_OPENED;
    if (index != 0) return FT_DEVICE_NOT_FOUND;
    open_ = true;
    *handle = kHandle;
    return FT_OK;
  }

  FT_STATUS close(FT_HANDLE handle) {
    if (forward_) return forward_->close(handle);
    if (!valid(handle)) return FT_INVALID_HANDLE;
    open_ = false;
    return FT_OK;
  }

  FT_STATUS write(FT_HANDLE handle, void* buffer, uint32_t count, uint32_t* written) {
    if (written != nullptr) *written = 0;
    if (buffer == nullptr && count > 0) return FT_INVALID_ARGS;
    const auto* bytes = static_cast<const uint8_t*>(buffer);
    writes_.emplace_back(bytes, bytes + count);
    if (forward_) {
      recorded_.emplace_back();
      return forward_->write(handle, buffer, count, written);
    }
    if (!valid(handle)) return FT_INVALID_HANDLE;
    if (take(kFailWrite)) return FT_IO_ERROR;
    if (written != nullptr) *written = count;
    nextChunk();
    return FT_OK;
  }

  FT_STATUS queueStatus(FT_HANDLE handle, uint32_t* rxBytes) {
    if (forward_) return forward_->queueStatus(handle, rxBytes);
    if (!valid(handle)) return FT_INVALID_HANDLE;
    if (rxBytes == nullptr) return FT_INVALID_ARGS;
    if (take(kFailQueueStatus)) return FT_IO_ERROR;
    arrive();
    *rxBytes = static_cast<uint32_t>(rx_.size());
    return FT_OK;
  }

  FT_STATUS read(FT_HANDLE handle, void* buffer, uint32_t count, uint32_t* got) {
    if (got != nullptr) *got = 0;
    if (buffer == nullptr && count > 0) return FT_INVALID_ARGS;
    // The driver may fill every byte it is asked for: the caller's buffer must hold them.
    if (count > 0) {
      volatile const uint8_t last = static_cast<const uint8_t*>(buffer)[count - 1];
      (void)last;
    }
    if (forward_) {
      uint32_t n = 0;
      const FT_STATUS st = forward_->read(handle, buffer, count, &n);
      if (got != nullptr) *got = n;
      if (st == FT_OK && n > 0) {
        if (recorded_.empty()) recorded_.emplace_back();
        const auto* bytes = static_cast<const uint8_t*>(buffer);
        recorded_.back().insert(recorded_.back().end(), bytes, bytes + n);
      }
      return st;
    }
    if (!valid(handle)) return FT_INVALID_HANDLE;
    if (take(kFailRead)) return FT_IO_ERROR;
    arrive();
    size_t n = std::min<size_t>(count, rx_.size());
    if (n > 0 && take(kShortRead)) --n;
    auto* out = static_cast<uint8_t*>(buffer);
    for (size_t i = 0; i < n; ++i) {
      out[i] = rx_.front();
      rx_.pop_front();
    }
    if (got != nullptr) *got = static_cast<uint32_t>(n);
    return FT_OK;
  }

  FT_STATUS purge(FT_HANDLE handle, uint32_t mask) {
    if (forward_) return forward_->purge(handle, mask);
    if (!valid(handle)) return FT_INVALID_HANDLE;
    if (mask & FT_PURGE_RX) rx_.clear();
    return FT_OK;
  }

  FT_STATUS check(FT_HANDLE handle) const { return forward_ || valid(handle) ? FT_OK : FT_INVALID_HANDLE; }

 private:
  struct Pending {
    uint32_t due;
    uint8_t byte;
  };

  bool valid(FT_HANDLE handle) const { return open_ && handle == kHandle; }
  uint32_t now() const { return tick_ ? tick_(tickContext_) : 0; }

  // Takes a pending fault once.
  bool take(uint8_t fault) {
    if ((faults_ & fault) == 0) return false;
    faults_ = static_cast<uint8_t>(faults_ & ~fault);
    return true;
  }

  uint8_t streamByte() { return pos_ < stream_.size() ? stream_[pos_++] : 0; }

  void nextChunk() {
    if (pos_ >= stream_.size()) return;
    const uint8_t timing = streamByte();
    faults_ = static_cast<uint8_t>(faults_ | streamByte());
    const size_t length = streamByte();
    const uint32_t first = now() + fuzzd2xx::kDelaysMs[timing & 7];
    const uint32_t rest = first + fuzzd2xx::kDelaysMs[(timing >> 3) & 7];
    for (size_t i = 0; i < length && pos_ < stream_.size(); ++i)
      pending_.push_back({i == 0 ? first : rest, streamByte()});
  }

  // Bytes whose time has come join the queue, in order.
  void arrive() {
    const uint32_t t = now();
    while (!pending_.empty() && static_cast<int32_t>(t - pending_.front().due) >= 0) {
      rx_.push_back(pending_.front().byte);
      pending_.pop_front();
    }
  }

  std::vector<uint8_t> stream_;
  size_t pos_ = 0;
  std::deque<uint8_t> rx_;
  std::deque<Pending> pending_;
  uint8_t faults_ = 0;
  bool open_ = false;
  std::vector<std::vector<uint8_t>> writes_;
  std::optional<Forward> forward_;
  std::vector<std::vector<uint8_t>> recorded_;
  uint32_t (*tick_)(void*) = nullptr;
  void* tickContext_ = nullptr;
};

Box& box() {
  static Box instance;
  return instance;
}

}  // namespace

extern "C" {

FUZZ_D2XX_EXPORT fuzzd2xx::Control* FuzzD2xxControl() {
  return &box();
}

FUZZ_D2XX_EXPORT FT_STATUS FT_ListDevices(void* arg1, void* arg2, uint32_t flags) {
  return box().listDevices(arg1, arg2, flags);
}
FUZZ_D2XX_EXPORT FT_STATUS FT_Open(int deviceIndex, FT_HANDLE* handle) {
  return box().open(deviceIndex, handle);
}
FUZZ_D2XX_EXPORT FT_STATUS FT_Close(FT_HANDLE handle) {
  return box().close(handle);
}
FUZZ_D2XX_EXPORT FT_STATUS FT_Write(FT_HANDLE handle, void* buffer, uint32_t count, uint32_t* written) {
  return box().write(handle, buffer, count, written);
}
FUZZ_D2XX_EXPORT FT_STATUS FT_Read(FT_HANDLE handle, void* buffer, uint32_t count, uint32_t* got) {
  return box().read(handle, buffer, count, got);
}
FUZZ_D2XX_EXPORT FT_STATUS FT_GetQueueStatus(FT_HANDLE handle, uint32_t* rxBytes) {
  return box().queueStatus(handle, rxBytes);
}
FUZZ_D2XX_EXPORT FT_STATUS FT_Purge(FT_HANDLE handle, uint32_t mask) {
  return box().purge(handle, mask);
}
// Bound by the link, never called: they only have to exist.
FUZZ_D2XX_EXPORT FT_STATUS FT_GetBitMode(FT_HANDLE handle, uint8_t*) {
  return box().check(handle);
}
FUZZ_D2XX_EXPORT FT_STATUS FT_SetBitMode(FT_HANDLE handle, uint8_t, uint8_t) {
  return box().check(handle);
}
FUZZ_D2XX_EXPORT FT_STATUS FT_ResetDevice(FT_HANDLE handle) {
  return box().check(handle);
}
FUZZ_D2XX_EXPORT FT_STATUS FT_SetBaudRate(FT_HANDLE handle, uint32_t) {
  return box().check(handle);
}
FUZZ_D2XX_EXPORT FT_STATUS FT_EE_Read(FT_HANDLE handle, void*) {
  return box().check(handle);
}
FUZZ_D2XX_EXPORT FT_STATUS FT_EE_Program(FT_HANDLE handle, void*) {
  return box().check(handle);
}
FUZZ_D2XX_EXPORT FT_STATUS FT_EraseEE(FT_HANDLE handle) {
  return box().check(handle);
}

}  // extern "C"
