// The firmware tool's application object: it shows the dialog modally, and the program ends when the
// dialog closes.
#pragma once

#include <functional>

class COrvaneDlg;

class COrvaneApp {
 public:
  // Runs with the dialog once it exists, before it shows (the headless run answers it).
  std::function<void(COrvaneDlg&)> onDialogCreated;

  // Builds the dialog, makes it the main window and shows it modally until it closes; true.
  bool InitInstance();
};
