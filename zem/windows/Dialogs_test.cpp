#include <gtest/gtest.h>

#include <initializer_list>

#include "platform/sys/clock.h"
#include "platform/ui/input.h"
#include "platform/ui/screen.h"
#include "zem/link/ZEMData.h"
#include "zem/windows/About.h"
#include "zem/windows/DialogLook.h"
#include "zem/windows/DownloadMemProgressForm.h"
#include "zem/windows/EEpromUploadNotes.h"
#include "zem/windows/ErrorDialog.h"
#include "zem/windows/InformationDialog.h"
#include "zem/windows/PanelUtils.h"
#include "zem/windows/SARunDialog.h"
#include "zem/windows/SaveMemoryDialog.h"
#include "zem/windows/UploadMemProgressForm.h"
#include "zem/windows/WarningDialog.h"
#include "zem/windows/ZemStrings.h"

namespace {

class DialogsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ui::app().reset();
    owner_.reset(ui::createForm<ui::Form>(nullptr));
    owner_->setBounds(100, 100, 600, 400);
    owner_->show();
    DownloadAbort = false;
  }
  void TearDown() override {
    owner_.reset();
    ui::app().reset();
  }
  // Clicks the button whenever it is usable.
  static ui::ModalResponder clickWhenEnabled(ui::SpeedButton* button) {
    return [button](ui::Form&) {
      if (button->effectivelyEnabled()) ui::input::click(*button);
    };
  }
  sys::ScopedVirtualClock clock_;
  ui::Owned<ui::Form> owner_;
};

TEST_F(DialogsTest, AnErrorBoxLooksLikeTheProgramsBoxes) {
  ui::Owned<TErrorForm> error(new TErrorForm(owner_.get()));
  EXPECT_EQ(error->caption(), "Error!");
  EXPECT_EQ(error->color(), kZemGrey);
  EXPECT_EQ(error->borderIcons(), 0u);
  EXPECT_FALSE(error->hasCloseBox());
  EXPECT_TRUE(error->font().bold);
}

TEST_F(DialogsTest, AnErrorBoxShowsEachLineWhiteOnRed) {
  ui::Owned<TErrorForm> error(new TErrorForm(owner_.get()));
  error->AddText("YOLB1 error");
  error->AddText("Fixture firmeware (1.0) not compatible\rversion 2.0 required.");
  EXPECT_EQ(error->re1->lines().lines(),
            (std::vector<std::string>{"YOLB1 error", "Fixture firmeware (1.0) not compatible",
                                      "version 2.0 required."}));
  EXPECT_EQ(error->re1->color(), ui::clRed);
  EXPECT_EQ(error->re1->font().color, ui::clWhite);
  EXPECT_TRUE(error->re1->font().bold);
  EXPECT_EQ(error->re1->font().size, 8);
  EXPECT_FALSE(error->re1->enabled());
  EXPECT_EQ(error->sbOk->boundsRect(), (ui::Rect{0, 0, error->pOk->width(), error->pOk->height()}));
}

TEST_F(DialogsTest, AnErrorBoxClosesWithOk) {
  ui::Owned<TErrorForm> error(new TErrorForm(owner_.get()));
  ui::setModalResponder(clickWhenEnabled(error->sbOk));
  EXPECT_EQ(error->showModal(), ui::ModalResult::Ok);
}

TEST_F(DialogsTest, EnterPressesTheButtonOfEveryMessageBoxOnceItCanBePressed) {
  ui::Owned<TErrorForm> error(new TErrorForm(owner_.get()));
  ui::Owned<TWarningForm> warning(new TWarningForm(owner_.get()));
  ui::Owned<TSARunForm> run(new TSARunForm(owner_.get()));
  ui::Owned<TInformationForm> info(new TInformationForm(owner_.get()));
  for (MessageDialogBase* box :
       std::initializer_list<MessageDialogBase*>{error.get(), warning.get(), run.get(), info.get()}) {
    SCOPED_TRACE(box->caption());
    ui::setModalResponder([](ui::Form&) { ui::input::pressKey(ui::vk::Return); });
    EXPECT_EQ(box->showModal(), ui::ModalResult::Ok);
  }
  // While the information box holds its button back, Enter does nothing either.
  info->SetOKDelay(500);
  const uint32_t start = sys::tickCount();
  ui::setModalResponder([](ui::Form&) { ui::input::pressKey(ui::vk::Return); });
  EXPECT_EQ(info->showModal(), ui::ModalResult::Ok);
  EXPECT_GT(sys::elapsedMs(start, sys::tickCount()), 500u);
}

