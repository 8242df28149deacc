// Run-time loading of shared libraries (dlopen/dlsym behind a small RAII type).
#pragma once

#include <memory>
#include <string>

namespace sys {

class DynamicLibrary {
 public:
  // Loads the library; returns nullptr (and sets error, if given) when it cannot be loaded. A name without a
  // folder is looked for in `firstLookIn` (a folder, when given) before the places the system looks.
  static std::unique_ptr<DynamicLibrary> open(const std::string& path, std::string* error = nullptr,
                                              const std::string& firstLookIn = {});
  ~DynamicLibrary();
  DynamicLibrary(const DynamicLibrary&) = delete;
  DynamicLibrary& operator=(const DynamicLibrary&) = delete;

  // Address of an exported symbol, or nullptr.
  void* symbol(const char* name) const;
  // The name as given, or the file in `firstLookIn` that was loaded.
  const std::string& path() const { return path_; }

 private:
  DynamicLibrary(void* handle, std::string path) : handle_(handle), path_(std::move(path)) {}
  void* handle_;
  std::string path_;
};

// The folder of the shared library (or program) whose code holds the address, with a trailing '/'; "" when
// the address is in none.
std::string folderOfCodeAt(const void* address);

// The folder of the program's own shared libraries, with a trailing '/': lib/zem/ beside the installed
// program's bin/; in the build, the build's lib/zem/ (beside build/<folder>/<program>).
std::string programLibraryFolder();

}  // namespace sys
