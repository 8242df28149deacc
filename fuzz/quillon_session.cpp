#include "fuzz/quillon_session.h"

#include <dlfcn.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "quillon/quillon.h"

namespace fuzzquillon {

namespace {

using namespace quillon;

constexpr uint8_t kRequestConfig = 0x01;
constexpr uint8_t kRequestEndpoint = 0x11;
constexpr uint8_t kRequestEndpointAlt = 0x12;

// A host buffer of exactly n bytes (the sanitizer sees any byte past it), filled with a pattern.
class Buffer {
 public:
  Buffer(size_t n, uint8_t fill) : size_(n), bytes_(new uint8_t[n]) { std::fill_n(bytes_.get(), n, fill); }
  uint8_t* data() { return bytes_.get(); }
  const uint8_t* data() const { return bytes_.get(); }
  size_t size() const { return size_; }

 private:
  size_t size_;
  std::unique_ptr<uint8_t[]> bytes_;
};

void checkStatus(unsigned status, unsigned command) {
  FUZZ_CHECK(status < DMX_ST_NO_DEVICE || status <= DMX_ST_SHORT_ANSWER,
             "command " + std::to_string(command) + " answered an undocumented status");
}

struct Session {
  Entry q;
  fuzzusb::Control& bus;
  uint8_t id;
  uint16_t bcdDevice;

  unsigned call(unsigned command, int value, void* data) {
    const unsigned status = q(command, id, value, data);
    checkStatus(status, command);
    return status;
  }
  void* number(uintptr_t n) { return reinterpret_cast<void*>(n); }

  void checkName() {
    const char* name = nullptr;
    if (call(DMX_CMD_GET_NAME, 0, &name) != 0) return;
    FUZZ_CHECK(name != nullptr && strnlen(name, 16) <= 15, "the name is at most 15 characters and a NUL");
  }

  // A read of fixed size that fails, or comes short, leaves the host's buffer as it was.
  static void checkUntouched(const Buffer& buffer, unsigned command) {
    FUZZ_CHECK(std::all_of(buffer.data(), buffer.data() + buffer.size(), [](uint8_t b) { return b == 0xEE; }),
               "command " + std::to_string(command) + " failed and still wrote into the host's buffer");
  }

  void checkConfigRead() {
    Buffer block(16, 0xEE);
    if (call(DMX_CMD_READ_CONFIG, 0, block.data()) != 0) return checkUntouched(block, DMX_CMD_READ_CONFIG);
    const auto transfers = bus.transfers();
    FUZZ_CHECK(!transfers.empty(), "a block read reached the box");
    const fuzzusb::Transfer& t = transfers.back();
    FUZZ_CHECK(t.setup[0] == 0xC0 && t.setup[1] == kRequestConfig, "the block read is request 1");
    FUZZ_CHECK(t.data.size() == block.size() && std::equal(t.data.begin(), t.data.end(), block.data()),
               "the block comes through as the box sent it");
  }

  // E0 to E2: value bits 16-23 (16-31 for E1) the value, bits 0-15 the length of the host's buffer.
  void vendorE(bool in, uint8_t a, uint8_t b) {
    const unsigned command = (in ? DMX_CMD_READ_E0 : DMX_CMD_WRITE_E0) + 2 * (a % 3);
    const size_t length = (static_cast<size_t>(a) * b) % 300;
    Buffer buffer(length, b);
    call(command, static_cast<int>((static_cast<unsigned>(b) << 16) | length), buffer.data());
  }

