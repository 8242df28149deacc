#include "zem/windows/ZemStrings.h"

#include <array>
#include <stdexcept>

namespace {

struct Entry {
  ZemStr id;
  const char* text;
};

// clang-format off
constexpr Entry kEntries[] = {
    {ZemStr::ErrorCaption, "Error!"},
    {ZemStr::WarningCaption, "Warning!"},
    {ZemStr::InformationCaption, "Information"},
    {ZemStr::Ok, "Ok"},
    {ZemStr::Stop, "Stop"},
    {ZemStr::Cancel, "Cancel"},
    {ZemStr::DownloadMemCaption, "Retrieving fixture memory - please wait"},
    {ZemStr::SaveMemoryCaption, "Save fixture memory to file"},
    {ZemStr::MemoryFileNotes, "Memory file notes"},
    {ZemStr::SaveToFile, "Save to file"},
    {ZemStr::AboutCaption, "About ZEM"},
    {ZemStr::ZemLogo, "ZEM"},
    {ZemStr::VersionFormat, "Tavren ZEM - ver %d.%d"},
    // Fixture window template, its pages and memory files.
    {ZemStr::FfMenuFiles, "&Files"},
    {ZemStr::FfSaveMemToFile, "Download and save fixture memory to file"},
    {ZemStr::FfUploadSAProgramFromFile, "Upload stand-alone program and settings from file"},
    {ZemStr::FfUploadSettingsFromFile, "Upload fixture settings from file"},
    {ZemStr::FfUploadCompleteMemoryFromFile, "Upload complete fixture memory from file"},
    {ZemStr::FfFileMenuHelp, "File Menu Help"},
    {ZemStr::FfExit, "Exit"},
    {ZemStr::FfMenuHelp, "&Help"},
    {ZemStr::FfHelp, "&Help"},
    {ZemStr::FfHelpContents, "Help contents"},
    {ZemStr::FfAbout, "About"},
    {ZemStr::FfDemoSuffix, "DEMO"},
    {ZemStr::FfReconnect, "Reconnect"},
    {ZemStr::FfReconnectHint, "Re-initializes fixture communication. Use this function to connect to a different fixture."},
    {ZemStr::FfRefresh, "Refresh"},
    {ZemStr::FfRefreshHint, "Refresh values by re-reading information from fixture."},
    {ZemStr::FfDemo, "Demo"},
    {ZemStr::FfDemoHint, "Return to main program. Use this function to demo another fixture type."},
    {ZemStr::FfClose, "Close"},
    {ZemStr::FfCloseHint, "Close the application"},
    {ZemStr::FfPageFixtureInfo, "Fixture info"},
    {ZemStr::FfPageFixtureSettings, "Fixture settings"},
    {ZemStr::FfPageAdjustment, "Adjustment"},
    {ZemStr::FfPageStandAloneSettings, "Stand-alone settings"},
    {ZemStr::FfPageStandAloneProgram, "Stand-alone program"},
    {ZemStr::FfPageMonitor, "Monitor"},
    {ZemStr::FfAdjustmentFunctions, "Adjustment functions"},
    {ZemStr::FfReset, "Reset"},
    {ZemStr::FfResetHint, "Do a fixture reset"},
    {ZemStr::FfLampOn, "Lamp on"},
    {ZemStr::FfLampOnHint, "Turn on the lamp"},
    {ZemStr::FfLampOff, "Lamp off"},
    {ZemStr::FfLampOffHint, "Turn off the lamp"},
    {ZemStr::FfCalibrationFunctions, "Calibration functions"},
    {ZemStr::FfResetting, "Fixture is resetting. This may take a minute or two. Meanwhile the fixture is not able to comunicate."},
    {ZemStr::FfGetInfoCaption, "Retrieving fixture information"},
    {ZemStr::FfTestSequence, "Fixture executing testsequence"},
    {ZemStr::FfMemoryFilesFilter, "ZEM Memory files"},
    {ZemStr::FfTextFilesFilter, "Text files"},
    {ZemStr::FfFixtureInformation, "Fixture information"},
    {ZemStr::FfFixtureType, "Fixture: %s"},
    {ZemStr::FfMainCPU, "Main CPU:"},
    {ZemStr::FfFixtureId, "FixtureID: %s"},
    {ZemStr::FfFixtureStatus, "Fixture status"},
    {ZemStr::FfLamp, "Lamp"},
    {ZemStr::FfFixtureTime, "Fixture real-time clock (HH:MM  DD/MM/YY)"},
    {ZemStr::FfClockHint, "Set the fixtures internal real time clock"},
    {ZemStr::FfPowerOnHours, "Total Power-on hours %d"},
    {ZemStr::FfLampOnHours, "Total Lamp-on hours %d"},
    {ZemStr::FfLampStrikes, "Total Lamp Strikes %d"},
    {ZemStr::FfRPowerOnHours, "Resettable Power-on hours %d"},
    {ZemStr::FfRLampOnHours, "Resettable Lamp-on hours %d"},
    {ZemStr::FfRLampStrikes, "Resettable Lamp Strikes %d"},
    {ZemStr::FfResetPowerOnHint, "Reset \"Resettable Power-on hours\" to 0"},
    {ZemStr::FfResetLampOnHint, "Reset \"Resettable Lamp-on hours\" to 0"},
    {ZemStr::FfResetLampStrikesHint, "Reset \"Resettable Lamp Strikes\" to 0"},
    {ZemStr::FfSensorValue, "Lightsensor value:%d"},
    {ZemStr::FfDMXProtocolSettings, "DMX protocol settings"},
    {ZemStr::FfDMXAddress, "DMX Address"},
    {ZemStr::FfDMXAddressHint, "Change DMX address of the fixture"},
    {ZemStr::FfOff, "Off"},
    {ZemStr::FfOn, "On"},
    {ZemStr::FfDMXLampOff, "DMX Lamp Off"},
    {ZemStr::FfDMXLampOffHint, "With \"DMX Lamp Off\" off, the lamp can't be turned off using DMX"},
    {ZemStr::FfDMXReset, "DMX Reset"},
    {ZemStr::FfDMXResetHint, "With \"DMX Reset\" off, the lamp can't be reset using DMX"},
    {ZemStr::FfOtherSettings, "Other settings"},
    {ZemStr::FfAutoLampOn, "Auto LampOn"},
    {ZemStr::FfAutoLampOnHint, "With \"Auto LampOn\" on, the fixture will automatically strike the lamp at power up. Most lamps has a random delay of up to 90 seconds before striking, this is to prevent the masive current draw if all lamps stroke simultaneous."},
    {ZemStr::FfQZLLampOff, "QZL Lamp Off"},
    {ZemStr::FfQZLPreset7, "QZL Preset 7 key"},
    {ZemStr::FfQZLLampOffHint, "With this setting you can choose to have key 7 of the QZL act as a lamp power-off button"},
    {ZemStr::FfDisplayEnable, "Display Enable"},
    {ZemStr::FfDisplayEnableHint, "With \"Display Enable\" off, the display will turn off after 2 minutes without any key action or errors"},
    {ZemStr::FfInvertDisplay, "Invert Display"},
    {ZemStr::FfInvertDisplayHint, "Turn display upside down"},
    {ZemStr::FfDisplayErrors, "Display errors"},
    {ZemStr::FfDisplayErrorsHint, "With \"Display errors\" on, the fixture will flash error messages in the display, this is regardless of \"Display Enable\" setting"},
    {ZemStr::FfStandAloneOperation, "Stand-alone operation"},
    {ZemStr::FfDisabled, "Disabled"},
    {ZemStr::FfEnabled, "Enabled"},
    {ZemStr::FfStandAloneOperationHint, "With \"Stand-alone operation\" enabled, the fixture can use its onboard scenes, either through QZL or other control gear; or if \"Auto program\" is on, on it's own"},
    {ZemStr::FfAutoProgram, "Auto program"},
    {ZemStr::FfAutoProgramHint, "With \"Auto program\" on, the fixture start it's onboard scenes, when power is applied, or if the DMX signal is removed. \"Stand-alone operation\" has to be enabled, or this setting will have no effect."},
    {ZemStr::FfSynchronized, "Synchronized"},
    {ZemStr::FfSingleFixture, "Single Fixture"},
    {ZemStr::FfMaster, "Master"},
    {ZemStr::FfMasterSlaveHint, "Select behavior of the stand alone playback. \"Single Fixture\" is independant of other fixtures. \"Master\" sends sync-signals accros the DMX wire. \"Synchronized\" fixtures follows the sync-signals sent by masters. Remember: only one master on a DMX link."},
    {ZemStr::FfTimerSettings, "Stand-Alone timer settings"},
    {ZemStr::FfEnableTimers, "Enable Timers"},
    {ZemStr::FfTimerNone, "None"},
    {ZemStr::FfTimer1, "Timer 1"},
    {ZemStr::FfTimer2, "Timer 2"},
    {ZemStr::FfBothTimers, "Both Timers"},
    {ZemStr::FfTimerModeHint, "Timers are used to turn the lamp on/off based on the fixtures internal real time clock. If no DMX is applied, timers can also trigger stand alone execution."},
    {ZemStr::FfStartTime, "Start Time"},
    {ZemStr::FfEndTime, "End Time"},
    {ZemStr::FfSensorSettings, "Stand-Alone lightsensor settings"},
    {ZemStr::FfLightSensorTrigHint, "As with timers, lamp on/off can also be controled by the ambient light level, or a combination of both. If both timers and light level is enabled, both conditions has to be met to start the lamp."},
    {ZemStr::FfLightLevelTrigger, "Lightsensor level trigger"},
    {ZemStr::FfLightLevelTriggerHint, "Manualy set the light sensor trigger level"},
    {ZemStr::FfCaptureLevel, "Capture current sensor value"},
    {ZemStr::FfCaptureLevelHint, "Capture the current ambient light level as light sensor trigger level"},
    {ZemStr::FfHardwareMonitorValues, "Hardware Monitor Values"},
    {ZemStr::FfMonitorLight, "Light%d: %%d Lux"},
    {ZemStr::FfMonitorVoltage, "Voltage%d: %%0.1f Volt"},
    {ZemStr::FfMonitorTemperature, "Temp%d: %%0.1f DegC"},
    {ZemStr::FfMonitorFan, "Fan%d: %%d RPM"},
    {ZemStr::FfClearLog, "Clear log"},
    {ZemStr::FfClearLogHint, "Clear the fixtures log"},
    {ZemStr::FfSaveLog, "Save log"},
    {ZemStr::FfSaveLogHint, "Save the fixtures log to a text file"},
    {ZemStr::FfPreviousScene, "Previous Scene"},
    {ZemStr::FfPreviousSceneHint, "Go to previous scene"},
    {ZemStr::FfNextScene, "Next Scene"},
    {ZemStr::FfNextSceneHint, "Go to next scene"},
    {ZemStr::FfStoreScene, "Store Scene"},
    {ZemStr::FfStoreSceneHint, "Store settings in the current scene"},
    {ZemStr::FfAddScene, "Add Scene"},
    {ZemStr::FfAddSceneHint, "Add settings to a new scene at the end of the sequence"},
    {ZemStr::FfDeleteScene, "Delete Scene"},
    {ZemStr::FfDeleteSceneHint, "Remove the current scene from the sequence. Scenes above the deleted scene will move down a number."},
    {ZemStr::FfDeleteAll, "Delete All"},
    {ZemStr::FfDeleteAllHint, "Clear all scenes"},
    {ZemStr::FfInsertScene, "Insert Scene"},
    {ZemStr::FfInsertSceneHint, "Add settings to a new scene. The scene is inserted before the current scene, which moves up a number."},
    {ZemStr::FfRunProgram, "Run Program"},
    {ZemStr::FfRunProgramHint, "Run the scenes in the current programmed show"},
    {ZemStr::FfWaitTime, "Scene wait time"},
    {ZemStr::FfWaitTimeHint, "Set the wait time of the current scene. Wait time is the duration that the fixture will stay at the set scene."},
    {ZemStr::FfFadeTime, "Scene fade time"},
    {ZemStr::FfFadeTimeHint, "Set the fade time of the current scene. Fade time is the transition time between two scenes."},
    {ZemStr::FfSceneCounter, "Scene %d of %d"},
    {ZemStr::FfSeconds, "%d Seconds"},
    {ZemStr::FfSecond, "%d Second"},
    {ZemStr::FfMinute, "%d Minute"},
    {ZemStr::FfMinuteSeconds, "%d Minute %d Seconds"},
    {ZemStr::FfMinutes, "%d Minutes"},
    {ZemStr::FfHour, "%d Hour"},
    {ZemStr::FfHourMinutes, "%d Hour %d Minutes"},
    {ZemStr::FfHours, "%d Hours"},
    {ZemStr::FfSnap, "Snap"},
    {ZemStr::FfRunningProgram, "Fixture executing Stand-alone program"},
    {ZemStr::FfFileCorrupted, "Error reading file - file appears to be corrupted"},
    {ZemStr::FfFileNotZem, "Error reading file - not a valid ZEM file"},
    {ZemStr::FfFileChecksum, "Error reading file - checksum failed"},
    {ZemStr::FfFileOtherType, "This file has been created for a different version type of fixture and cannot be uploaded."},
    {ZemStr::FfFileOtherMap1, "This file has been created for a different version of fixture memory map."},
    {ZemStr::FfFileOtherMap2, "(File contains version %s - fixture uses version %s)."},
    {ZemStr::FfFileOtherMap3, "Uploading memory may in worst case cause the fixture to malfunction."},
    {ZemStr::FfFileOtherMap4, "Please check with fixture firmware release notes for ZEM version compatibility."},
    {ZemStr::FfFileImageTooSmall, "This file does not hold the fixture memory this upload needs and cannot be uploaded."},
    {ZemStr::FfNothingToUpload, "This fixture has no memory of this kind that can be uploaded from a file - nothing was written."},
    {ZemStr::FfFileWriteFailed, "Error writing file - file not saved."},
    {ZemStr::FfDownloadFailed, "Error downloading memory from fixure - download aborted."},
    {ZemStr::FfNotesTitle, "ZEM fixture memory file"},
    {ZemStr::FfDemoNoSave, "Demo mode - no actual file saved."},
    {ZemStr::FfUploadingSAProgram, "Uploading stand-alone program from file - please wait.."},
    {ZemStr::FfUploadingSettings, "Uploading fixture settings from file - please wait.."},
    {ZemStr::FfUploadingComplete, "Uploading complete fixture memory from file - please wait.."},
    {ZemStr::FfUploadFailed, "Fatal error uploading fixture memory - upload aborted"},
    {ZemStr::FfUploadFinished, "Upload finished"},
    {ZemStr::FfUploadResetting, "Resetting fixture to re-initialize memory"},
};
// clang-format on

constexpr size_t kCount = static_cast<size_t>(ZemStr::Count_);

const std::array<std::string, kCount>& table() {
  static const std::array<std::string, kCount> t = [] {
    std::array<std::string, kCount> a;
    std::array<bool, kCount> seen{};
    for (const Entry& e : kEntries) {
      size_t i = static_cast<size_t>(e.id);
      if (i >= kCount || seen[i]) throw std::logic_error("string table: bad or duplicate entry");
      seen[i] = true;
      a[i] = e.text;
    }
    return a;
  }();
  return t;
}

}  // namespace

const std::string& ZemString(ZemStr id) {
  static const std::string kEmpty;
  size_t i = static_cast<size_t>(id);
  if (i >= kCount) return kEmpty;
  return table()[i];
}
