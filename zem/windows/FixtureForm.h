// The fixture window template: the service window every fixture model opens, and the base of every
// model window. It owns what all fixtures share: the menu, the six pages (information, settings,
// stand-alone settings, stand-alone program, adjustment, monitor), the Reconnect / Refresh / Close
// buttons, the 200 ms write-back timer, the scene editor and the memory-file download and uploads.
//
// Life: the main loop creates the window with itself as owner (ui::createForm<T>(owner), or plain new:
// the creation event then runs at the first show), shows it and waits until WindowClosed is set. The
// first show starts the write-back timer; the first activation reads the fixture and fills every page.
// The window works only through CurrentFixture and FixtureData.
//
// Model windows derive from it: they build their own controls in their constructor, override FormCreate
// (calling this class's first), may free pages or controls they do not want (every control member is a
// reference that reads null once its control is gone, and the template skips what is missing), and
// override the nine virtual operations and the timer handler as their fixture needs.
//
// Edits: update operations fill controls with Updating raised. A spin edit changed by the user is marked
// (its Tag becomes 1) and the next timer tick writes it when it differs from the fixture's value; values
// the window shows itself (also when an edit's range changes them) are never marked, so showing a value
// never writes it. Combo boxes changed by the user are written at once.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "platform/ui/application.h"
#include "platform/ui/controls.h"
#include "platform/ui/edits.h"
#include "platform/ui/file_dialog.h"
#include "platform/ui/form.h"
#include "platform/ui/graphics.h"
#include "platform/ui/menus.h"
#include "platform/ui/page_control.h"
#include "zem/model/uZemFixture.h"
#include "zem/windows/ZemStrings.h"

class TFormGetInfoProgress;
struct TMemoryFileView;

class TFixtureFormTemplate : public ui::Form {
 public:
  explicit TFixtureFormTemplate(ui::Component* owner);
  ~TFixtureFormTemplate() override;

  // ---- Frame ----
  ui::Ref<ui::ToolBar> ToolBar1;
  ui::Ref<ui::MainMenu> MainMenu;
  ui::Ref<ui::MenuItem> mMenuFiles, mSaveMemToFile, N1, mUploadSAProgramFromFile,
      mUploadFixturesettingsFromFile, mUploadCompleteMemoryFromFile, N2, mFileMenuHelp, N3, mExit;
  ui::Ref<ui::MenuItem> mMenuHelp, mHelp, mHelpContents, N4, mAbout;
  ui::Ref<ui::Panel> Panel1, pReconnect, pRefresh, pClose;
  ui::Ref<ui::SpeedButton> sbReconnect, sbRefresh, sbClose;
  ui::Ref<ui::PageControl> PC1;
  ui::Ref<ui::TabSheet> tsFixtureInfo, tsFixtureSettings, tsStandAloneSettings, tsStandAloneProgram,
      tsAdjustment, tsMonitor;
  ui::Ref<ui::Timer> SAModifiedTimer;
  ui::Ref<ui::SaveDialog> SaveDialog;
  ui::Ref<ui::OpenDialog> OpenDialog;
  ui::Ref<ui::ImageList> ImageList1, DummyImageList;

  // ---- Fixture info page ----
  ui::Ref<ui::GroupBox> gbFixtureInformation, gbFixtureStatus;
  ui::Ref<ui::Label> lFixtureType, lMainCPUInfo, lFixtureId, lLampStatus, lSensorValue, lFixtureTime;
  ui::Ref<ui::Image> iFixture;
  ui::Ref<ui::SpinEdit> seHour, seMinute, seDate, seMonth, seYear;
  ui::Ref<ui::Label> lPowerOnHours, lLampOnHours, lLampStrikes, lRPowerOnHours, lRLampOnHours, lRLampStrikes;
  ui::Ref<ui::Panel> pResetPowerOn, pResetLampOn, pResetLampStrikes;
  ui::Ref<ui::RichEdit> reErrors;

  // ---- Fixture settings page ----
  ui::Ref<ui::GroupBox> gbDMXProtocolSettings, gbOtherSettings;
  ui::Ref<ui::Label> lDMXAddress, lDMXLampOff, lDMXReset, lAutoLampOn, lQZLLampOff, lDisplayEnable,
      lInvertDisplay, lDisplayErrors;
  ui::Ref<ui::SpinEdit> seDMXAddress;
  ui::Ref<ui::ComboBox> cbDMXLampOff, cbDMXReset, cbAutoLampOn, cbQZLLampOff, cbDisplayEnable,
      cbInvertDisplay, cbDisplayErrors;