TEST_F(DialogsTest, AWarningBoxIsWhite) {
  ui::Owned<TWarningForm> warning(new TWarningForm(owner_.get()));
  EXPECT_EQ(warning->caption(), "Warning!");
  EXPECT_EQ(warning->re1->color(), ui::clWhite);
}

TEST_F(DialogsTest, TheRunBoxStopsWithOkAndGivesTheOwnerBack) {
  ui::Owned<TSARunForm> run(new TSARunForm(owner_.get()));
  EXPECT_EQ(run->caption(), "Information");
  EXPECT_EQ(run->sbOk->caption(), "Stop");
  ui::setModalResponder(clickWhenEnabled(run->sbOk));
  EXPECT_EQ(run->showModal(), ui::ModalResult::Ok);
  EXPECT_TRUE(owner_->enabled());
}

TEST_F(DialogsTest, MessageBoxesWrapAndGrowWithTheirTextThenScroll) {
  ui::Owned<TInformationForm> box(new TInformationForm(owner_.get()));
  const int shortHeight = box->height();
  const int okTop = box->pOk->top();
  box->AddText(
      "Fixture is resetting. This may take a minute or two. Meanwhile the fixture is not able to "
      "comunicate.");
  EXPECT_EQ(box->height(), shortHeight);  // wrapped into the first rows
  EXPECT_EQ(box->re1->rows().size(), 3u);
  for (int i = 0; i < 8; ++i) box->AddText("Another line of the message");
  EXPECT_EQ(box->re1->height(), box->re1->heightForText());
  EXPECT_GT(box->height(), shortHeight);
  EXPECT_EQ(box->pOk->top() - okTop, box->height() - shortHeight);  // the button moved down with the text
  EXPECT_EQ(box->pgOKDelay->top(), box->re1->top() + box->re1->height() + 6);
  // A text taller than three fifths of the screen: the box stops growing and the text scrolls.
  for (int i = 0; i < 200; ++i) box->AddText("line");
  EXPECT_EQ(box->re1->height(), ui::backend().screenSize().height * 3 / 5);
  EXPECT_GT(box->re1->heightForText(), box->re1->height());
}

TEST_F(DialogsTest, InformationBoxHoldsOkBackAcrossTheTickWrap) {
  clock_->set(0xFFFFFFFFu - 3000);
  ui::Owned<TInformationForm> info(new TInformationForm(owner_.get()));
  info->AddText("Upload finished\rResetting fixture to re-initialize memory");
  info->SetOKDelay(10000);
  EXPECT_TRUE(info->pgOKDelay->visible());
  EXPECT_EQ(info->pgOKDelay->max(), 1000);
  EXPECT_FALSE(info->sbOk->enabled());
  uint32_t start = info->DelayStart();

  uint32_t firstEnabledAt = 0;
  std::vector<int> positions;
  ui::setModalResponder([&](ui::Form&) {
    uint32_t elapsed = sys::elapsedMs(start, sys::tickCount());
    if (positions.empty() || positions.back() != info->pgOKDelay->position()) {
      positions.push_back(info->pgOKDelay->position());
    }
    if (elapsed == 10000) {
      EXPECT_EQ(info->pgOKDelay->position(), 1000);
      EXPECT_FALSE(info->sbOk->enabled()) << "not usable at exactly the delay";
    }
    if (info->sbOk->enabled() && firstEnabledAt == 0) {
      firstEnabledAt = elapsed;
      ui::input::click(*info->sbOk);
    }
    // The box has no close box: the user cannot leave early.
    EXPECT_FALSE(ui::input::clickCloseBox(*info));
  });
  EXPECT_EQ(info->showModal(), ui::ModalResult::Ok);
  EXPECT_EQ(firstEnabledAt, 10100u) << "first 100 ms tick after more than 10000 ms";
  ASSERT_GE(positions.size(), 3u);
  EXPECT_EQ(positions[0], 0);
  EXPECT_EQ(positions[1], 10);
  EXPECT_EQ(positions[2], 20);
  EXPECT_EQ(positions.size(), 101u) << "one step of the bar per 100 ms tick";
  EXPECT_EQ(info->pgOKDelay->position(), 1000);
  EXPECT_FALSE(info->Timer1->enabled());
}

