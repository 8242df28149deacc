#include "mendaro/CMendaroApp.h"

#include "mendaro/CMendaroDlg.h"
#include "mendaro/MendaroTexts.h"
#include "platform/ui/application.h"
#include "platform/ui/controls.h"
#include "platform/ui/form.h"

namespace mendaro {

CNoticeBox::CNoticeBox(const std::string& message) : ui::Form(nullptr) {
  setName("CNoticeBox");
  setCaption(text::kAppTitle);
  setBorderStyle(ui::BorderStyle::Dialog);
  setBorderIcons(0);
  setPosition(ui::FormPosition::ScreenCenter);
  setBounds(0, 0, 300, 80);
  // The message's line breaks, whichever way round they come, as the label's rows.
  auto* label = ui::make<ui::Label>(this, this, "lMessage", 20, 18, 260, 0);
  label->setWordWrap(true);
  label->setCaption(ui::lineBreaksAsLineFeeds(message));
}

CMendaroApp::CMendaroApp(sys::ServiceControl& service, Reporter report)
    : m_service(service), m_report(std::move(report)) {
  // The notice stays painted while the service is waited for.
  m_service.whileWaiting = [] { ui::app().processMessages(); };
}

void CMendaroApp::WithNotice(const char* message, const std::function<void()>& work) {
  ui::Owned<CNoticeBox> notice(ui::createForm<CNoticeBox>(message));
  notice->show();
  ui::app().processMessages();
  work();
  notice->hide();
}

bool CMendaroApp::InitInstance() {
  m_bServiceRunning = m_service.running();
  if (m_bServiceRunning) {
    WithNotice(text::kTakingOver, [this] {
      sys::Result<void> stopped = m_service.stop();
      if (stopped || !m_report) return;
      // Whatever went wrong, what counts for the dialog is whether the service still holds its boxes.
      if (m_service.running()) {
        m_report("the service did not stop: " + stopped.error() +
                 "; the boxes it holds will answer \"Busy\"");
      } else {
        m_report("the service stopped, but " + stopped.error());
      }
    });
  }
  // Told to end while the service was stopped: straight to the ending, which starts it again.
  if (ui::app().terminated()) return true;
  ui::Owned<CMendaroDlg> dialog(ui::createForm<CMendaroDlg>(nullptr));
  // The dialog's log holds the same note.
  if (dialog->Device()) m_sNoBackendNote = dialog->Device()->NoBackendNote();
  if (!m_sNoBackendNote.empty() && m_report) m_report(m_sNoBackendNote);
  dialog->showModal();
  return true;
}

int CMendaroApp::ExitInstance() {
  if (m_bServiceRunning && !m_bRestoreStarted) WithNotice(text::kRestoring, [this] { RestoreService(); });
  return 0;
}

void CMendaroApp::RestoreWithoutWindows() {
  if (!m_bServiceRunning || m_bRestoreStarted) return;
  m_service.whileWaiting = nullptr;  // it would paint
  RestoreService();
}

void CMendaroApp::RestoreService() {
  m_bRestoreStarted = true;
  sys::Result<void> started = m_service.start();
  if (!started && m_report) m_report("the service did not start again: " + started.error());
}

int CMendaroApp::Run() {
  try {
    InitInstance();
  } catch (...) {
    try {
      (void)ExitInstance();
    } catch (...) {
      // The first exception is the one to tell.
    }
    throw;
  }
  return ExitInstance();
}

}  // namespace mendaro
