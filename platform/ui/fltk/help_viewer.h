// The help viewer of the display backend: the toolkit's HTML help dialog, one per program, opened at the
// place a help request names ("file#anchor", or the file's start) and closed with the backend.
#pragma once

#include <memory>
#include <string>

class Fl_Help_Dialog;
class Fl_Help_View;
class Fl_Window;

namespace ui::fltk {

class HelpViewer {
 public:
  HelpViewer();
  ~HelpViewer();
  HelpViewer(const HelpViewer&) = delete;
  HelpViewer& operator=(const HelpViewer&) = delete;

  // Loads the location into the dialog and shows it on top (it stays where the user put it once shown).
  void open(const std::string& location);
  void close();
  bool shown() const;

  // What a test or a tool outside the program checks: the location last opened, the page's title, and how
  // far (in pixels) the page is scrolled from its start.
  const std::string& location() const { return location_; }
  std::string title() const;
  int scrolledTo() const;
  // The text-fit check of the viewer's window: the first button label that its button cuts, or a page wider
  // than the view (the reader would scroll sideways); "" when everything fits.
  std::string clippedTextReport();

 private:
  Fl_Window* window() const;
  Fl_Help_View* view() const;

  std::unique_ptr<Fl_Help_Dialog> dialog_;
  std::string location_;
  bool placed_ = false;
};

// The installed backend's viewer, once a help request has opened it; nullptr otherwise.
HelpViewer* helpViewer();

}  // namespace ui::fltk
