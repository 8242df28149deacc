#include "platform/ui/file_dialog.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/sys/sys_testing.h"
#include "platform/ui/application.h"
#include "platform/ui/message_box.h"

namespace ui {
namespace {

namespace fs = std::filesystem;

class FileDialogTest : public ::testing::Test {
 protected:
  void SetUp() override { app().reset(); }
  void TearDown() override { app().reset(); }

  // Runs a save dialog that must choose a path in an existing folder, answered with the names in turn
  // (the requests it made kept in requests_); the path chosen, "" for none.
  std::string saveWithNames(const std::string& initialDir, std::vector<std::string> names) {
    SaveDialog dialog(nullptr);
    dialog.initialDir = initialDir;
    dialog.defaultExt = "txt";
    dialog.options = kPathMustExist;
    size_t next = 0;
    setFileDialogResponder([&](const FileDialogRequest& r) -> std::optional<std::string> {
      requests_.push_back(r);
      if (next == names.size()) return std::nullopt;
      return names[next++];
    });
    return dialog.execute() ? dialog.fileName : std::string();
  }

  sys::testing::TempFolder temp_{"zemfiledialog"};
  const fs::path root_ = temp_.path();
  std::vector<FileDialogRequest> requests_;
};

TEST_F(FileDialogTest, AMissingFolderIsRefusedAndTheDialogStaysInOneThatExists) {
  fs::create_directories(root_ / "logs");
  const std::string logs = (root_ / "logs").string();
  // A name in a folder that is not there, then a plain name: it lies in the folder shown before.
  EXPECT_EQ(saveWithNames(logs, {"gone/deeper/notes", "plain"}), (root_ / "logs" / "plain.txt").string());
  ASSERT_EQ(requests_.size(), 2u);
  EXPECT_EQ(requests_[1].initialDir, logs);
  EXPECT_EQ(requests_[1].fileName, "notes.txt");
  ASSERT_EQ(shownMessageBoxes().size(), 1u);
  EXPECT_NE(shownMessageBoxes()[0].text.find("Path does not exist."), std::string::npos);
  // A full path into a missing folder: asked again in the nearest folder on that path that exists.
  requests_.clear();
  EXPECT_EQ(saveWithNames(logs, {(root_ / "other" / "x.txt").string(), "y"}), (root_ / "y.txt").string());
  ASSERT_EQ(requests_.size(), 2u);
  EXPECT_EQ(fs::path(requests_[1].initialDir), root_);
}

}  // namespace
}  // namespace ui
