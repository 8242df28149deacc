// Zem: service program for lighting fixtures.
#include <cstdio>
#include <cstdlib>

#include "zem/link/USB_ft245bm.h"
#include "zem/link/ZEMData.h"

int main() {
  // A driver library without an entry point we need: say so and stop before any window exists.
  if (ReportD2xxStartupError()) {
    std::fprintf(stderr, "%s\n", D2xxStartupError().c_str());
    return EXIT_FAILURE;
  }
  std::printf("Zem service tool (program folder %s)\n", ProgramFolder.c_str());
  return 0;
}