  // ---- Stand-alone settings page ----
  ui::Ref<ui::GroupBox> gbStandAloneSettings, gbStandAloneTimerSettings, gbStandAloneSensorSettings;
  ui::Ref<ui::Label> lStandAloneMode, lAutoProgramOn, lMasterSlaveSetting, lEnableTimers, lStartTime,
      lEndTime, lTimer1, lTimer2, lLightLevelTrigger;
  ui::Ref<ui::ComboBox> cbStandAloneMode, cbAutoProgramOn, cbMasterSlaveSetting, cbTimerMode,
      cbLightSensorTrig;
  ui::Ref<ui::SpinEdit> seT1HStart, seT1MStart, seT1HStop, seT1MStop, seT2HStart, seT2MStart, seT2HStop,
      seT2MStop;
  ui::Ref<ui::SpinEdit> seSensorLevelTrigger;
  ui::Ref<ui::Panel> pCaptureCurrentLevel;

  // ---- Stand-alone program page ----
  ui::Ref<ui::Panel> Panel2, Panel3, Panel4;
  ui::Ref<ui::Panel> pPrevious, pNext, pStore, pAdd, pDelete, pDeleteAll, pInsert, pRun;
  ui::Ref<ui::SpeedButton> sbPrevious, sbNext, sbStore, sbAdd, sbDelete, sbDeleteAll, sbInsert, sbRun;
  ui::Ref<ui::Label> lWaitTime, lFadeTime, lSceneCounter;
  // Beside the hour, minute and second edits; hidden with them (model windows that show the edits set
  // the format text).
  ui::Ref<ui::Label> lWaitTimeFormat, lFadeTimeFormat;
  ui::Ref<ui::ComboBox> cbWaitTime, cbFadeTime;
  ui::Ref<ui::SpinEdit> seWaitHour, seWaitMinute, seWaitSecond, seFadeHour, seFadeMinute, seFadeSecond;

  // ---- Adjustment page ----
  ui::Ref<ui::GroupBox> gbAdjustmentFunctions, gbCalibrationFunctions;
  ui::Ref<ui::Panel> pResetLamp;
  ui::Ref<ui::SpeedButton> sbReset2, sbLampOn2, sbLampOff2;

  // ---- Monitor page ----
  ui::Ref<ui::GroupBox> gbHardwareMonitorValues;
  // Channels 1..7 at indexes 0..6.
  std::array<ui::Ref<ui::Label>, 7> lLightSensor, lSupplyVoltage, lTemperature, lFanSpeed;
  ui::Ref<ui::Panel> pClearLog, pSaveLog;
  ui::Ref<ui::RichEdit> reSystemLog;

  // ---- Fields ----
  bool Activated = false;  // the first activation has run (or is running)
  bool Shown = false;      // the first show has run
  bool Updating = false;   // controls are being filled from the fixture object
  std::array<std::string, 28> MonitorFormats;

  // ---- The nine virtual operations ----
  virtual void UpdateAll();
  virtual void ReadFixture();
  virtual void UpdateMonitorValues();
  virtual void UpdateSensorValue();
  virtual void UpdateDMXSettings();
  virtual void UpdateOtherSettings();
  virtual void UpdateStandAloneSettings();
  virtual void UpdateScene();
  virtual void EnableSceneButtons();

  // ---- Plain update operations ----
  void UpdateFixtureInfo();
  void UpdateCounters();
  void UpdateSystemLog();
  void UpdateLampStatus();
  void UpdateErrors();
  void UpdateClock();
  void UpdateTimerSettings();
  void UpdateSensorSettings();