TEST_F(DialogsTest, InformationBoxWithoutDelayShowsNoBarAndOkAtOnce) {
  ui::Owned<TInformationForm> info(new TInformationForm(owner_.get()));
  info->AddText("Fixture is resetting.");
  EXPECT_FALSE(info->pgOKDelay->visible());
  EXPECT_TRUE(info->sbOk->enabled());
  int passes = 0;
  ui::setModalResponder([&](ui::Form&) {
    ++passes;
    ui::input::click(*info->sbOk);
  });
  EXPECT_EQ(info->showModal(), ui::ModalResult::Ok);
  EXPECT_EQ(passes, 1);
}

TEST_F(DialogsTest, DownloadProgressShowsTheAddressReached) {
  ui::Owned<TDownloadMemform> progress(new TDownloadMemform(owner_.get()));
  EXPECT_EQ(progress->caption(), "Retrieving fixture memory - please wait");
  progress->show();
  progress->SetProgress(300, 255);  // the address after the last one
  EXPECT_EQ(progress->pg1->max(), 255);
  EXPECT_EQ(progress->pg1->position(), 255);
  progress->sbCancel->setCaption("x");
  progress->SetProgress(4, 1023);
  EXPECT_EQ(progress->sbCancel->caption(), "Cancel");
}

TEST_F(DialogsTest, DownloadCancelOnlyRaisesTheAbortFlag) {
  ui::Owned<TDownloadMemform> progress(new TDownloadMemform(owner_.get()));
  owner_->setEnabled(false);
  progress->show();
  EXPECT_TRUE(ui::input::click(*progress->sbCancel));
  EXPECT_TRUE(DownloadAbort);
  DownloadAbort = false;
  EXPECT_TRUE(ui::input::click(*progress->sbCancel));
  EXPECT_TRUE(DownloadAbort);
  EXPECT_TRUE(progress->visible()) << "the caller frees the window";
}

TEST_F(DialogsTest, DownloadProgressStaysOnTop) {
  ui::Owned<TDownloadMemform> progress(new TDownloadMemform(owner_.get()));
  EXPECT_EQ(progress->formStyle(), ui::FormStyle::StayOnTop);
  progress->show();
  EXPECT_EQ(ui::screen().zOrder().front(), progress.get());
  owner_->bringToFront();
  EXPECT_EQ(ui::screen().zOrder().front(), progress.get()) << "stays on top";
}

TEST_F(DialogsTest, UploadProgressStaysOnTopAndShowsItsPosition) {
  ui::Owned<TUploadMemProgress> upload(new TUploadMemProgress(owner_.get()));
  EXPECT_EQ(upload->formStyle(), ui::FormStyle::StayOnTop);
  upload->setCaption("Uploading fixture settings from file - please wait..");
  upload->pg1->setMax(10);
  upload->pg1->setPosition(3);
  EXPECT_EQ(upload->pg1->position(), 3);
}

TEST_F(DialogsTest, TheSaveNotesDialogKeepsTheUsersEditForTheCaller) {
  ui::Owned<TSaveMemoryForm> save(new TSaveMemoryForm(owner_.get()));
  EXPECT_EQ(save->caption(), "Save fixture memory to file");
  EXPECT_EQ(save->Panel2->caption(), "Memory file notes");
  EXPECT_EQ(save->sbSave->caption(), "Save to file");
  save->Re1->lines().assign({"ZEM fixture memory file", "Fixture: Brevidor 600", "1.2", ""});
  ui::setModalResponder([&](ui::Form&) {
    ASSERT_TRUE(save->Re1->setFocus());
    ui::input::typeText("x");
    ui::input::click(*save->sbSave);
  });
  EXPECT_EQ(save->showModal(), ui::ModalResult::Ok);
  EXPECT_EQ(save->Re1->lines()[3], "x");
}

