#include "zem/link/LinkReport.h"

#include "platform/ui/application.h"
#include "platform/ui/message_box.h"
#include "zem/link/ZEMData.h"

namespace {

class DefaultSink : public TLinkReportSink {
 public:
  void ShowError(const std::string& text) override { ui::showErrorBox(text); }

  std::function<void()> PauseWriteBack() override {
    ui::Timer* timer = ActiveWriteBackTimer;
    if (!timer) return [] {};
    const bool wasEnabled = timer->enabled();
    timer->setEnabled(false);
    // Given back only while its window still exists: a closed window clears ActiveWriteBackTimer.
    return [timer, wasEnabled] {
      if (ActiveWriteBackTimer == timer) timer->setEnabled(wasEnabled);
    };
  }
};

DefaultSink g_defaultSink;
TLinkReportSink* g_sink = nullptr;

}  // namespace

TLinkReportSink& LinkReportSink() {
  return g_sink ? *g_sink : g_defaultSink;
}

void SetLinkReportSink(TLinkReportSink* sink) {
  g_sink = sink;
}
