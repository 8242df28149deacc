// The interface box's replies driven through the fixture link's operations: the link loads a driver library
// whose box answers what the input says (d2xx/fuzz_d2xx.h) and runs a program of operations on it, with
// retries, reply checks, reconnects and time-outs on the virtual clock. Checked beyond not crashing or
// hanging (link_program.h): a failed operation changes nothing, a successful one only its own group, and
// no frame longer than the box takes goes out.
#include <cstdlib>
#include <memory>

#include "fuzz/d2xx/fuzz_d2xx.h"
#include "fuzz/fuzz_support.h"
#include "fuzz/link_program.h"
#include "platform/d2xx/d2xx.h"
#include "platform/sys/clock.h"
#include "platform/sys/dynlib.h"
#include "zem/link/USB_ft245bm.h"

namespace {

fuzzd2xx::Control* g_box = nullptr;

const std::vector<std::vector<uint8_t>>& boxWrites() {
  return g_box->writes();
}

uint32_t virtualTick(void*) {
  return sys::tickCount();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::UseVirtualClock(0x10000, 4);
  // The link loads the fuzzed box's library as it loads the driver: by the name in the environment.
  setenv(d2xx::kLibraryEnvVar, FUZZ_D2XX_LIBRARY, 1);
  if (!ReloadD2xx().empty() || !D2xxLoaded()) {
    std::fprintf(stderr, "the fuzzed driver library %s did not load\n", FUZZ_D2XX_LIBRARY);
    std::abort();
  }
  static std::unique_ptr<sys::DynamicLibrary> library = sys::DynamicLibrary::open(FUZZ_D2XX_LIBRARY);
  auto entry =
      reinterpret_cast<fuzzd2xx::Control* (*)()>(library ? library->symbol("FuzzD2xxControl") : nullptr);
  g_box = entry ? entry() : nullptr;
  if (g_box == nullptr) std::abort();
  g_box->setTickSource(&virtualTick, nullptr);
  return 0;
}

// Input: the program (link_program.h), then the box's answers (fuzz_d2xx.h).
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::ByteStream in(data, size);
  const std::vector<fuzzlink::Op> ops = fuzzlink::ReadProgram(in);
  const auto answers = in.rest();
  g_box->replay(answers.data(), answers.size());
  fuzzlink::RunProgram(ops, &boxWrites);
  return 0;
}
