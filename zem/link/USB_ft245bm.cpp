#include "zem/link/USB_ft245bm.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "platform/sys/dynlib.h"
#include "zem/link/LinkReport.h"

namespace {

struct Binding {
  std::unique_ptr<sys::DynamicLibrary> library;
  PFN_FT_ListDevices listDevices = nullptr;
  PFN_FT_ListDevices listDevicesEx = nullptr;  // bound like the first, never called
  PFN_FT_Open open = nullptr;
  PFN_FT_Write write = nullptr;
  PFN_FT_GetQueueStatus getQueueStatus = nullptr;
  PFN_FT_Read read = nullptr;
  PFN_FT_Purge purge = nullptr;
  PFN_FT_Close close = nullptr;

  void clear() { *this = Binding{}; }
};

// Declared before the start-up load below, so both exist when it runs.
Binding g_binding;
std::string g_startupError;
std::string g_loadNote;

const char* namedLibrary() {
  const char* env = std::getenv(d2xx::kLibraryEnvVar);
  return (env && *env) ? env : nullptr;
}

std::string libraryName() {
  const char* env = namedLibrary();
  return env ? std::string(env) : std::string(d2xx::kDefaultLibraryName);
}

// Why a library could not be loaded, in words a user can act on.
std::string loadFailureReason(const std::string& name, const std::string& loaderError) {
  namespace fs = std::filesystem;
  std::error_code ec;
  if (name.find('/') == std::string::npos) return loaderError;  // searched for on the library path
  if (!fs::exists(name, ec)) return "there is no such file";
  if (fs::is_directory(name, ec)) return "it is a folder, not a library";
  if (fs::is_regular_file(name, ec) && fs::file_size(name, ec) == 0) return "the file is empty";
  return "it is not a shared library (" + loaderError + ")";
}

template <typename Fn>
Fn entry(void* address) {
  return reinterpret_cast<Fn>(address);
}

const std::string& loadRecordingError() {
  g_startupError.clear();
  try {
    LoadD2xx();
  } catch (const EYOLBDLLError& e) {
    // The entry point's message, and the file it was looked for in.
    g_startupError = std::string(e.what()) + "\rDriver library: " + libraryName();
  }
  return g_startupError;
}

// Unit start-up: nothing may escape static initialisation; main reports the recorded error.
const bool g_startupLoad = (loadRecordingError(), true);

// Unit shut-down: the library goes last.
struct Finaliser {
  ~Finaliser() { UnloadD2xx(); }
} g_finaliser;

}  // namespace

void LoadD2xx() {
  if (g_binding.library) return;
  g_loadNote.clear();
  const std::string name = libraryName();
  std::string loaderError;
  // A name without a folder (the default one too) is looked for among the program's own libraries first.
  auto library = sys::DynamicLibrary::open(name, &loaderError, sys::programLibraryFolder());
  if (!library) {
    // No driver: zero devices, demonstration mode. Silent when the default library is simply not
    // installed; a library the user named, or a broken default one, is worth a note.
    std::error_code ec;
    if (namedLibrary() || std::filesystem::exists(name, ec) ||
        loaderError.find("No such file") == std::string::npos) {
      g_loadNote = "Driver library \"" + name +
                   "\" could not be loaded: " + loadFailureReason(name, loaderError) +
                   ". Running in demonstration mode.";
    }
    return;
  }
  void* found[std::size(d2xx::kRequiredEntryPoints)] = {};
  for (size_t i = 0; i < std::size(d2xx::kRequiredEntryPoints); ++i) {
    found[i] = library->symbol(d2xx::kRequiredEntryPoints[i]);
    if (!found[i]) {
      throw EYOLBDLLError(std::string("DLL error. Cannot locate entrypoint for ") +
                          d2xx::kRequiredEntryPoints[i]);
    }
  }
  Binding b;
  b.listDevices = entry<PFN_FT_ListDevices>(found[0]);
  b.listDevicesEx = entry<PFN_FT_ListDevices>(found[1]);
  b.open = entry<PFN_FT_Open>(found[2]);
  b.write = entry<PFN_FT_Write>(found[3]);
  b.getQueueStatus = entry<PFN_FT_GetQueueStatus>(found[4]);
  b.read = entry<PFN_FT_Read>(found[5]);
  b.purge = entry<PFN_FT_Purge>(found[6]);
  b.close = entry<PFN_FT_Close>(found[7]);
  b.library = std::move(library);
  g_binding = std::move(b);
}

void UnloadD2xx() {
  g_binding.clear();
}

bool D2xxLoaded() {
  return g_binding.library != nullptr;
}

const std::string& D2xxStartupError() {
  return g_startupError;
}

const std::string& D2xxLoadNote() {
  return g_loadNote;
}

bool ReportD2xxStartupError() {
  if (g_startupError.empty()) return false;
  LinkReportSink().ShowError(g_startupError);
  return true;
}

const std::string& ReloadD2xx() {
  UnloadD2xx();
  return loadRecordingError();
}

