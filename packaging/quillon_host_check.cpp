// A host program as its author would write one against the installed DMX library: built with the installed
// quillon.h, it loads the installed libquillon.so, finds a USB-DMX box (the simulated bus when the
// environment names it), opens it, reads its name and shuts the library down.
//   quillon_host_check LIBQUILLON
// Exit code 0 when every step answered as expected, 1 otherwise (the step is printed).
#include <dlfcn.h>
#include <quillon.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <thread>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s LIBQUILLON\n", argv[0]);
    return 2;
  }
  void* lib = dlopen(argv[1], RTLD_NOW);
  if (lib == nullptr) {
    std::fprintf(stderr, "cannot load %s: %s\n", argv[1], dlerror());
    return 1;
  }
  auto call = reinterpret_cast<quillon::EntryFn>(dlsym(lib, quillon::kEntrySymbol));
  if (call == nullptr) {
    std::fprintf(stderr, "%s lacks %s\n", argv[1], quillon::kEntrySymbol);
    return 1;
  }
  uint32_t version = 0;
  if (call(quillon::DMX_CMD_GET_VERSION, 0, 0, &version) != 0 || version != quillon::kInterfaceVersion) {
    std::fprintf(stderr, "unexpected interface version %X\n", version);
    return 1;
  }
  unsigned st = call(quillon::DMX_CMD_INIT, 255, 0x11BE, reinterpret_cast<void*>(uintptr_t{0xF0A9}));
  if (st != 0) {
    std::fprintf(stderr, "initialise: %08X\n", st);
    return 1;
  }
  // Boxes attach on the library's own thread: wait (at most 5 s) for the first.
  unsigned char id = 0;
  for (int i = 0; i < 500 && (st = call(quillon::DMX_CMD_OPEN_NEXT, 0, 0, &id)) != 0; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  if (st != 0) {
    std::fprintf(stderr, "no box opened: %08X\n", st);
    return 1;
  }
  const char* name = nullptr;  // the library's copy of the box's name
  st = call(quillon::DMX_CMD_GET_NAME, id, 0, &name);
  std::printf("box %u open: \"%s\" (%08X)\n", id, name ? name : "", st);
  if (st != 0 || call(quillon::DMX_CMD_CLOSE, id, 0, nullptr) != 0 ||
      call(quillon::DMX_CMD_INIT, 0, 0, nullptr) != 0) {
    std::fprintf(stderr, "name, close or shut-down failed\n");
    return 1;
  }
  dlclose(lib);
  return 0;
}
