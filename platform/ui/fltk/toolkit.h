// The toolkit's headers, for every unit of the backend. Some of them pull in the X headers, whose
// macros clash with the window layer's names: they are taken back here, after the last toolkit
// header, so that the layer's headers may come before or after this one.
#pragma once

#include <FL/Enumerations.H>
#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Choice.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_File_Browser.H>
#include <FL/Fl_Image.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Menu_Window.H>
#include <FL/Fl_Output.H>
#include <FL/Fl_PNG_Image.H>
#include <FL/fl_draw.H>

#undef None
#undef Status
#undef Bool
#undef Success
#undef Complex
#undef Always
