// The fixture record bytes the models decode: versions, texts, error lists, log entries, monitor values,
// the sub-device scans of the chains, the memory lists and the service operations, for every model, over a
// fixture that answers what the input says (fuzz_device.h), with the checks of model_ops.h.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "fuzz/fuzz_device.h"
#include "fuzz/fuzz_support.h"
#include "fuzz/model_ops.h"
#include "zem/link/ZEMData.h"
#include "zem/model/uZemModels.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::UseVirtualClock();
  return 0;
}

// Input: the model (an index into the identification table, past it the generic model), the record as the
// model starts with it (394 bytes), a count of operations and three bytes each (operation, two arguments),
// then the fixture's answers (fuzz_device.h).
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::ByteStream in(data, size);
  const auto table = FixtureTypeTable();
  const size_t row = in.byte() % (table.size() + 1);
  InitZemData();
  const std::vector<uint8_t> record = in.takePadded(FixtureData.size());
  std::copy(record.begin(), record.end(), FixtureData.begin());
  const size_t ops = in.byte() % 32;
  const std::vector<uint8_t> program = in.takePadded(3 * ops);

  fuzz::ByteStream answers(in.rest());
  fuzz::FuzzDevice device;
  device.replay(&answers);
  Device = &device;
  std::unique_ptr<TZemFixture> f(row < table.size() ? table[row].create() : new TZemFixture());
  fuzzmodel::RunOps(*f, device, program, row < table.size() ? table[row].typeCode : fuzzmodel::kGenericModel);
  f.reset();
  Device = nullptr;
  return 0;
}
