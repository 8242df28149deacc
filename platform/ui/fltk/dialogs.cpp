#include "platform/ui/fltk/dialogs.h"

#include "platform/ui/fltk/toolkit.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "platform/sys/system.h"
#include "platform/ui/application.h"
#include "platform/ui/controls.h"
#include "platform/ui/fltk/mapping.h"
#include "platform/ui/fltk/paint.h"
#include "platform/ui/form.h"

namespace ui::fltk {

namespace {

constexpr int kMargin = 12;
constexpr int kIconSize = 32;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 23;
constexpr int kButtonGap = 6;
constexpr int kMaxTextWidth = 420;

}  // namespace

MessageBoxButtons messageBoxButtons(MessageButtons b) {
  switch (b) {
    case MessageButtons::Ok:
      return {{{"OK", ModalResult::Ok}}, ModalResult::Ok};
    case MessageButtons::OkCancel:
      return {{{"OK", ModalResult::Ok}, {"Cancel", ModalResult::Cancel}}, ModalResult::Cancel};
    case MessageButtons::YesNo:
      return {{{"&Yes", ModalResult::Yes}, {"&No", ModalResult::No}}, ModalResult::None};
    case MessageButtons::YesNoCancel:
      return {{{"&Yes", ModalResult::Yes}, {"&No", ModalResult::No}, {"Cancel", ModalResult::Cancel}},
              ModalResult::Cancel};
  }
  return {{{"OK", ModalResult::Ok}}, ModalResult::Ok};
}

ModalResult runMessageBox(const MessageBoxRequest& request) {
  Owned<Form> box(createForm<Form>(nullptr));
  box->setName("MessageBox");
  box->setCaption(request.caption.empty() ? app().title() : request.caption);
  box->setBorderStyle(BorderStyle::Dialog);
  MessageBoxButtons spec = messageBoxButtons(request.buttons);
  box->setBorderIcons(spec.cancel == ModalResult::None ? 0 : kSystemMenu);
  Form* main = mainForm();
  box->setPosition(main && main->visible() ? FormPosition::MainFormCenter : FormPosition::ScreenCenter);

  // The icon: a coloured disc with its sign.
  Color disc = clBlue;
  const char* sign = "i";
  switch (request.kind) {
    case MessageKind::Error:
      disc = clRed;
      sign = "X";
      break;
    case MessageKind::Warning:
      disc = clYellow;
      sign = "!";
      break;
    case MessageKind::Information:
      break;
    case MessageKind::Confirmation:
      sign = "?";
      break;
  }
  auto* icon = new Shape(box.get());
  icon->setParent(box.get());
  icon->setShape(ShapeType::Circle);
  icon->setBrushColor(disc);
  icon->setBounds(kMargin, kMargin, kIconSize, kIconSize);
  auto* iconSign = new Label(box.get());
  iconSign->setParent(box.get());
  iconSign->setAutoSize(false);
  iconSign->setTransparent(true);
  iconSign->setAlignment(Alignment::Center);
  Font signFont;
  signFont.size = 14;
  signFont.bold = true;
  signFont.color = request.kind == MessageKind::Warning ? clBlack : clWhite;
  iconSign->setFont(signFont);
  iconSign->setCaption(sign);
  int signHeight = measureText(signFont, sign).height;
  iconSign->setBounds(kMargin, kMargin + (kIconSize - signHeight) / 2, kIconSize, signHeight);

  std::string text = lineBreaksAsLineFeeds(request.text);
  auto* message = new Label(box.get());
  message->setName("Message");
  message->setParent(box.get());
  message->setAutoSize(false);
  message->setWordWrap(true);
  message->setTransparent(true);
  message->setCaption(text);
  useFont(message->font());
  int tw = kMaxTextWidth;
  int th = 0;
  fl_measure(text.c_str(), tw, th, 0);
  int textLeft = kMargin + kIconSize + kMargin;
  message->setBounds(textLeft, kMargin + std::max(0, (kIconSize - th) / 2), tw + 4, th);

  int n = static_cast<int>(spec.buttons.size());
  int rowWidth = n * kButtonWidth + (n - 1) * kButtonGap;
  int width = std::max(textLeft + tw + 4 + kMargin, rowWidth + 2 * kMargin);
  int buttonsTop = kMargin + std::max(kIconSize, th) + kMargin;
  int x = (width - rowWidth) / 2;
  for (int i = 0; i < n; ++i) {
    auto* b = new Button(box.get());
    b->setParent(box.get());
    b->setCaption(spec.buttons[static_cast<size_t>(i)].first);
    b->setModalResult(spec.buttons[static_cast<size_t>(i)].second);
    const ModalResult result = spec.buttons[static_cast<size_t>(i)].second;
    b->setDefault(request.defaultButton == ModalResult::None ? i == 0 : result == request.defaultButton);
    b->setCancel(spec.buttons[static_cast<size_t>(i)].second == spec.cancel);
    b->setBounds(x, buttonsTop, kButtonWidth, kButtonHeight);
    // The box opens with the focus on its default button, so that Enter and Space both answer with it.
    if (b->isDefault()) box->setActiveControl(b);
    x += kButtonWidth + kButtonGap;
  }
  box->setBounds(box->left(), box->top(), width, buttonsTop + kButtonHeight + kMargin);
  ModalResult r = box->showModal();
  // A box without a close box can only be answered with its buttons.
  if (r == ModalResult::Cancel && spec.cancel != ModalResult::Cancel) r = spec.cancel;
  if (r == ModalResult::None) r = spec.buttons.back().second;
  return r;
}

std::filesystem::path resolveTypedName(const std::filesystem::path& folder, const std::string& typed) {
  std::string name = typed;
  // Blanks around a name are never meant.
  name.erase(0, name.find_first_not_of(' '));
  name.erase(name.find_last_not_of(' ') + 1);
  if (name.empty()) return {};
  std::filesystem::path p(name);
  if (name == "~" || name.rfind("~/", 0) == 0) {
    const char* home = std::getenv("HOME");
    if (home && *home) p = std::filesystem::path(home) / name.substr(name.size() > 1 ? 2 : 1);
  }
  if (p.is_relative()) p = folder / p;
  return p.lexically_normal();
}

namespace {

// The file dialog: the folder, its files (filtered), a name field that takes a plain name, a name
// relative to the folder or a full path, the filters, OK and Cancel. Double-clicking a folder (or typing
// its name) opens it; the layer's FileDialog adds the default extension and asks before overwriting.
class FileChooser {
 public:
  explicit FileChooser(const FileDialogRequest& request)
      : window_(460, 304, nullptr),
        title_(request.title.empty() ? (request.save ? "Save As" : "Open") : request.title) {
    window_.label(title_.c_str());
    window_.begin();
    auto* lookIn = new Fl_Box(8, 8, 60, 22, "Folder:");
    lookIn->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE);
    folder_ = new Fl_Output(70, 8, 300, 22);
    up_ = new Fl_Button(376, 8, 76, 22, "Up");
    up_->callback(&FileChooser::upPressed, this);
    list_ = new Fl_File_Browser(8, 36, 444, 200);
    list_->type(FL_HOLD_BROWSER);
    list_->callback(&FileChooser::listPicked, this);
    name_ = new Fl_Input(96, 244, 274, 22, "File name:");
    name_->when(FL_WHEN_ENTER_KEY_ALWAYS);
    name_->callback(&FileChooser::okPressed, this);
    types_ = new Fl_Choice(96, 272, 274, 22, "Files of type:");
    types_->callback(&FileChooser::typeChosen, this);
    auto* ok = new Fl_Button(376, 244, 76, 22, request.save ? "Save" : "Open");
    ok->callback(&FileChooser::okPressed, this);
    auto* cancel = new Fl_Button(376, 272, 76, 22, "Cancel");
    cancel->callback(&FileChooser::cancelPressed, this);
    window_.end();
    window_.callback(&FileChooser::cancelPressed, this);
    window_.set_modal();

