#include "orvane/COrvaneApp.h"

#include "orvane/COrvaneDlg.h"
#include "platform/ui/application.h"

bool COrvaneApp::InitInstance() {
  ui::app().setTitle("Orvane");
  ui::Owned<COrvaneDlg> dlg(ui::createForm<COrvaneDlg>());
  ui::setMainForm(dlg.get());
  if (onDialogCreated) onDialogCreated(*dlg);
  dlg->showModal();
  ui::setMainForm(nullptr);
  return true;
}
