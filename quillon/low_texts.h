// Texts kept at addresses below 4 GiB, so that a 32-bit result can carry a text's address (the status
// text command answers one): a widened result is a valid pointer to the text.
#pragma once

#include <cstddef>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace quillon {

class LowTexts {
 public:
  LowTexts() = default;
  ~LowTexts();  // the texts go with the object
  LowTexts(const LowTexts&) = delete;
  LowTexts& operator=(const LowTexts&) = delete;

  // The NUL-terminated copy of text below 4 GiB; the same text always gets the same copy. nullptr when
  // no memory below 4 GiB can be had. Thread-safe.
  const char* Intern(std::string_view text);

 private:
  struct Block {
    char* base = nullptr;
    size_t size = 0;
    size_t used = 0;
  };
  std::mutex m_;
  std::vector<Block> blocks_;
  std::map<std::string, const char*, std::less<>> known_;
};

}  // namespace quillon