FT_STATUS GetFtdiDeviceCount(uint32_t& count) {
  count = 0;
  if (!g_binding.library) return FT_OK;
  uint32_t n = 0;
  FT_STATUS status = g_binding.listDevices(&n, nullptr, FT_LIST_NUMBER_ONLY);
  if (status == FT_OK) count = n;
  return status;
}

std::string FtStatusText(FT_STATUS status) {
  switch (status) {
    case FT_OK:
      return "";
    case FT_INVALID_HANDLE:
      return " - Invalid Handle...";
    case FT_DEVICE_NOT_FOUND:
      return " - Device Not Found....";
    case FT_DEVICE_NOT_OPENED:
      return " - Device Not Opened...";
    case FT_IO_ERROR:
      return " - General IO Error...";
    case FT_INSUFFICIENT_RESOURCES:
      return " - Insufficient Resources...";
    case FT_INVALID_PARAMETER:
      return " - Invalid Parameter ...";
    case FT_INVALID_BAUD_RATE:
      return " - Invalid baud rate ...";
    case FT_DEVICE_NOT_OPENED_FOR_ERASE:
      return " Device not opened for erase  ...";
    case FT_DEVICE_NOT_OPENED_FOR_WRITE:
      return " Device not opened for write ...";
    case FT_FAILED_TO_WRITE_DEVICE:
      return " - Failed to write ...";
    case FT_EEPROM_READ_FAILED:
      return " - EEPROM read Failed ...";
    case FT_EEPROM_WRITE_FAILED:
      return " - EEPROM write failed ...";
    case FT_EEPROM_ERASE_FAILED:
      return " - EEPROM erase failed ...";
    case FT_EEPROM_NOT_PRESENT:
      return " - EEPROM not present ...";
    case FT_EEPROM_NOT_PROGRAMMED:
      return " - EEPROM not programmed ...";
    case FT_INVALID_ARGS:
      return " - invalid Arguments ...";
    case FT_OTHER_ERROR:
      return " - other error  ...";
    default:
      return "";
  }
}

TUSB_ft245bm::TUSB_ft245bm() : ReadBuffer(kReadBufferSize, 0), WriteBuffer(kWriteBufferSize, 0) {}

FT_STATUS TUSB_ft245bm::report(const char* call, FT_STATUS status) {
  if (status != FT_OK && (StatusObserver || StatusMessageBox)) {
    const std::string text = call + FtStatusText(status);
    if (StatusMessageBox) LinkReportSink().ShowError(text);
    if (StatusObserver) StatusObserver(text);
  }
  return status;
}

FT_STATUS TUSB_ft245bm::Open(int index) {
  if (!g_binding.open) return report("FT_Open", FT_DEVICE_NOT_FOUND);
  return report("FT_Open", g_binding.open(index, &Handle));
}

FT_STATUS TUSB_ft245bm::Write(uint32_t count) {
  uint32_t written = 0;
  if (count > WriteBuffer.size()) {
    LastStatus = FT_INVALID_PARAMETER;
  } else if (!g_binding.write) {
    LastStatus = FT_INVALID_HANDLE;
  } else {
    LastStatus = g_binding.write(Handle, WriteBuffer.data(), count, &written);
  }
  return report("FT_Write", LastStatus);
}

FT_STATUS TUSB_ft245bm::GetQueueStatus() {
  if (!g_binding.getQueueStatus) return report("FT_GetQueueStatus", FT_INVALID_HANDLE);
  return report("FT_GetQueueStatus", g_binding.getQueueStatus(Handle, &RxBytes));
}

FT_STATUS TUSB_ft245bm::Read(uint32_t count) {
  LastReadCount = 0;
  // The driver may be asked for more than the buffer holds (a stale queue length); never let it write past
  // it.
  const uint32_t wanted = std::min<uint32_t>(count, static_cast<uint32_t>(ReadBuffer.size()));
  uint32_t got = 0;
  if (!g_binding.read) {
    LastStatus = FT_INVALID_HANDLE;
  } else {
    LastStatus = g_binding.read(Handle, ReadBuffer.data(), wanted, &got);
    LastReadCount = std::min(got, wanted);
  }
  return report("FT_Read", LastStatus);
}

FT_STATUS TUSB_ft245bm::PurgeTx() {
  if (!g_binding.purge) return report("FT_Purge TX", FT_INVALID_HANDLE);
  return report("FT_Purge TX", g_binding.purge(Handle, FT_PURGE_TX));
}

FT_STATUS TUSB_ft245bm::PurgeRx() {
  if (!g_binding.purge) return report("FT_Purge RX", FT_INVALID_HANDLE);
  return report("FT_Purge RX", g_binding.purge(Handle, FT_PURGE_RX));
}

FT_STATUS TUSB_ft245bm::Close() {
  FT_STATUS status = g_binding.close ? g_binding.close(Handle) : FT_INVALID_HANDLE;
  Handle = nullptr;
  return report("FT_Close", status);
}
