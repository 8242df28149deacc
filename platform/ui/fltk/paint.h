// Painting the layer's controls with the toolkit's drawing calls, and finding the control under a
// point. Every control kind is drawn from the state its object holds; owner-drawn parts (tabs, menu
// items) are replayed from what their handlers drew on a recording canvas.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/ui/graphics.h"
#include "platform/ui/types.h"

namespace ui {
class Control;
class WinControl;
}  // namespace ui

namespace ui::fltk {

// What the painter needs to know beyond the controls' own state.
struct PaintContext {
  const Control* hovered = nullptr;  // flat buttons show a frame under the mouse
  // Lines a rich edit is scrolled back from its end (mouse wheel).
  std::function<int(const Control&)> scrollBack;
};

// Clips the drawing in its scope to a rectangle of the window, inside the clip of the scope around it.
// The painter keeps the rectangles of the open scopes itself and hands the toolkit only the innermost
// one: the toolkit's clip stack is ten deep, and a window's controls nest deeper than that (a fader's
// arrow picture on a page inside a page). A toolkit clip opened inside a scope must be closed in it.
class ClipScope {
 public:
  ClipScope(int x, int y, int w, int h);
  ~ClipScope();
  ClipScope(const ClipScope&) = delete;
  ClipScope& operator=(const ClipScope&) = delete;
};

// Paints a window's whole control tree (the form at (0, 0)) and checks that the painting left the
// toolkit's clip as it found it; what went wrong (the toolkit's own clip warnings included) is kept for
// takeDrawingFaults() (fltk_backend.h), naming the window and its pages in front.
void paintWindow(Control& form, const PaintContext& ctx);
// The same into a picture off the screen, whether the form's window is on the screen or not.
void paintWindowOffscreen(Control& form, const PaintContext& ctx);
// Keeps a drawing fault (a toolkit warning about its clip stack), naming the window being painted.
void noteDrawingFault(const std::string& what);

// Selects the font on the toolkit's drawing state.
void useFont(const Font& f);
// Extent of one line of text in the font (needs an open display).
Size measureText(const Font& f, const std::string& text);
// Draws the control and everything shown in it with its top-left corner at (x, y) of the window.
void paintControl(Control& c, int x, int y, const PaintContext& ctx);
// Replays a canvas's recorded operations shifted by (dx, dy).
void replayCanvas(const std::vector<CanvasOp>& ops, int dx, int dy);
void drawBitmap(const Bitmap& b, const Rect& r, bool stretch, bool center, bool transparent);

// The deepest shown control under p (p in root's client area), windowed controls above the others
// (as the window layer stacks them); local receives p in that control's client area. Returns root when
// nothing inside is under p.
Control* controlAt(WinControl& root, Point p, Point& local);
// Position of c's top-left corner in its form's client area.
Point originInForm(const Control& c);
// Every tab drawn in root and its shown controls, one line each: "left top width height active caption"
// (the tab's rectangle in the form's client area, active 1 or 0, the caption without its hotkey mark).
// The window publishes it for tools that drive it from outside, so that they find a tab by its caption.
std::string shownTabs(const Control& root);

}  // namespace ui::fltk
