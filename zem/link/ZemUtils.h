// Waiting routines and small text helpers shared by the whole program.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

// Waits ms milliseconds, processing window messages on every 1 ms pass; ends early once TerminateFlag is set.
void Delay(uint32_t ms);
// The same wait without processing messages: nothing else runs meanwhile.
void DelayNoMessages(uint32_t ms);

// Text of exactly `length` bytes of data (at most 255, and never past the data), each byte below 32 shown as
// '_'.
std::string BufferToShortString(std::span<const uint8_t> data, size_t length);

// Packed version (major in the lowest byte, minor next, build in the third) as "2.3" or "2.3 build 5".
std::string VersionToText(uint32_t version);

// A fixture name made fit to be one folder or file name: every character that is not printable ASCII or
// that a file system gives a meaning to (path separators, drive colon, wildcards, quotes, redirections)
// becomes '_', as does every run of two or more dots and a lone "."; an empty name becomes "_". So the
// result never leaves the folder it is put in.
std::string SafeFolderName(const std::string& name);

// printf-style formatting into a std::string.
std::string FormatText(const char* format, ...) __attribute__((format(printf, 1, 2)));
