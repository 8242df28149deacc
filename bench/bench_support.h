// What the benchmarks share: the simulated box and fixture behind the link, on the virtual clock.
#pragma once

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdio>
#include <cstdlib>

#include "platform/sys/clock.h"
#include "platform/sys/dynlib.h"
#include "sim/fixture/sim_fixture.h"
#include "zem/link/USB_ft245bm.h"

namespace benchsupport {

// The simulator's control object, set by runAgainstSimulator before the first benchmark runs.
inline simfix::Control* g_sim = nullptr;

// The simulator's tick source: the clock the link reads, so that its answers arrive on virtual time.
inline uint32_t virtualTick(void*) {
  return sys::tickCount();
}

// The body of a benchmark program's main: loads the simulator library as the link's binding (the one
// named in the environment, else the one built beside the benchmark), then runs the benchmarks.
inline int runAgainstSimulator(int argc, char** argv, const char* builtLibrary) {
  // The binding loaded at start-up from the environment; point it at the simulator unless told otherwise.
  if (!std::getenv(d2xx::kLibraryEnvVar)) setenv(d2xx::kLibraryEnvVar, builtLibrary, 1);
  ReloadD2xx();
  auto library = sys::DynamicLibrary::open(std::getenv(d2xx::kLibraryEnvVar));
  auto entry =
      library ? reinterpret_cast<simfix::Control* (*)()>(library->symbol("SimFixtureControl")) : nullptr;
  if (!entry || !D2xxLoaded()) {
    std::fprintf(stderr, "simulator library not usable: %s\n", D2xxStartupError().c_str());
    return 1;
  }
  g_sim = entry();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

}  // namespace benchsupport
