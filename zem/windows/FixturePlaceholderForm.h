// A stand-in for the fixture service window until the template and the model windows exist: it names
// the fixture and the window class it stands for, and ends as the service window does (Reconnect or
// Demo clears TerminateFlag and sets WindowClosed; Close and the close box set both).
#pragma once

#include <string>

#include "platform/ui/component.h"
#include "platform/ui/controls.h"
#include "platform/ui/form.h"

class TFixturePlaceholderForm final : public ui::Form {
 public:
  TFixturePlaceholderForm(ui::Component* owner, const std::string& windowClass);

  ui::Label* lFixture;
  ui::Label* lWindowClass;
  ui::Panel* Panel1;
  ui::Panel* pReconnect;
  ui::SpeedButton* sbReconnect;
  ui::Panel* pClose;
  ui::SpeedButton* sbClose;

  // The window class this window stands in for.
  const std::string& WindowClass() const { return windowClass_; }

  void FormCreate(ui::Component* sender);
  void FormClose(ui::Component* sender, ui::CloseAction& action);
  void sbReconnectClick(ui::Component* sender);
  void sbCloseClick(ui::Component* sender);

 private:
  std::string windowClass_;
};

// Set while a placeholder window exists.
extern ui::Ref<TFixturePlaceholderForm> FixturePlaceholderForm;
