// The configurator's dialog: the list of attached USB-DMX boxes, the identify signal of the picked box
// with its lamp blinking on the box's picture, the two universes and port directions written into the
// box's configuration block, and the log.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "mendaro/QUILLON.h"
#include "platform/ui/controls.h"
#include "platform/ui/edits.h"
#include "platform/ui/form.h"
#include "platform/ui/list_box.h"
#include "platform/ui/up_down.h"
#include "usbdevice/usb_wire.h"

namespace mendaro {

// One attached box as the device watch read it.
struct BoxEntry {
  wdu::DeviceHandle handle = 0;
  uint16_t bcdDevice = 0;
  bool configured = false;
  // False when the block could not be read: the block then holds nothing of the box's, and is not written.
  bool read = false;
  DeviceConfigBlock block;
};

class CMendaroDlg : public ui::Form {
 public:
  static constexpr int kMaxBoxes = 16;
  static constexpr uint32_t kWatchMs = 500;  // timer 1: the device watch
  static constexpr uint32_t kLampMs = 250;   // timer 2: the lamp
  static constexpr ui::Color kLampGreen = 0x00FF00;
  static constexpr ui::Color kLampOrange = 0x2D95E9;  // red 0xE9, green 0x95, blue 0x2D
  static constexpr ui::Color kUniverseTextColor = 0x00F0F0;
  static constexpr ui::Color kUniverseBackground = 0x787878;
  static constexpr int kUniverseTextTwips = 450;
  static constexpr int kUniverseChars = 2;

  explicit CMendaroDlg(ui::Component* owner = nullptr);
  ~CMendaroDlg() override;

  // Controls.
  ui::Label* lDevices;
  ui::ListBox* lbDevices;
  ui::Image* imBox;
  ui::GroupBox* gbUniverses;
  ui::RichEdit* reUniverseA;
  ui::RichEdit* reUniverseB;
  ui::UpDown* udUniverseA;
  ui::UpDown* udUniverseB;
  ui::CheckBox* cbInputA;
  ui::CheckBox* cbInputB;
  ui::Button* bUpdate;
  ui::Button* bClearConfig;
  ui::Memo* mLog;
  ui::Button* bClose;
  ui::Timer* tmWatch;
  ui::Timer* tmLamp;

  // Handlers (public so that tests can reach what the timers and controls call).
  void OnInitDialog();
  void OnWatchTimer();
  void OnLampTimer();
  void OnSelchangeDevices();
  void OnUpdate();
  void OnClearConfig();
  void OnDeltaposUniverse(bool portA, int delta, bool& allow);
  void OnDirection(ui::CheckBox* box);
  void OnCloseButton();

  // One line at the end of the log.
  void AddToLog(const std::string& text, bool newLine = true);

  // State, for tests and the program's own checks.
  int UniverseA() const { return m_iUniverseA; }
  int UniverseB() const { return m_iUniverseB; }
  int Selection() const { return m_nSelection; }
  int BoxCount() const { return m_nBoxCount; }
  bool FirstPick() const { return m_bFirstPick; }
  bool Blinking() const { return m_bBlinking; }
  const BoxEntry& Box(int index) const { return m_Boxes.at(static_cast<size_t>(index)); }
  QUILLON* Device() const { return m_pBox.get(); }

  // The list line of an entry.
  static std::string ListLine(const BoxEntry& entry);

 protected:
  void doCreate() override;
  void doClose(ui::CloseAction& action) override;

 private:
  void ReadAllBoxes();
  // Refills the list and highlights the line of the box with this handle (none when it is not listed).
  void RebuildList(wdu::DeviceHandle highlight);
  wdu::DeviceHandle HighlightedHandle() const;
  // The universes typed into the edits, validated 1 to 32; false (with the standard message, and the
  // stored values unchanged) when one is refused.
  bool TakeUniverses();
  void ShowUniverses();
  void SetDirection(ui::CheckBox* box, bool input);
  // The picked box when its block may be written; else nothing, and the log says why (Update and Clear
  // act on the pick, never on whatever line the list highlights).
  const BoxEntry* WritableSelection();
  // Writes the block into the selected box; the entry takes it only when the box did.
  void WriteSelected(const DeviceConfigBlock& block, bool configured);
  // Ends the picked box's identify signal.
  void IdentifyOff();
  void DrawLamp(ui::Color color);

  int m_iUniverseA = 1;
  int m_iUniverseB = 2;
  std::unique_ptr<QUILLON> m_pBox;
  std::array<BoxEntry, kMaxBoxes> m_Boxes{};
  int m_nBoxCount = 0;
  uint32_t m_nListGeneration = 0;  // the device list's generation the entries were read at
  int m_nSelection = -1;
  bool m_bFirstPick = true;
  bool m_bBlinking = false;
  bool m_bLampGreen = false;
};

}  // namespace mendaro
