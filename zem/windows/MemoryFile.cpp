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

TMemoryFileView ParseMemoryFile(std::span<const uint8_t> file) {
  if (file.size() < zef::kHeaderSize) throw EZEMFileError(ZemString(ZemStr::FfFileCorrupted));
  if (!std::equal(zef::kMagicBytes.begin(), zef::kMagicBytes.end(), file.begin() + zef::kMagic))
    throw EZEMFileError(ZemString(ZemStr::FfFileNotZem));
  if (MemoryFileChecksum(file) != sys::getLE32(file, zef::kChecksum))
    throw EZEMFileError(ZemString(ZemStr::FfFileChecksum));
  // The sizes are used to cut the file: they must lie inside it.
  const uint64_t notesSize = sys::getLE32(file, zef::kNotesSize);
  const uint64_t imageSize = sys::getLE32(file, zef::kImageSize);
  if (notesSize + imageSize > file.size() - zef::kHeaderSize)
    throw EZEMFileError(ZemString(ZemStr::FfFileCorrupted));

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

std::vector<uint8_t> NotesToBytes(const std::vector<std::string>& lines) {
  std::vector<uint8_t> out;
  for (const std::string& line : lines) {
    out.insert(out.end(), line.begin(), line.end());
    out.push_back('\r');
    out.push_back('\n');
  }
  return out;
}

std::vector<std::string> NotesFromBytes(std::span<const uint8_t> notes) {
  std::vector<std::string> lines;
  std::string line;
  bool open = false;
  for (size_t i = 0; i < notes.size(); ++i) {
    const char c = static_cast<char>(notes[i]);
    if (c == '\r' || c == '\n') {
      lines.push_back(line);
      line.clear();
      open = false;
      if (c == '\r' && i + 1 < notes.size() && notes[i + 1] == '\n') ++i;
    } else {
      line.push_back(c);
      open = true;
    }
  }
  if (open) lines.push_back(line);
  return lines;
}

std::vector<uint8_t> LoadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("Cannot open file \"" + path + "\".");
  std::vector<uint8_t> data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) throw std::runtime_error("Error reading file \"" + path + "\".");
  return data;
}

bool SaveFileBytes(const std::string& path, std::span<const uint8_t> data, std::string& error) {
  namespace fs = std::filesystem;
  const fs::path target(path);
  fs::path temp = target;
  temp += ".part";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) {
      error = "Cannot create file \"" + path + "\".";
      return false;
    }
    out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
    out.flush();
    if (!out) {
      out.close();
      std::error_code ignored;
      fs::remove(temp, ignored);
      error = "Cannot write file \"" + path + "\".";
      return false;
    }
  }
  std::error_code ec;
  fs::rename(temp, target, ec);
  if (ec) {
    std::error_code ignored;
    fs::remove(temp, ignored);
    error = "Cannot write file \"" + path + "\": " + ec.message() + ".";
    return false;
  }
  return true;
}

std::string SafeFolderName(const std::string& name) {
  static constexpr std::string_view kReserved = "/\\:*?\"<>|";
  std::string out = name;
  for (char& c : out) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 32 || u == 127 || kReserved.find(c) != std::string_view::npos) c = '_';
  }
  // A run of two or more dots could climb out of the folder; a lone dot name is the folder itself.
  for (size_t i = 0; i < out.size(); ++i) {
    if (out[i] != '.') continue;
    size_t j = i;
    while (j < out.size() && out[j] == '.') ++j;
    if (j - i >= 2 || out.size() == 1) std::fill(out.begin() + i, out.begin() + j, '_');
    i = j;
  }
  if (out.empty()) out.push_back('_');
  return out;
}