  void run(uint8_t code, uint8_t a, uint8_t b) {
    switch (code % 18) {
      case 0: {
        Buffer name(16, static_cast<uint8_t>('A' + a % 26));
        name.data()[b % 20 < 16 ? b % 20 : 15] = 0;
        call(DMX_CMD_SET_NAME, 0, name.data());
        checkName();
        break;
      }
      case 1:
        checkName();
        break;
      case 2:
        checkConfigRead();
        break;
      case 3: {
        Buffer block(16, a);
        call(DMX_CMD_WRITE_CONFIG, 0, block.data());
        break;
      }
      case 4: {
        Buffer page(64, 0xEE);
        if (call(DMX_CMD_READ_PAGE, a | (b << 8), page.data()) != 0) checkUntouched(page, DMX_CMD_READ_PAGE);
        break;
      }
      case 5: {
        Buffer page(64, a);
        call(DMX_CMD_WRITE_PAGE, b, page.data());
        break;
      }
      case 6: {
        Buffer block(512, 0xEE);
        if (call(DMX_CMD_READ_BLOCK, static_cast<int8_t>(a), block.data()) != 0)
          checkUntouched(block, DMX_CMD_READ_BLOCK);
        break;
      }
      case 7: {
        Buffer status(3, 0xEE);
        if (call(DMX_CMD_READ_STATUS3, 0, status.data()) != 0) checkUntouched(status, DMX_CMD_READ_STATUS3);
        break;
      }
      case 8:
        vendorE(true, a, b);
        break;
      case 9:
        vendorE(false, a, b);
        break;
      case 10: {
        Buffer message(a & 15, b);
        call(DMX_CMD_WRITE_MESSAGE, a, message.data());
        break;
      }
      case 11: {
        call(DMX_CMD_SET_DIRECTIONS, a % 6, nullptr);
        uint32_t directions = 0xEEEEEEEE;
        if (call(DMX_CMD_GET_DIRECTIONS, 0, &directions) == 0)
          FUZZ_CHECK(directions <= 3, "the directions are two bits");
        break;
      }
      case 12:
        call(DMX_CMD_SET_MODE4_PERIOD + a % 9, b & 1, number(static_cast<uintptr_t>(b) * 100));
        break;
      case 13:
        call(DMX_CMD_IDENTIFY, a, nullptr);
        break;
      case 14: {
        const int length = static_cast<int8_t>(a);
        Buffer bytes(static_cast<size_t>(length < 0 ? -length : length), b);
        call(DMX_CMD_RAW_BULK, length, bytes.data());
        break;
      }
      case 15: {
        uint16_t version = 0;
        if (call(DMX_CMD_GET_FIRMWARE_VERSION, 0, &version) == 0)
          FUZZ_CHECK(version == bcdDevice, "the firmware version is the box's");
        uint32_t word = 0;
        call(DMX_CMD_GET_NOTIFY, 0, &word);
        call(DMX_CMD_GET_FRAME_TIME, a & 1, &word);
        break;
      }
      case 16:
        call(DMX_CMD_STOP_IO, 0, nullptr);
        call(DMX_CMD_SET_AUX_FLAG, a, nullptr);
        call(DMX_CMD_SET_PORT_PARAM, b & 1, number(static_cast<uintptr_t>(a) << 2));
        break;
      case 17:
        call(200 + a % 50, b, nullptr);
        break;
    }
  }
};

// The ids of attached boxes no host has opened.
std::vector<uint8_t> freeBoxes(Entry q) {
  uint8_t list[256] = {};
  const unsigned n = q(DMX_CMD_LIST_FREE, 0, 0, list);
  return std::vector<uint8_t>(list, list + std::min<unsigned>(n, 255));
}

}  // namespace

Entry LoadLibrary(const char* path) {
  void* library = dlopen(path, RTLD_NOW | RTLD_LOCAL);
  auto entry = library ? reinterpret_cast<Entry>(dlsym(library, kEntrySymbol)) : nullptr;
  if (entry == nullptr || entry(DMX_CMD_INIT, 255, 0x11BE, reinterpret_cast<void*>(uintptr_t{0xF0A9})) != 0) {
    std::fprintf(stderr, "the DMX library %s did not load: %s\n", path, dlerror());
    std::abort();
  }
  return entry;
}

void RunSession(Entry quillon, fuzzusb::Control& bus, uint16_t bcdDevice, std::span<const uint8_t> program) {
  // The attach asks the box for its name and four endpoints; it ends at the first answer that fails, or
  // at an endpoint answer without its byte.
  constexpr size_t kAttachRequests = 5;
  std::vector<uint8_t> attached;
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  for (;;) {
    const auto transfers = bus.transfers();
    const bool refused = std::any_of(transfers.begin(), transfers.end(), [](const fuzzusb::Transfer& t) {
      const bool endpointAnswer =
          !t.bulk && (t.setup[1] == kRequestEndpoint || t.setup[1] == kRequestEndpointAlt);
      return t.status != wdu::kSuccess || (endpointAnswer && t.data.empty());
    });
    if (transfers.size() >= kAttachRequests) attached = freeBoxes(quillon);
    if (refused || !attached.empty()) break;
    FUZZ_CHECK(std::chrono::steady_clock::now() < until, "the box's attach never ended");
    std::this_thread::yield();
  }
  if (attached.empty()) return;
  Session s{quillon, bus, attached.front(), bcdDevice};
  if (s.call(DMX_CMD_OPEN, 0, nullptr) != 0) return;
  for (size_t k = 0; k + 2 < program.size(); k += 3) s.run(program[k], program[k + 1], program[k + 2]);
  s.call(DMX_CMD_CLOSE, 0, nullptr);
}

}  // namespace fuzzquillon
