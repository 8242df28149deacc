// Operations of the fixture models on a fuzzed fixture, with the checks of what the models promise: only
// the range error they announce escapes, and only where they announce it, before anything is sent; error
// lists keep their summary and numbering; names stay safe as folder names; address lists ascend inside the
// memory; progress stays in its range. Shared by the model target and the seed maker.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "fuzz/fuzz_device.h"
#include "zem/model/uZemFixture.h"

namespace fuzzmodel {

inline constexpr uint8_t kOperations = 20;
inline constexpr const char* kGenericModel = "generic";

// The model's address list of an upload: 0 the stand-alone program, 1 the settings, 2 the complete memory.
void AddressList(TZemFixture& f, int kind, TAddressList& list);

// Runs the program (three bytes per operation: operation, two arguments) on the model, named by its type
// code (kGenericModel for the generic one).
void RunOps(TZemFixture& f, fuzz::FuzzDevice& device, std::span<const uint8_t> program,
            const std::string& model);
// Every operation once.
std::vector<uint8_t> EveryOperation();

}  // namespace fuzzmodel
