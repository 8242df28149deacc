// Run-time loading of shared libraries (dlopen/dlsym behind a small RAII type).
#pragma once

#include <memory>
#include <string>

namespace sys {

class DynamicLibrary {
 public:
  // Loads the library; returns nullptr (and sets error, if given) when it cannot be loaded.
  static std::unique_ptr<DynamicLibrary> open(const std::string& path, std::string* error = nullptr);
  ~DynamicLibrary();
  DynamicLibrary(const DynamicLibrary&) = delete;
  DynamicLibrary& operator=(const DynamicLibrary&) = delete;

  // Address of an exported symbol, or nullptr.
  void* symbol(const char* name) const;
  const std::string& path() const { return path_; }

 private:
  DynamicLibrary(void* handle, std::string path) : handle_(handle), path_(std::move(path)) {}
  void* handle_;
  std::string path_;
};

}  // namespace sys
