// The uploads of a memory file into a fixture: the file check, the model's address list, and the words
// written block by block through the model's EEPROM writes to a fixture that takes or refuses each as the
// input says. No word outside the upload's list is written, every word written is the file's word of its
// address, a refused file writes nothing, and a completed upload has written each listed word once.
#include <map>
#include <memory>
#include <vector>

#include "fuzz/fuzz_device.h"
#include "fuzz/fuzz_support.h"
#include "fuzz/model_ops.h"
#include "platform/sys/byte_order.h"
#include "zem/model/uZemModels.h"
#include "zem/windows/MemoryFile.h"
#include "zem/windows/MemoryUpload.h"

namespace {

uint16_t imageWord(std::span<const uint8_t> image, int address) {
  return static_cast<uint16_t>(image[2 * static_cast<size_t>(address)] |
                               (image[2 * static_cast<size_t>(address) + 1] << 8));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::UseVirtualClock();
  return 0;
}

// Input: the model (an index into the identification table), the upload (0 stand-alone program, 1 settings,
// 2 complete memory), the fixture's main firmware major, minor and build, a flag byte (bit 0: store the
// right sum in the file before the check), the file (a 16-bit length and its bytes), then the fixture's
// answers to the writes (fuzz_device.h).
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::ByteStream in(data, size);
  const auto table = FixtureTypeTable();
  const TFixtureTypeRow& row = table[in.byte() % table.size()];
  const int kind = in.byte() % 3;
  InitZemData();
  namespace info = fdarea::info;
  const std::string typeCode = row.typeCode;
  std::copy(typeCode.begin(), typeCode.end(), FixtureData.begin() + fd::kFixtureInfo + info::kTypeCode);
  FixtureData[fd::kFixtureInfo + info::kSubType] = static_cast<uint8_t>(row.subType < 0 ? 0 : row.subType);
  FixtureData[fd::kFixtureInfo + info::kMainMajor] = in.byte();
  FixtureData[fd::kFixtureInfo + info::kMainMinor] = in.byte();
  FixtureData[fd::kFixtureInfo + info::kMainBuild] = in.byte();
  const bool fixSum = in.flag();
  const auto fileBytes = in.longChunk();
  std::vector<uint8_t> file(fileBytes.begin(), fileBytes.end());
  if (fixSum && file.size() >= zef::kHeaderSize) sys::putLE32(file, zef::kChecksum, MemoryFileChecksum(file));

  fuzz::ByteStream answers(in.rest());
  fuzz::FuzzDevice device;
  device.replay(&answers);
  Device = &device;
  std::unique_ptr<TZemFixture> f(row.create());

  TAddressList list;
  fuzzmodel::AddressList(*f, kind, list);
  const sys::Result<TMemoryFileView> parsed = ParseMemoryFile(file);
  bool completed = false;
  if (parsed.ok()) {
    const std::span<const uint8_t> image = parsed.value().image;
    const bool holds = ImageHoldsAddresses(image, list);
    completed = UploadImageWords(
        image, list,
        [&](int address, int count) { return f->WriteEepromBlock(address, count, f->GetEepromSettleTime()); },
        [](size_t, int) {});
    FUZZ_CHECK(holds || device.eepromWrites.empty(),
               "a file whose image lacks a listed word wrote something");

    std::map<int, int> listed;  // address -> times written and taken
    for (int address : list) listed[address] = 0;
    for (const auto& w : device.eepromWrites) {
      for (size_t k = 0; k < w.words.size(); ++k) {
        const int address = w.address + static_cast<int>(k);
        FUZZ_CHECK(listed.count(address) != 0, "a word outside the upload's list was written");
        FUZZ_CHECK(w.words[k] == imageWord(image, address),
                   "a written word is the file's word of its address");
        if (w.ok) ++listed[address];
      }
    }
    if (completed) {
      for (const auto& [address, times] : listed)
        FUZZ_CHECK(times == 1, "a completed upload writes each listed word once");
    }
  } else {
    FUZZ_CHECK(device.eepromWrites.empty(), "a refused file wrote something");
  }
  (void)completed;
  f.reset();
  Device = nullptr;
  return 0;
}
