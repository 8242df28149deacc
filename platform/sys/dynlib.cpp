#include "platform/sys/dynlib.h"

#include <dlfcn.h>
#include <sys/stat.h>

#include "platform/sys/system.h"

// The program's library folder relative to the installed programs' folder (set by the build from the
// install layout).
#ifndef ZEM_INSTALL_BIN_TO_PKGLIB
#define ZEM_INSTALL_BIN_TO_PKGLIB "../lib/zem"
#endif

namespace sys {

namespace {

bool isFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

std::unique_ptr<DynamicLibrary> DynamicLibrary::open(const std::string& name, std::string* error,
                                                     const std::string& firstLookIn) {
  // Looked for here rather than through the run path, which the loader takes from whoever calls dlopen
  // (a sanitizer's interceptor, for one).
  std::string path = name;
  if (!firstLookIn.empty() && name.find('/') == std::string::npos) {
    const std::string candidate = withTrailingSlash(firstLookIn) + name;
    if (isFile(candidate)) path = candidate;
  }
  void* h = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!h) {
    if (error) {
      const char* e = dlerror();
      *error = e ? e : "cannot load " + path;
    }
    return nullptr;
  }
  return std::unique_ptr<DynamicLibrary>(new DynamicLibrary(h, path));
}

DynamicLibrary::~DynamicLibrary() {
  if (handle_) dlclose(handle_);
}

void* DynamicLibrary::symbol(const char* name) const {
  return dlsym(handle_, name);
}

std::string folderOfCodeAt(const void* address) {
  Dl_info info{};
  if (dladdr(address, &info) == 0 || info.dli_fname == nullptr) return "";
  const std::string file = info.dli_fname;
  const auto slash = file.rfind('/');
  return slash == std::string::npos ? "./" : file.substr(0, slash + 1);
}

std::string programLibraryFolder() {
  return programFolder() + ZEM_INSTALL_BIN_TO_PKGLIB + "/";
}

}  // namespace sys
