// The error codes an update or a scan raises, and the log lines each one leaves.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orvane {

inline constexpr uint16_t kErrOpenFile = 1;
inline constexpr uint16_t kErrNotSuited = 2;
inline constexpr uint16_t kErrContentDiffers = 3;
inline constexpr uint16_t kErrReadHexFile = 4;
inline constexpr uint16_t kErrCancelled = 4097;
inline constexpr uint16_t kErrNoSelection = 4098;
inline constexpr uint16_t kErrIicCommand = 12290;
inline constexpr uint16_t kErrTransfer = 12291;

// Raised inside a flow; the flow's handler turns it into log lines.
struct FlowError {
  uint16_t code = 0;
  int packet = 0;        // kErrTransfer: the packet's number counted from 1 (or the attempt's)
  std::string detail{};  // a further line after the code's lines (what in the file failed); may be empty
};

enum class Flow { IicScan, IicUpdate, UsbUpdate };

// The log lines of an error code in a flow, then the error's detail line if it has one; a code the flow
// does not know gives its "system exception" lines.
std::vector<std::string> ErrorLogLines(Flow flow, const FlowError& error);
// The lines of a failure that is no error code (anything else that went wrong).
std::vector<std::string> SystemExceptionLogLines(Flow flow);

}  // namespace orvane
