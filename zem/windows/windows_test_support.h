// Test scaffolding shared by the window tests: temporary folders and file bytes.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "zem/windows/MemoryFile.h"

namespace windowstest {

// A new, empty folder under the system's temporary folder; the test removes it.
inline std::filesystem::path MakeTempFolder() {
  static std::mt19937 random(std::random_device{}());
  std::filesystem::path p =
      std::filesystem::temp_directory_path() / ("zem_windows_" + std::to_string(random()));
  std::filesystem::create_directories(p);
  return p;
}

inline void WriteBytes(const std::filesystem::path& path, const std::vector<uint8_t>& data) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
}

// The file's bytes; an unreadable file fails the test and gives no bytes.
inline std::vector<uint8_t> ReadBytes(const std::filesystem::path& path) {
  sys::Result<std::vector<uint8_t>> loaded = LoadFileBytes(path.string());
  EXPECT_TRUE(loaded.ok()) << loaded.error();
  return loaded ? std::move(loaded).value() : std::vector<uint8_t>{};
}

inline std::vector<uint8_t> Bytes(const std::string& s) {
  return {s.begin(), s.end()};
}

}  // namespace windowstest
