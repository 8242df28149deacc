// Each model window's controls against its table in testdata/: what the window adds to the fixture window
// template, what it changes there (captions, hints, lists, visibility) and what it removes. Positions are
// left out: the tables hold what the user reads, not the layout. With ZEM_UPDATE_TREES=1 the test writes
// the tables instead of comparing.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "platform/sys/clock.h"
#include "platform/ui/application.h"
#include "platform/ui/edits.h"
#include "zem/link/ZEMData.h"
#include "zem/model/uZemModels.h"
#include "zem/modelwindows/FixtureFormBV20L.h"
#include "zem/modelwindows/FixtureFormBV40L.h"
#include "zem/modelwindows/FixtureFormBralin.h"
#include "zem/modelwindows/FixtureFormBrv1200CIGZF_01.h"
#include "zem/modelwindows/FixtureFormBrv1200CMYIZ_01.h"
#include "zem/modelwindows/FixtureFormBrv200_20.h"
#include "zem/modelwindows/FixtureFormBrv600C_20.h"
#include "zem/modelwindows/FixtureFormBrv600_20.h"
#include "zem/modelwindows/FixtureFormGrobel200CI_01.h"
#include "zem/modelwindows/FixtureFormGrobel200CMYI_01.h"
#include "zem/modelwindows/FixtureFormKandrel.h"
#include "zem/modelwindows/FixtureFormLunav150_20.h"
#include "zem/modelwindows/FixtureFormNimboO2_21.h"
#include "zem/modelwindows/FixtureFormQuintelCMYI_01.h"
#include "zem/modelwindows/FixtureFormRastel_21.h"

