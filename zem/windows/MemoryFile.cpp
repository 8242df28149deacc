#include "zem/windows/MemoryFile.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "platform/sys/byte_order.h"
#include "zem/link/ZEMData.h"
#include "zem/model/uZemFixture.h"
#include "zem/windows/Windows1252.h"
#include "zem/windows/ZemStrings.h"

TMemoryFileIdentity IdentityFromFixtureData() {
  namespace info = fdarea::info;
  TMemoryFileIdentity id;
  std::copy_n(FixtureData.begin() + fd::kFixtureInfo + info::kTypeCode, zef::kTypeCodeSize,
              id.typeCode.begin());
  id.firmwareMajor = FixtureData[fd::kFixtureInfo + info::kMainMajor];
  id.firmwareMinor = FixtureData[fd::kFixtureInfo + info::kMainMinor];
  id.firmwareBuild = FixtureData[fd::kFixtureInfo + info::kMainBuild];
  std::copy_n(FixtureData.begin() + fd::kZemVersion, zef::kMemoryMapVersionSize, id.memoryMapVersion.begin());
  return id;
}

uint32_t MemoryFileChecksum(std::span<const uint8_t> file) {
  uint32_t sum = 0;
  for (size_t i = zef::kMagic; i < file.size(); ++i) sum += file[i];
  return sum;
}

std::vector<uint8_t> BuildMemoryFile(const TMemoryFileIdentity& identity, std::span<const uint8_t> notes,
                                     std::span<const uint8_t> image) {
  std::vector<uint8_t> file(zef::kHeaderSize + notes.size() + image.size(), 0);
  std::copy(notes.begin(), notes.end(), file.begin() + zef::kHeaderSize);
  std::copy(image.begin(), image.end(),
            file.begin() + static_cast<std::ptrdiff_t>(zef::kHeaderSize + notes.size()));
  std::copy(zef::kMagicBytes.begin(), zef::kMagicBytes.end(), file.begin() + zef::kMagic);
  std::copy(zef::kConstantBytes.begin(), zef::kConstantBytes.end(), file.begin() + zef::kConstant);
  std::copy(identity.typeCode.begin(), identity.typeCode.end(), file.begin() + zef::kTypeCode);
  file[zef::kFirmwareMajor] = identity.firmwareMajor;
  file[zef::kFirmwareMinor] = identity.firmwareMinor;
  file[zef::kFirmwareBuild] = identity.firmwareBuild;
  std::copy(identity.memoryMapVersion.begin(), identity.memoryMapVersion.end(),
            file.begin() + zef::kMemoryMapVersion);
  sys::putLE32(file, zef::kImageSize, static_cast<uint32_t>(image.size()));
  sys::putLE32(file, zef::kNotesSize, static_cast<uint32_t>(notes.size()));
  sys::putLE32(file, zef::kChecksum, MemoryFileChecksum(file));
  return file;
}

sys::Result<TMemoryFileView> ParseMemoryFile(std::span<const uint8_t> file) {
  if (file.size() < zef::kHeaderSize) return sys::Error(ZemString(ZemStr::FfFileCorrupted));
  if (!std::equal(zef::kMagicBytes.begin(), zef::kMagicBytes.end(), file.begin() + zef::kMagic))
    return sys::Error(ZemString(ZemStr::FfFileNotZem));
  if (MemoryFileChecksum(file) != sys::getLE32(file, zef::kChecksum))
    return sys::Error(ZemString(ZemStr::FfFileChecksum));
  // The sizes are used to cut the file: they must lie inside it.
  const uint64_t notesSize = sys::getLE32(file, zef::kNotesSize);
  const uint64_t imageSize = sys::getLE32(file, zef::kImageSize);
  if (notesSize + imageSize > file.size() - zef::kHeaderSize)
    return sys::Error(ZemString(ZemStr::FfFileCorrupted));

  TMemoryFileView view;
  std::copy_n(file.begin() + zef::kTypeCode, zef::kTypeCodeSize, view.identity.typeCode.begin());
  view.identity.firmwareMajor = file[zef::kFirmwareMajor];
  view.identity.firmwareMinor = file[zef::kFirmwareMinor];
  view.identity.firmwareBuild = file[zef::kFirmwareBuild];
  std::copy_n(file.begin() + zef::kMemoryMapVersion, zef::kMemoryMapVersionSize,
              view.identity.memoryMapVersion.begin());
  view.memoryMapVersion = sys::getLE32(file, zef::kMemoryMapVersion);
  view.notes = file.subspan(zef::kHeaderSize, static_cast<size_t>(notesSize));
  view.image =
      file.subspan(zef::kHeaderSize + static_cast<size_t>(notesSize), static_cast<size_t>(imageSize));
  return view;
}

std::vector<uint8_t> NotesToBytes(const std::vector<std::string>& lines, size_t& replaced) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return Utf8ToWindows1252(text, replaced);
}

std::vector<uint8_t> NotesToBytes(const std::vector<std::string>& lines) {
  size_t replaced = 0;
  return NotesToBytes(lines, replaced);
}

std::vector<std::string> NotesFromBytes(std::span<const uint8_t> notes) {
  std::vector<std::string> lines;
  std::string line;
  bool open = false;
  for (size_t i = 0; i < notes.size(); ++i) {
    const uint8_t c = notes[i];
    if (c == '\r' || c == '\n') {
      lines.push_back(line);
      line.clear();
      open = false;
      if (c == '\r' && i + 1 < notes.size() && notes[i + 1] == '\n') ++i;
    } else {
      line += Windows1252ToUtf8(notes.subspan(i, 1));
      open = true;
    }
  }
  if (open) lines.push_back(line);
  return lines;
}

sys::Result<std::vector<uint8_t>> LoadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return sys::Error("Cannot open file \"" + path + "\".");
  std::vector<uint8_t> data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return sys::Error("Error reading file \"" + path + "\".");
  return data;
}

sys::Result<void> SaveFileBytes(const std::string& path, std::span<const uint8_t> data) {
  namespace fs = std::filesystem;
  const fs::path target(path);
  fs::path temp = target;
  temp += ".part";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) return sys::Error("Cannot create file \"" + path + "\".");
    out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
    out.flush();
    if (!out) {
      out.close();
      std::error_code ignored;
      fs::remove(temp, ignored);
      return sys::Error("Cannot write file \"" + path + "\".");
    }
  }
  std::error_code ec;
  fs::rename(temp, target, ec);
  if (ec) {
    std::error_code ignored;
    fs::remove(temp, ignored);
    return sys::Error("Cannot write file \"" + path + "\": " + ec.message() + ".");
  }
  return {};
}
