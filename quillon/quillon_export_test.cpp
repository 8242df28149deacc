// The library as a file: what it exports, and that it can be unloaded with work still running.
#include <elf.h>

#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "quillon/quillon_test_support.h"

namespace quillon::testing {
namespace {

// The defined global symbols of an ELF64 file's dynamic symbol table (every read bounds-checked).
std::set<std::string> exportedSymbols(const char* path) {
  std::ifstream in(path, std::ios::binary);
  const std::vector<char> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::set<std::string> out;
  const auto fits = [&](uint64_t offset, uint64_t size) {
    return offset <= file.size() && size <= file.size() - offset;
  };
  Elf64_Ehdr eh;
  if (!fits(0, sizeof(eh))) return out;
  std::memcpy(&eh, file.data(), sizeof(eh));
  if (std::memcmp(eh.e_ident, ELFMAG, SELFMAG) != 0 || eh.e_ident[EI_CLASS] != ELFCLASS64) return out;
  const auto section = [&](size_t i, Elf64_Shdr& sh) {
    const uint64_t at = eh.e_shoff + i * sizeof(Elf64_Shdr);
    if (i >= eh.e_shnum || !fits(at, sizeof(sh))) return false;
    std::memcpy(&sh, file.data() + at, sizeof(sh));
    return true;
  };
  for (size_t i = 0; i < eh.e_shnum; ++i) {
    Elf64_Shdr sh, strings;
    if (!section(i, sh) || sh.sh_type != SHT_DYNSYM || !section(sh.sh_link, strings)) continue;
    if (!fits(sh.sh_offset, sh.sh_size) || !fits(strings.sh_offset, strings.sh_size)) continue;
    for (uint64_t at = sh.sh_offset; at + sizeof(Elf64_Sym) <= sh.sh_offset + sh.sh_size;
         at += sizeof(Elf64_Sym)) {
      Elf64_Sym sym;
      std::memcpy(&sym, file.data() + at, sizeof(sym));
      const int bind = ELF64_ST_BIND(sym.st_info);
      if (sym.st_shndx == SHN_UNDEF || (bind != STB_GLOBAL && bind != STB_WEAK && bind != STB_GNU_UNIQUE))
        continue;
      if (sym.st_name >= strings.sh_size) continue;
      const char* name = file.data() + strings.sh_offset + sym.st_name;
      out.insert(std::string(name, strnlen(name, strings.sh_size - sym.st_name)));
    }
  }
  return out;
}

TEST(QuillonFile, ExportsOnlyTheEntryPointUnderItsCppName) {
  EXPECT_EQ(exportedSymbols(QUILLON_LIB), std::set<std::string>{kEntrySymbol});
}

using Unload = QuillonHost;

TEST_F(Unload, UnloadingWithThreadsRunningShutsDownFirst) {
  init();
  openBox(1);
  openBox(2);
  ASSERT_EQ(Q(DMX_CMD_SET_DIRECTIONS, 2, 0), 0u);  // box 2: two outputs
  EXPECT_EQ(Q(DMX_CMD_POLL, 1, 0), 0u);
  EXPECT_EQ(Q(DMX_CMD_POLL, 1, 1), 0u);
  EXPECT_EQ(Q(DMX_CMD_POLL, 2, 0), 0u);
  EXPECT_EQ(Q(DMX_CMD_POLL, 2, 1), 0u);
  ASSERT_TRUE(waitUntil([&] { return boxes[1]->outputFrames(0) > 0 && requests(0x18).size() >= 2; }));
  unload();  // no shutdown command: the library's own destructor stops and joins everything
  EXPECT_TRUE(waitForNotification(kNotifyRemoved, 0, 2));
  const auto sent = boxes[1]->outputFrames(0);
  bus->clearTransfers();
  load();  // a fresh library finds the boxes again
  init();
  EXPECT_TRUE(waitAttached(2));
  EXPECT_EQ(boxes[1]->outputFrames(0), sent) << "no thread of the old library is left";
}

}  // namespace
}  // namespace quillon::testing
