// Runs a program against simulated devices that it reaches as real USB devices, through the USB layer's
// libusb backend: the devices of ZEM_SIM_USB_DEVICES (as the simulated bus reads them) are plugged into
// umockdev's emulated usbfs, and the program starts with ZEM_USB_LIBRARY unset.
//   usbfs_run <program> [arguments...]
// Exits with the program's exit code; 77 when umockdev cannot run here.
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "platform/wdu/wdu.h"
#include "sim/usb/sim_usb_loader.h"
#include "sim/usbfs/usbfs_emulator.h"

namespace {
constexpr int kSkipped = 77;
}

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: usbfs_run <program> [arguments...]\n");
    return 2;
  }
  std::string why;
  if (!simusb::reexecUnderUmockdev(argv, why)) {
    std::fprintf(stderr, "usbfs_run: %s\n", why.c_str());
    return kSkipped;
  }
  auto emulator = simusb::UsbfsEmulator::create(why);
  if (!emulator) {
    std::fprintf(stderr, "usbfs_run: %s\n", why.c_str());
    return kSkipped;
  }
  // The simulated bus plugs the named devices when it starts; they move to the emulated usbfs.
  simusb::Control* bus = simusb::openSimUsb(SIM_USB_LIB);
  if (bus == nullptr) {
    std::fprintf(stderr, "usbfs_run: cannot load %s\n", SIM_USB_LIB);
    return 1;
  }
  for (uint32_t address : bus->addresses()) {
    auto device = bus->device(address);
    bus->unplug(address);
    if (emulator->plug(device) == 0) {
      std::fprintf(stderr, "usbfs_run: cannot emulate device %u\n", address);
      return 1;
    }
  }
  unsetenv(wdu::kLibraryEnvVar);
  const pid_t child = fork();
  if (child < 0) {
    std::perror("usbfs_run: fork");
    return 1;
  }
  if (child == 0) {
    execvp(argv[1], argv + 1);
    std::perror("usbfs_run: exec");
    _exit(127);
  }
  int status = 0;
  if (waitpid(child, &status, 0) < 0) {
    std::perror("usbfs_run: waitpid");
    return 1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
