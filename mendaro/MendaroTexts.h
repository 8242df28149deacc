// The configurator's texts.
#pragma once

namespace mendaro::text {

inline constexpr const char* kAppTitle = "Mendaro";
inline constexpr const char* kDialogCaption = "Omnex USB DMX configuration tool";
inline constexpr const char* kDevices = "USB devices:";
inline constexpr const char* kUniverseSettings = "Universe settings";
inline constexpr const char* kOut = "OUT";
inline constexpr const char* kIn = "IN";
inline constexpr const char* kUpdate = "Update";
inline constexpr const char* kClearConfig = "Clear config";
inline constexpr const char* kClose = "&Close";

// One list line per box: its version (bcdDevice high byte, low byte) and, when configured, its universes.
inline constexpr const char* kConfiguredLine = "Tavren omnex USB DMX v%02X.%02X  A:%d  B:%d";
inline constexpr const char* kUnconfiguredLine = "Tavren omnex USB DMX v%02X.%02X unconfigured";

inline constexpr const char* kTooManyDevices = "No more than 16 devices allowed.";
inline constexpr const char* kReadFailed = "Failed to read device configuration";
inline constexpr const char* kWriteFailed = "Failed to write back device configuration.";
inline constexpr const char* kSelectDevice = "You need to select a device from the list.";
inline constexpr const char* kNotReadNotWritten =
    "The device configuration could not be read, so it is not written.";

inline constexpr const char* kTakingOver = "Taking over communication from console.\n\rPlease wait.";
inline constexpr const char* kRestoring = "Restoring communication with console.\n\rPlease wait.";

}  // namespace mendaro::text