  // ---- Event handlers (model windows override the virtual ones and call these first) ----
  virtual void FormCreate(ui::Component* sender);
  virtual void FormShow(ui::Component* sender);
  virtual void FormActivate(ui::Component* sender);
  virtual void FormClose(ui::Component* sender, ui::CloseAction& action);
  virtual void FormDestroy(ui::Component* sender);
  virtual void SAModifiedTimerTimer(ui::Component* sender);
  void sbReconnectClick(ui::Component* sender);
  void sbRefreshClick(ui::Component* sender);
  void sbCloseClick(ui::Component* sender);
  void mExitClick(ui::Component* sender);
  void mSaveMemToFileClick(ui::Component* sender);
  void mUploadSAProgramFromFileClick(ui::Component* sender);
  void mUploadFixturesettingsFromFileClick(ui::Component* sender);
  void mUploadCompleteMemoryFromFileClick(ui::Component* sender);
  void mHelpClick(ui::Component* sender);
  void ZEMMainFormHelpContents1Click(ui::Component* sender);
  void mFileMenuHelpClick(ui::Component* sender);
  void mAboutClick(ui::Component* sender);
  void MainMenuMeassureItem(ui::Component* sender, ui::Canvas& canvas, int& width, int& height);
  void MainMenuDrawItem(ui::Component* sender, ui::Canvas& canvas, const ui::Rect& rect, bool selected);
  void PC1DrawTab(ui::PageControl* control, int tabIndex, const ui::Rect& rect, bool active);
  void sbAdjustResetLampClick(ui::Component* sender);
  void PanelMouseDown(ui::Component* sender, ui::MouseButton button, ui::ShiftState shift, int x, int y);
  void PanelMouseUp(ui::Component* sender, ui::MouseButton button, ui::ShiftState shift, int x, int y);
  void pCaptureCurrentLevelClick(ui::Component* sender);
  void pMouseDown(ui::Component* sender, ui::MouseButton button, ui::ShiftState shift, int x, int y);
  void pMouseUp(ui::Component* sender, ui::MouseButton button, ui::ShiftState shift, int x, int y);
  void cbDMXLampOffChange(ui::Component* sender);
  void cbDMXResetChange(ui::Component* sender);
  void cbAutoLampOnChange(ui::Component* sender);
  void cbQZLLampOffChange(ui::Component* sender);
  void cbDisplayEnableChange(ui::Component* sender);
  void cbInvertDisplayChange(ui::Component* sender);
  void cbDisplayErrorsChange(ui::Component* sender);
  void cbStandAloneModeChange(ui::Component* sender);
  void cbAutoProgramOnChange(ui::Component* sender);
  void cbMasterSlaveSettingChange(ui::Component* sender);
  void cbTimerModeChange(ui::Component* sender);
  void cbLightSensorTrigChange(ui::Component* sender);
  void seChange(ui::Component* sender);
  void seKeyPress(ui::Component* sender, char& key);
  void sbSAProgramClick(ui::Component* sender);
  void cbWaitTimeChange(ui::Component* sender);
  void cbFadeTimeChange(ui::Component* sender);

  // Progress of ReadAllFixtureData on the progress window; pumps messages.
  void GetInfoProgressCallback(int position, int maximum);
  // True when the file may be uploaded into the connected fixture; false (after an error box) when it was
  // made for another fixture type. Raises EZEMFileError for an unreadable or damaged file.
  [[nodiscard]] bool CheckMemoryFile(const std::string& fileName);
  // Saves the lines of the system log to a text file the user chooses.
  void SaveLog();

  // The memory files' folder (memoryFilesRoot: the program's folder, or the user's data folder) followed by
  // the fixture's name made safe as a folder name.
  std::string MemoryFolder() const;
  // True while the Monitor page exists and is the active page.
  [[nodiscard]] bool MonitorPageShowing() const;
  // Replaces the Monitor format text at index (0-27, in the order of MonitorFormats) and shows it with 0.
  void SetMonitorFormat(size_t index, ZemStr format);
  // Places the Monitor page's four columns side by side, each as wide as the longest text its values can
  // give: a window whose format texts are longer than the template's keeps them from running together. When
  // the widest texts cannot stand side by side in the group in bold, the values take the plain face.
  void FitMonitorColumns();
  // Moves the version and identity rows of the fixture information down when the name or the version takes
  // two rows, and makes the group as high as they need.
  void FitFixtureInfoRows();
  // The help topic of a page of this window ("" for a page a model window added).
  std::string HelpTopicFor(const ui::TabSheet* page) const;

 protected:
  // Runs the creation event first when the window was made with plain new.
  void doShow() override;

  // Pauses the write-back timer for a long operation and gives it back the state it had (also when the
  // operation ends by an exception), unless the window was closed meanwhile.
  class TimerPause {
   public:
    // Takes the timer's state; stops it now unless stopNow is false (then stop() does).
    explicit TimerPause(TFixtureFormTemplate& form, bool stopNow = true);
    ~TimerPause();
    TimerPause(const TimerPause&) = delete;
    TimerPause& operator=(const TimerPause&) = delete;
    // Stops the timer now (the state to restore was taken at construction).
    void stop();
    // Restores now instead of at the end of the scope.
    void restore();