    // The filters as the toolkit writes them: "Name (pattern)" each, tab-separated.
    const std::string filters = toolkitFilter(request.filter);
    size_t start = 0;
    while (start < filters.size()) {
      size_t tab = filters.find('\t', start);
      if (tab == std::string::npos) tab = filters.size();
      const std::string one = filters.substr(start, tab - start);
      const size_t open = one.rfind(" (");
      patterns_.push_back(open == std::string::npos ? "*" : one.substr(open + 2, one.size() - open - 3));
      std::string label = one;
      // Menu labels treat '/' and '&' specially.
      for (char& c : label)
        if (c == '/') c = '|';
      types_->add(label.c_str(), 0, nullptr, nullptr, 0);
      start = tab + 1;
    }
    if (patterns_.empty()) {
      patterns_.push_back("*");
      types_->add("All files (*)");
    }
    types_->value(0);

    std::error_code ec;
    std::filesystem::path folder = request.initialDir.empty() ? std::filesystem::current_path(ec)
                                                              : std::filesystem::path(request.initialDir);
    std::filesystem::path file(request.fileName);
    if (!request.fileName.empty() && file.has_parent_path()) {
      folder = file.is_absolute() ? file.parent_path() : folder / file.parent_path();
    }
    // Never a folder that is not there: the nearest one above it that is.
    if (const std::string there = sys::existingFolder(folder.string()); !there.empty()) folder = there;
    load(folder);
    // The name field holds only the file's name: the folder is shown above it.
    name_->value(file.filename().string().c_str());
  }

