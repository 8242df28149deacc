// A program of fixture-link operations, run on a device opened through the D2XX library the link has
// loaded (the fuzzed one, or the simulator while seeds are recorded), with the checks of what each
// operation may change: a failed operation changes nothing in the record, a successful one only its own
// group, and nothing longer than a box frame goes to the box.
#pragma once

#include <cstdint>
#include <vector>

#include "fuzz/fuzz_support.h"

namespace fuzzlink {

struct Op {
  uint8_t code = 0;
  uint8_t a = 0;
  uint8_t b = 0;
};

inline constexpr size_t kMaxOps = 24;

// A count byte, then three bytes per operation.
std::vector<Op> ReadProgram(fuzz::ByteStream& in);
std::vector<uint8_t> EncodeProgram(const std::vector<Op>& ops);
// Every operation once, with ordinary arguments (more than one program holds).
std::vector<Op> EveryOperation();

// The writes the box received so far (the library's record), for the framing check; may be null.
using WritesFn = const std::vector<std::vector<uint8_t>>& (*)();

// Fresh link state, a device created and opened as the main window does it, the program run on it, and
// everything released again.
void RunProgram(const std::vector<Op>& ops, WritesFn writes);

}  // namespace fuzzlink
