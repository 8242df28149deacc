#include "orvane/OrvaneErrors.h"

namespace orvane {

namespace {

constexpr const char* kIicUploadFailed = "Upload failed. Try uploading again.";
constexpr const char* kScanFailed = "IIC PCB scan failed.";
constexpr const char* kUsbUploadFailed = "Upload failed. place program jumper and re-attach device.";
constexpr const char* kEraseFirst = "Erase device before reprogramming.";

std::string transferFailedAt(int packet, const char* end) {
  return "ERROR: transfer failed at packet " + std::to_string(packet) + end;
}

}  // namespace

std::vector<std::string> SystemExceptionLogLines(Flow flow) {
  switch (flow) {
    case Flow::IicScan:
      return {"System exception.", kScanFailed};
    case Flow::IicUpdate:
    case Flow::UsbUpdate:
      return {"System exception"};
  }
  return {"System exception"};
}

namespace {

std::vector<std::string> codeLines(Flow flow, const FlowError& error) {
  switch (flow) {
    case Flow::IicScan:
      if (error.code == kErrIicCommand) return {"ERROR: IIC command failed.", kScanFailed};
      if (error.code == kErrTransfer) return {"ERROR: transfer failed.", kScanFailed};
      break;
    case Flow::IicUpdate:
      switch (error.code) {
        case kErrOpenFile:
          return {"ERROR: failed to open file"};
        case kErrNotSuited:
          return {"ERROR: HEX-file not suited for selected IIC device"};
        case kErrContentDiffers:
          return {"ERROR: device content different from file.", kIicUploadFailed};
        case kErrReadHexFile:
          return {"ERROR: Cannot read from HEX-file"};
        case kErrCancelled:
          return {"Action canceled by user"};
        case kErrNoSelection:
          return {"You need to select a device from the list"};
        case kErrIicCommand:
          return {"ERROR: IIC command failed.", kIicUploadFailed};
        case kErrTransfer:
          return {transferFailedAt(error.packet, "."), kIicUploadFailed};
        default:
          break;
      }
      break;
    case Flow::UsbUpdate:
      switch (error.code) {
        case kErrOpenFile:
          return {"ERROR: failed to open file."};
        case kErrNotSuited:
          return {"ERROR: File not suited for selected device."};
        case kErrContentDiffers:
          return {"ERROR: device content different from file.", kUsbUploadFailed, kEraseFirst};
        case kErrCancelled:
          return {"Action canceled by user."};
        case kErrTransfer:
          return {transferFailedAt(error.packet, ""), kUsbUploadFailed, kEraseFirst};
        default:
          break;
      }
      break;
  }
  return SystemExceptionLogLines(flow);
}

}  // namespace

std::vector<std::string> ErrorLogLines(Flow flow, const FlowError& error) {
  std::vector<std::string> lines = codeLines(flow, error);
  if (!error.detail.empty()) lines.push_back(error.detail);
  return lines;
}

}  // namespace orvane