namespace {

namespace fs = std::filesystem;

// One line per control: its path of names, kind, caption, hint, list items and state.
using Tree = std::vector<std::pair<std::string, std::string>>;

void Describe(const ui::Control& c, const std::string& path, Tree& out) {
  std::ostringstream line;
  line << c.kind();
  if (!c.caption().empty()) line << " \"" << c.caption() << '"';
  if (!c.hint().empty()) line << " hint \"" << c.hint() << '"';
  if (const auto* box = dynamic_cast<const ui::ComboBox*>(&c)) {
    line << " items";
    for (const std::string& item : box->items().lines()) line << " \"" << item << '"';
  }
  if (const auto* edit = dynamic_cast<const ui::SpinEdit*>(&c))
    line << " range " << edit->minValue() << ".." << edit->maxValue() << " digits " << edit->maxLength();
  if (!c.visible()) line << " hidden";
  if (!c.enabled()) line << " disabled";
  out.emplace_back(path, line.str());
  // A fader's parts are its own.
  if (dynamic_cast<const TFader*>(&c) != nullptr) return;
  if (const auto* w = dynamic_cast<const ui::WinControl*>(&c)) {
    int index = 0;
    for (const ui::Control* child : w->controls()) {
      // Unnamed controls (tool buttons) by their place.
      std::string name = child->name();
      if (name.empty()) name.append("#").append(std::to_string(index));
      ++index;
      Describe(*child, path.empty() ? name : path + "/" + name, out);
    }
  }
}

Tree TreeOf(const ui::Form& form) {
  Tree tree;
  Describe(form, "", tree);
  tree.erase(tree.begin());  // the form itself: its name differs by design
  return tree;
}

// The window's lines that the template does not have as they are, then "- path" for the template's
// controls the window removed.
std::string Difference(const Tree& window, const Tree& base) {
  std::map<std::string, std::string> baseLines(base.begin(), base.end());
  std::map<std::string, std::string> windowLines(window.begin(), window.end());
  std::string out;
  for (const auto& [path, line] : window) {
    auto it = baseLines.find(path);
    if (it == baseLines.end() || it->second != line) out += path + ": " + line + "\n";
  }
  std::string removed;  // the last removed path: what lay inside it goes without saying
  for (const auto& [path, line] : base) {
    if (windowLines.count(path) != 0) continue;
    if (!removed.empty() && path.rfind(removed + "/", 0) == 0) continue;
    removed = path;
    out += "- " + path + "\n";
  }
  return out;
}

struct TreeCase {
  const char* name;
  std::function<TZemFixture*()> model;
  std::function<ui::Form*(ui::Component*)> open;
};

// Parameterised tests print a case by its name.
void PrintTo(const TreeCase& row, std::ostream* os) {
  *os << row.name;
}

template <class Model, class Window>
TreeCase Case(const char* name) {
  return {name, [] { return new Model(); },
          [](ui::Component* owner) { return ui::createForm<Window>(owner); }};
}

class ModelWindowTreeTest : public ::testing::TestWithParam<TreeCase> {
 protected:
  void SetUp() override {
    ui::app().reset();
    InitZemData();
    // Firmware 1.0: the Grobel windows keep their Monitor page.
    FixtureData[fd::kFixtureInfo + fdarea::info::kMainMajor] = 1;
  }
  void TearDown() override {
    delete CurrentFixture;
    CurrentFixture = nullptr;
    ui::app().reset();
    InitZemData();
  }
  Tree shown(const std::function<ui::Form*(ui::Component*)>& open) {
    ui::Owned<ui::Form> window(open(nullptr));
    window->show();
    ui::app().processMessages();
    return TreeOf(*window);
  }
  sys::ScopedVirtualClock clock_{0x40000};
};

TEST_P(ModelWindowTreeTest, ControlsAreThoseOfItsTable) {
  const TreeCase& c = GetParam();
  CurrentFixture = c.model();
  const Tree base = shown([](ui::Component* owner) { return ui::createForm<TFixtureFormTemplate>(owner); });
  const std::string actual = Difference(shown(c.open), base);

  const fs::path file = fs::path(ZEM_MODELWINDOWS_TESTDATA) / (std::string(c.name) + ".txt");
  if (const char* update = std::getenv("ZEM_UPDATE_TREES"); update && std::string(update) == "1") {
    std::ofstream(file, std::ios::binary) << actual;
    GTEST_SKIP() << "wrote " << file;
  }
  std::ifstream in(file, std::ios::binary);
  ASSERT_TRUE(in) << "no table " << file << "; the window has:\n" << actual;
  const std::string expected((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(actual, expected) << "the window's controls differ from " << file;
}

INSTANTIATE_TEST_SUITE_P(
    Windows, ModelWindowTreeTest,
    ::testing::Values(Case<TZemFixtureBrv600_20, TBrv600_20Form>("Brv600_20Form"),
                      Case<TZemFixtureBrv600C_20, TBrv600C_20Form>("Brv600C_20Form"),
                      Case<TZemFixtureBrv200_20, TBrv200_20Form>("Brv200_20Form"),
                      Case<TZemFixtureLunavexCMY150_20, TLunavCMY150_20Form>("LunavCMY150_20Form"),
                      Case<TZemFixtureGrobel200CMYI, TZemFixtureGrobel200CMYI_01Form>("Grobel200CMYI_01Form"),
                      Case<TZemFixtureGrobel200CI, TZemFixtureGrobel200CI_01Form>("Grobel200CI_01Form"),
                      Case<TZemFixtureQuintelCMYI, TZemFixtureQuintelCMYI_01Form>("QuintelCMYI_01Form"),
                      Case<TZemFixtureNimboO2_21, TNimboO2_21Form>("NimboO2_21Form"),
                      Case<TZemFixtureBrv1200CMYIZ, TZemFixtureBrv1200CMYIZ_01Form>("Brv1200CMYIZ_01Form"),
                      Case<TZemFixtureBrv1200CIGZF, TZemFixtureBrv1200CIGZF_01Form>("Brv1200CIGZF_01Form"),
                      Case<TZemFixtureRastel_21, TRastel_21Form>("Rastel_21Form"),
                      Case<TZemFixtureBV20L, TBV20LForm>("BV20LForm"),
                      Case<TZemFixtureBV40L, TBV40LForm>("BV40LForm"),
                      Case<TZemFixtureBralin, TBralinForm>("BralinForm"),
                      Case<TZemFixtureKandrel, TKandrelForm>("KandrelForm")),
    [](const ::testing::TestParamInfo<TreeCase>& info) { return std::string(info.param.name); });

}  // namespace