  std::optional<std::string> run() {
    window_.show();
    name_->take_focus();
    // The name selected: typing replaces it (a refused name comes back here), the arrow keys keep it.
    name_->position(name_->size(), 0);
    while (!done_ && window_.shown() && !app().terminated()) {
      app().processMessages();
      app().idle();
    }
    window_.hide();
    return result_;
  }

 private:
  void load(const std::filesystem::path& folder) {
    folder_path_ = folder.lexically_normal();
    folder_->value(folder_path_.string().c_str());
    list_->filter(patterns_[static_cast<size_t>(std::max(0, types_->value()))].c_str());
    list_->load(folder_path_.string().c_str(), fl_casenumericsort);
  }

  void accept(const std::string& typed) {
    const std::filesystem::path p = resolveTypedName(folder_path_, typed);
    if (p.empty()) return;
    std::error_code ec;
    if (std::filesystem::is_directory(p, ec)) {
      load(p);
      name_->value("");
      return;
    }
    result_ = p.string();
    done_ = true;
  }

  static void okPressed(Fl_Widget*, void* self) {
    auto* c = static_cast<FileChooser*>(self);
    c->accept(c->name_->value());
  }
  static void cancelPressed(Fl_Widget*, void* self) {
    auto* c = static_cast<FileChooser*>(self);
    c->result_.reset();
    c->done_ = true;
  }
  static void upPressed(Fl_Widget*, void* self) {
    auto* c = static_cast<FileChooser*>(self);
    c->load(c->folder_path_.parent_path());
  }
  static void typeChosen(Fl_Widget*, void* self) {
    auto* c = static_cast<FileChooser*>(self);
    c->load(c->folder_path_);
  }
  static void listPicked(Fl_Widget*, void* self) {
    auto* c = static_cast<FileChooser*>(self);
    const int line = c->list_->value();
    if (line <= 0) return;
    std::string entry = c->list_->text(line);
    const bool folder = !entry.empty() && entry.back() == '/';
    if (folder) entry.pop_back();
    if (Fl::event_clicks() > 0) {
      c->accept(entry);  // a folder opens, a file is chosen
      return;
    }
    if (!folder) c->name_->value(entry.c_str());
  }

  Fl_Double_Window window_;
  std::string title_;
  Fl_Output* folder_ = nullptr;
  Fl_Button* up_ = nullptr;
  Fl_File_Browser* list_ = nullptr;
  Fl_Input* name_ = nullptr;
  Fl_Choice* types_ = nullptr;
  std::vector<std::string> patterns_;
  std::filesystem::path folder_path_;
  bool done_ = false;
  std::optional<std::string> result_;
};

}  // namespace

std::optional<std::string> runFileDialog(const FileDialogRequest& request) {
  FileChooser chooser(request);
  return chooser.run();
}

}  // namespace ui::fltk
