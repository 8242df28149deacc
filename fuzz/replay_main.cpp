// The fuzz targets as plain test programs (the build without the fuzzer): each runs its target once over
// every file of its seed corpus, or over the files and folders named on the command line, so the seeds and
// the checks stay in step with the code.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) __attribute__((weak));

namespace {

std::vector<std::filesystem::path> inputsUnder(const std::filesystem::path& root) {
  std::vector<std::filesystem::path> files;
  if (std::filesystem::is_directory(root)) {
    for (const auto& entry : std::filesystem::directory_iterator(root))
      if (entry.is_regular_file()) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
  } else if (std::filesystem::is_regular_file(root)) {
    files.push_back(root);
  }
  return files;
}

}  // namespace

int main(int argc, char** argv) {
  if (LLVMFuzzerInitialize) LLVMFuzzerInitialize(&argc, &argv);
  std::vector<std::string> roots(argv + 1, argv + argc);
  if (roots.empty()) roots.push_back(ZEM_FUZZ_SEED_DIR);
  size_t ran = 0;
  for (const std::string& root : roots) {
    for (const auto& file : inputsUnder(root)) {
      std::ifstream in(file, std::ios::binary);
      const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                       std::istreambuf_iterator<char>());
      std::printf("%s (%zu bytes)\n", file.c_str(), bytes.size());
      std::fflush(stdout);
      LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
      ++ran;
    }
  }
  std::printf("%zu inputs ran\n", ran);
  // No input at all means a missing corpus, not a pass.
  return ran > 0 ? 0 : 1;
}
