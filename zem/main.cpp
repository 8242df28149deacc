// Zem: service program for lighting fixtures.
#include <cstdio>

#include "zem/link/ZEMData.h"

int main() {
  std::printf("Zem service tool (program folder %s)\n", ProgramFolder.c_str());
  return 0;
}
