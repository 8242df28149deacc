// Binding of the D2XX driver library and a thin object around one open chip handle.
//
// The library is loaded by name at start-up (ZEM_D2XX_LIBRARY, else libftd2xx.so).
// No library means no devices; a library lacking an entry point is an
// EYOLBDLLError, recorded at start-up and reported by the program's main.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/d2xx/d2xx.h"

class EYOLBDLLError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Loads the library unless it is loaded; raises EYOLBDLLError naming the first missing entry point
// (the library is then released again). A library that cannot be loaded is no error.
void LoadD2xx();
// Releases the library if it is loaded.
void UnloadD2xx();
bool D2xxLoaded();

// The error recorded by the start-up load, or empty.
const std::string& D2xxStartupError();
// Why the driver library named in the environment (or found under its default name but unusable)
// could not be loaded: "Driver library \"...\" could not be loaded: <reason>."; empty when it loaded or
// when no library of the default name exists (the plain demonstration mode).
const std::string& D2xxLoadNote();
// Shows the start-up error, if there is one, in an error box; true when it did (the program must then end).
bool ReportD2xxStartupError();
// Reloads the binding as at start-up (the environment is read again) and records its error; returns it.
// No chip object may be open while this runs.
const std::string& ReloadD2xx();

// Number of D2XX devices; the result is the call's status (0 without a library, count 0 too).
FT_STATUS GetFtdiDeviceCount(uint32_t& count);

// " - Invalid Handle..." and the rest: the text appended to a call's name for a failing status.
std::string FtStatusText(FT_STATUS status);

class TUSB_ft245bm {
 public:
  static constexpr size_t kReadBufferSize = 1048576;
  static constexpr size_t kWriteBufferSize = 32768;

  TUSB_ft245bm();
  TUSB_ft245bm(const TUSB_ft245bm&) = delete;
  TUSB_ft245bm& operator=(const TUSB_ft245bm&) = delete;

  FT_STATUS Open(int index);
  // Sends the first count bytes of WriteBuffer (count beyond the buffer is refused).
  FT_STATUS Write(uint32_t count);
  // Updates RxBytes.
  FT_STATUS GetQueueStatus();
  // Reads up to count bytes to the start of ReadBuffer (never more than the buffer holds);
  // LastReadCount tells how many came.
  FT_STATUS Read(uint32_t count);
  FT_STATUS PurgeTx();
  FT_STATUS PurgeRx();
  // Handle is 0 afterwards, whatever the status.
  FT_STATUS Close();

  FT_HANDLE Handle = nullptr;
  FT_STATUS LastStatus = FT_OK;
  std::vector<uint8_t> ReadBuffer;
  std::vector<uint8_t> WriteBuffer;
  uint32_t RxBytes = 0;
  uint32_t LastReadCount = 0;

  // Failing calls are offered here as "<call><status text>"; the program installs neither.
  std::function<void(const std::string&)> StatusObserver;
  bool StatusMessageBox = false;

 private:
  FT_STATUS report(const char* call, FT_STATUS status);
};
