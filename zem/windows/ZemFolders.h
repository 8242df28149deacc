// Where the program keeps its files on Linux: the memory files' folder and the help file.
#pragma once

#include <string>

// The folder under which the memory folders (one per fixture name) are made, with a trailing '/':
// ProgramFolder when the program runs from its build or from a portable folder and may write there; the
// user's data folder ($XDG_DATA_HOME/zem/, by default ~/.local/share/zem/) for an installed program, whose
// folder is the system's, or when the program's folder cannot be written.
std::string memoryFilesRoot();

// The help file: beside the program when it is there, else in the installed data folder when it is there,
// else beside the program (where a help file would be put).
std::string helpFilePath();
