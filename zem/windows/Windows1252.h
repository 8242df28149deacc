// Text in the Windows-1252 code page, in which memory files keep their notes, to and from UTF-8, in which
// the program holds all text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Every byte has a character: the five bytes the code page leaves undefined become the control characters
// of the same number, so that any stored notes come back byte for byte.
std::string Windows1252ToUtf8(std::span<const uint8_t> text);

// Characters the code page cannot hold, and bytes that are not UTF-8, become '?'; replaced counts them.
std::vector<uint8_t> Utf8ToWindows1252(std::string_view text, size_t& replaced);
