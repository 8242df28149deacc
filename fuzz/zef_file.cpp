// Memory files (*.ZEF): the parser every upload runs before anything is sent. An accepted file's parts lie
// inside it and match its header; a refused one is refused for the first reason the check order gives; its
// notes come back byte for byte through the program's text.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "platform/sys/byte_order.h"
#include "zem/windows/MemoryFile.h"
#include "zem/windows/ZemStrings.h"

namespace {

bool within(std::span<const uint8_t> part, std::span<const uint8_t> whole) {
  return part.data() >= whole.data() && part.data() + part.size() <= whole.data() + whole.size();
}

void checkNotes(std::span<const uint8_t> notes) {
  const std::vector<std::string> lines = NotesFromBytes(notes);
  size_t replaced = 0;
  const std::vector<uint8_t> again = NotesToBytes(lines, replaced);
  FUZZ_CHECK(replaced == 0, "every stored byte has a character");
  FUZZ_CHECK(NotesFromBytes(again) == lines, "notes saved again read back as the same lines");
}

void checkAccepted(std::span<const uint8_t> file, const TMemoryFileView& view) {
  FUZZ_CHECK(file.size() >= zef::kHeaderSize, "an accepted file holds a whole header");
  FUZZ_CHECK(std::equal(zef::kMagicBytes.begin(), zef::kMagicBytes.end(), file.begin() + zef::kMagic),
             "an accepted file has the magic");
  FUZZ_CHECK(MemoryFileChecksum(file) == sys::getLE32(file, zef::kChecksum), "an accepted file's sum holds");
  FUZZ_CHECK(within(view.notes, file) && within(view.image, file), "the notes and the image lie in the file");
  FUZZ_CHECK(view.notes.data() == file.data() + zef::kHeaderSize, "the notes follow the header");
  FUZZ_CHECK(view.image.data() == view.notes.data() + view.notes.size(), "the image follows the notes");
  FUZZ_CHECK(view.notes.size() == sys::getLE32(file, zef::kNotesSize), "the notes have the header's size");
  FUZZ_CHECK(view.image.size() == sys::getLE32(file, zef::kImageSize), "the image has the header's size");
  FUZZ_CHECK(
      std::equal(view.identity.typeCode.begin(), view.identity.typeCode.end(), file.begin() + zef::kTypeCode),
      "the type code is the header's");
  FUZZ_CHECK(view.memoryMapVersion == sys::getLE32(file, zef::kMemoryMapVersion),
             "the version is the header's");

  // What the program would write for the same parts is accepted with the same parts.
  const std::vector<uint8_t> rebuilt = BuildMemoryFile(view.identity, view.notes, view.image);
  const sys::Result<TMemoryFileView> again = ParseMemoryFile(rebuilt);
  FUZZ_CHECK(again.ok(), "a file the program builds is accepted");
  FUZZ_CHECK(std::equal(view.notes.begin(), view.notes.end(), again.value().notes.begin(),
                        again.value().notes.end()),
             "the rebuilt file has the same notes");
  FUZZ_CHECK(std::equal(view.image.begin(), view.image.end(), again.value().image.begin(),
                        again.value().image.end()),
             "the rebuilt file has the same image");
  checkNotes(view.notes);
}

// The first reason the check finds, in its order: size, magic, sum, then the sizes the header declares.
std::string expectedRefusal(std::span<const uint8_t> file) {
  if (file.size() < zef::kHeaderSize) return ZemString(ZemStr::FfFileCorrupted);
  if (!std::equal(zef::kMagicBytes.begin(), zef::kMagicBytes.end(), file.begin() + zef::kMagic))
    return ZemString(ZemStr::FfFileNotZem);
  if (MemoryFileChecksum(file) != sys::getLE32(file, zef::kChecksum))
    return ZemString(ZemStr::FfFileChecksum);
  return ZemString(ZemStr::FfFileCorrupted);
}

}  // namespace

// Input: one flag byte (bit 0: store the right sum before the check, so that the fuzzer reaches past it),
// then the file.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::ByteStream in(data, size);
  const bool fixSum = in.flag();
  const auto rest = in.rest();
  std::vector<uint8_t> file(rest.begin(), rest.end());
  if (fixSum && file.size() >= zef::kHeaderSize) sys::putLE32(file, zef::kChecksum, MemoryFileChecksum(file));

  const sys::Result<TMemoryFileView> parsed = ParseMemoryFile(file);
  if (parsed.ok()) {
    checkAccepted(file, parsed.value());
  } else {
    FUZZ_CHECK(parsed.error() == expectedRefusal(file), "refused with the first reason: " + parsed.error());
  }
  return 0;
}
