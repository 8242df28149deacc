// The help that ships: every help command of the windows opens the help file the program finds, at an
// anchor the file holds, and the file's pictures are there. Run from the build's program folder; with
// ZEM_HELP_TREE set (the installed-tree test), from that tree's bin/ with the file in its share/zem/.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "platform/ui/application.h"
#include "platform/ui/form.h"
#include "platform/ui/input.h"
#include "platform/ui/page_control.h"
#include "zem/link/ZEMData.h"
#include "zem/windows/DemoMenu.h"
#include "zem/windows/FixtureForm.h"
#include "zem/windows/ZemMain.h"

namespace {

namespace fs = std::filesystem;

struct Place {
  std::string programFolder;
  fs::path helpFile;  // where the program must find it
};

Place WhereTheProgramRuns() {
  if (const char* tree = std::getenv("ZEM_HELP_TREE"); tree && *tree)
    return {std::string(tree) + "/bin/", fs::path(tree) / "share/zem/Zem.hlp"};
  return {ZEM_BUILD_PROGRAM_FOLDER, fs::path(ZEM_BUILD_PROGRAM_FOLDER) / "Zem.hlp"};
}

std::string ReadText(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::set<std::string> Matches(const std::string& text, const char* pattern) {
  std::set<std::string> found;
  const std::regex re(pattern, std::regex::icase);
  for (auto it = std::sregex_iterator(text.begin(), text.end(), re); it != std::sregex_iterator(); ++it)
    found.insert((*it)[1]);
  return found;
}

class ZemHelpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ui::app().reset();
    InitZemData();
    saved_ = ProgramFolder;
    ProgramFolder = place_.programFolder;
  }
  void TearDown() override {
    ProgramFolder = saved_;
    ui::app().reset();
    InitZemData();
  }
  const Place place_ = WhereTheProgramRuns();
  std::string saved_;
};

TEST_F(ZemHelpTest, EveryHelpCommandOpensTheFileFoundAtAnAnchorItHolds) {
  ASSERT_TRUE(fs::is_regular_file(place_.helpFile)) << place_.helpFile;
  // The main window names the help file it found; the other windows ask the same file.
  ui::Owned<TZEMMainForm> main(ui::createForm<TZEMMainForm>(nullptr));
  ASSERT_EQ(fs::weakly_canonical(ui::app().helpFile()), fs::weakly_canonical(place_.helpFile));
  main->mHelpContents->click();
  ui::Owned<TDemoMenuForm> menu(new TDemoMenuForm(nullptr));
  menu->sbHelp->click();

  ui::Owned<ui::Form> owner(ui::createForm<ui::Form>(nullptr));
  ui::Owned<TFixtureFormTemplate> window(ui::createForm<TFixtureFormTemplate>(owner.get()));
  window->show();
  for (int i = 0; i < window->PC1->pageCount(); ++i) {
    window->PC1->setActivePage(window->PC1->page(i));
    ASSERT_TRUE(ui::input::chooseMenuItem(*window->mHelp));
  }
  ASSERT_TRUE(ui::input::chooseMenuItem(*window->mFileMenuHelp));
  ASSERT_TRUE(ui::input::chooseMenuItem(*window->mHelpContents));

  const std::set<std::string> anchors = Matches(ReadText(place_.helpFile), R"re(<a\s+name="([^"]+)")re");
  const auto& requests = ui::app().helpRequests();
  // Contents twice, a topic for each page of the template and the Files menu's, contents again.
  ASSERT_EQ(requests.size(), 2u + window->PC1->pageCount() + 2u);
  std::set<std::string> topics;
  for (const ui::HelpRequest& r : requests) {
    EXPECT_EQ(r.file, ui::app().helpFile());
    if (r.topic.empty()) {
      EXPECT_EQ(r.location(), r.file) << "contents open the file's start";
      continue;
    }
    topics.insert(r.topic);
    EXPECT_EQ(r.location(), r.file + "#" + r.topic);
    EXPECT_TRUE(anchors.count(r.topic)) << "the help file has no anchor \"" << r.topic << "\"";
  }
  EXPECT_EQ(topics.size(), static_cast<size_t>(window->PC1->pageCount()) + 1u) << "one topic per page";
}

TEST_F(ZemHelpTest, LinksAndPicturesOfTheHelpFileAreThere) {
  const std::string text = ReadText(place_.helpFile);
  ASSERT_FALSE(text.empty()) << place_.helpFile;
  const std::set<std::string> anchors = Matches(text, R"re(<a\s+name="([^"]+)")re");
  for (const std::string& link : Matches(text, R"re(<a\s+href="#([^"]+)")re"))
    EXPECT_TRUE(anchors.count(link)) << "a link to the missing anchor \"" << link << "\"";
  const std::set<std::string> pictures = Matches(text, R"re(<img\s+src="([^"]+)")re");
  EXPECT_FALSE(pictures.empty());
  for (const std::string& picture : pictures)
    EXPECT_TRUE(fs::is_regular_file(place_.helpFile.parent_path() / picture)) << picture;
}

}  // namespace