TEST_F(DialogsTest, TheSaveNotesDialogCancelsByItsCloseBoxOrCancel) {
  ui::Owned<TSaveMemoryForm> save(new TSaveMemoryForm(owner_.get()));
  EXPECT_TRUE(save->hasCloseBox());
  ui::setModalResponder([&](ui::Form& f) { ui::input::clickCloseBox(f); });
  EXPECT_EQ(save->showModal(), ui::ModalResult::Cancel);
  ui::setModalResponder(clickWhenEnabled(save->sbCancel));
  EXPECT_EQ(save->showModal(), ui::ModalResult::Cancel);
}

TEST_F(DialogsTest, TheUploadNotesDialogIsReadOnlyAndAnswersItsButtons) {
  ui::Owned<TEEpromUploadForm> upload(new TEEpromUploadForm(owner_.get()));
  upload->setCaption("Uploading stand-alone program from file - please wait..");
  EXPECT_EQ(upload->Re1->color(), ui::clSilver);
  EXPECT_FALSE(upload->Re1->enabled());
  EXPECT_FALSE(upload->hasCloseBox());
  ui::setModalResponder(clickWhenEnabled(upload->sbOk));
  EXPECT_EQ(upload->showModal(), ui::ModalResult::Ok);
  ui::setModalResponder(clickWhenEnabled(upload->sbCancel));
  EXPECT_EQ(upload->showModal(), ui::ModalResult::Cancel);
}

TEST_F(DialogsTest, AboutBoxShowsTheVersionAndCanBeClosed) {
  ui::Owned<TAboutForm> about(new TAboutForm(owner_.get()));
  EXPECT_EQ(about->caption(), "About ZEM");
  EXPECT_EQ(about->VersionLabel->caption(), "Tavren ZEM - ver 1.8");
  EXPECT_EQ(about->lBetaPostFix->caption(), "");
  EXPECT_EQ(about->Label1->caption(), "ZEM");
  EXPECT_EQ(about->Label1->font().pixelHeight(), 64);
  EXPECT_EQ(about->Label1->font().color, 0x777777u);
  EXPECT_FALSE(about->autoSize());
  ui::setModalResponder([](ui::Form& f) { EXPECT_TRUE(ui::input::clickCloseBox(f)); });
  EXPECT_EQ(about->showModal(), ui::ModalResult::Cancel);
  ui::setModalResponder([](ui::Form&) { ui::input::pressKey(ui::vk::Escape); });
  EXPECT_EQ(about->showModal(), ui::ModalResult::Cancel);
  EXPECT_EQ(ui::shownModalForms().size(), 2u);
}

TEST_F(DialogsTest, PanelRoutines) {
  ui::Panel panel(nullptr);
  panel.setBounds(30, 40, 80, 25);
  ui::SpeedButton button(nullptr);
  button.setBounds(5, 5, 10, 10);
  FitToPanel(&button, &panel);
  EXPECT_EQ(button.boundsRect(), (ui::Rect{0, 0, 80, 25}));
  EXPECT_EQ(ControlBottom(&panel), 65);
  LowerPanel(&panel);
  EXPECT_EQ(panel.bevelOuter(), ui::BevelCut::Lowered);
  EXPECT_EQ(panel.bevelInner(), ui::BevelCut::Lowered);
  RaisePanel(&panel);
  EXPECT_EQ(panel.bevelOuter(), ui::BevelCut::Raised);
  EXPECT_EQ(panel.bevelInner(), ui::BevelCut::Raised);
  FitToPanel(nullptr, &panel);
  RaisePanel(nullptr);
}

TEST_F(DialogsTest, StringTableHasEveryEntry) {
  for (int i = 0; i < static_cast<int>(ZemStr::Count_); ++i) {
    EXPECT_FALSE(ZemString(static_cast<ZemStr>(i)).empty()) << "entry " << i;
  }
  EXPECT_EQ(ZemFormat(ZemStr::VersionFormat, 1, 8), "Tavren ZEM - ver 1.8");
  EXPECT_EQ(ZemString(ZemStr::Count_), "");
}

}  // namespace