   private:
    ui::Ref<TFixtureFormTemplate> form_;
    ui::Ref<ui::Timer> timer_;
    bool wasEnabled_ = false;
    bool done_ = false;
  };

  // Disables the window for a long operation and enables it again at the end of the scope (also on
  // exceptions), bringing it to the top when asked to.
  class WindowDisabled {
   public:
    explicit WindowDisabled(TFixtureFormTemplate& form, bool bringToFront = false);
    ~WindowDisabled();
    WindowDisabled(const WindowDisabled&) = delete;
    WindowDisabled& operator=(const WindowDisabled&) = delete;
    void end();

   private:
    ui::Ref<TFixtureFormTemplate> form_;
    bool bringToFront_;
    bool done_ = false;
  };

  // An owner-drawn tab of the window's look: the active one white with black text (its fill ending
  // activeShortening pixels above the rectangle's bottom), the others silver with white text; the caption
  // 2 pixels right of and below the rectangle's top-left corner.
  static void DrawTab(ui::PageControl* control, int tabIndex, const ui::Rect& rect, bool active,
                      int activeShortening);
  // Runs an event handler the way the application's default exception handler would: an exception is
  // shown in the system error box and goes no further.
  void Guarded(const std::function<void()>& handler);
  // Shows a spin edit's value without marking it as the user's change.
  void ShowEditValue(ui::SpinEdit* edit, int value);
  // The number the user left in a spin edit: false when the text is not a whole number or lies outside
  // the edit's range (nothing is written then).
  [[nodiscard]] static bool EditNumber(const ui::SpinEdit* edit, int& value);
  // One write-back step: when the edit is marked and its number differs from the fixture's, clear the
  // mark, call the setter and on success the refresh.
  void WriteBackEdit(ui::SpinEdit* edit, const std::function<int()>& get, const std::function<bool(int)>& set,
                     const std::function<void()>& refresh);
  // A combo box change: the item index to the setter, the refresh on success.
  void ComboChanged(ui::ComboBox* box, const std::function<bool(int)>& set,
                    const std::function<void()>& refresh);
  // Error, warning and information boxes owned by the window, shown modally.
  void ShowErrorForm(const std::string& text);
  void ShowWarningForm(const std::string& text);
  // Reconnect: the main loop searches for a fixture again.
  void Reconnect();

  enum class UploadKind { StandAloneProgram, Settings, CompleteMemory };
  void UploadFromFile(UploadKind kind);
  // The file check on a loaded file (the upload checks the very bytes it then sends).
  [[nodiscard]] bool CheckMemoryData(const TMemoryFileView& file);
  // Points a file dialog at the memory folder (created first) with the memory-file filter.
  void PrepareMemoryFileDialog(ui::FileDialog& dialog);
  // Points a file dialog at the memory folder (created first) with the filter and default extension.
  void PrepareFileDialog(ui::FileDialog& dialog, const std::string& filter, const char* defaultExt);
  // Writes the file; a failure is told in an error box.
  void SaveFileOrReport(const std::string& path, std::span<const uint8_t> data);
  // Loads and checks a memory file into bytes; the view points into them. Raises the file error of the
  // class library (std::runtime_error) for a file that cannot be read, EZEMFileError for a damaged one.
  TMemoryFileView LoadMemoryFile(const std::string& fileName, std::vector<uint8_t>& bytes);

 private:
  void BuildFrame();
  void BuildFixtureInfoPage();
  void BuildFixtureSettingsPage();
  void BuildStandAloneSettingsPage();
  void BuildStandAloneProgramPage();
  void BuildAdjustmentPage();
  void BuildMonitorPage();
  void SetUpPageTexts();
  void SetUpStandAloneProgramTexts();
  // Sizes the scene buttons to their captions across Panel2.
  void LayOutSceneButtons();
  void RunStandAloneProgram();
  void DownloadMemory();

  ui::Ref<TFormGetInfoProgress> infoProgress_;
  ui::Timer* writeBackTimer_ = nullptr;  // what ActiveWriteBackTimer was set to
  bool closed_ = false;
};
