#include "quillon/low_texts.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>

namespace quillon {

namespace {

#ifdef MAP_32BIT
constexpr int kLowMemory = MAP_32BIT;  // x86-64: the first 2 GiB
#else
constexpr int kLowMemory = 0;  // elsewhere only 32-bit systems would ask, and all their memory is low
#endif

bool below4GiB(const void* p, size_t size) {
  return reinterpret_cast<uintptr_t>(p) + size <= UINT32_MAX;
}

}  // namespace

LowTexts::~LowTexts() {
  for (const Block& b : blocks_) munmap(b.base, b.size);
}

const char* LowTexts::Intern(std::string_view text) {
  std::lock_guard<std::mutex> lock(m_);
  if (auto it = known_.find(text); it != known_.end()) return it->second;
  const size_t need = text.size() + 1;
  if (blocks_.empty() || blocks_.back().size - blocks_.back().used < need) {
    const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    const size_t size = (need + page - 1) / page * page;
    void* p = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | kLowMemory, -1, 0);
    if (p == MAP_FAILED) return nullptr;
    if (!below4GiB(p, size)) {
      munmap(p, size);
      return nullptr;
    }
    blocks_.push_back({static_cast<char*>(p), size, 0});
  }
  Block& b = blocks_.back();
  char* copy = b.base + b.used;
  std::memcpy(copy, text.data(), text.size());
  copy[text.size()] = '\0';
  b.used += need;
  known_.emplace(std::string(text), copy);
  return copy;
}

}  // namespace quillon
