#pragma once
// The program entry and the creation of its windows.

namespace ui {
class TForm;
}

namespace vek {

// Creates every window of the program once, in number order (TForm1 first,
// which makes it the application's main window), each into its form
// variable of the state module. The ui application must exist.
void CreateProgramWindows();

// Ends every window of the program and clears their form variables, so the
// next CreateProgramWindows starts a fresh set.
void DestroyProgramWindows();

// The window with number `number` (TForm1 is 1, TForm22 is 22), or nullptr
// when the program has no window of that number or it is not created yet.
ui::TForm* ProgramWindow(int number);

// Gives the application its title (which its windows' class takes too)
// and the name of the desktop entry that its installer writes.
void NameProgram();

// The whole program: application title, the windows, the message loop.
int ProgramMain(int argc, char** argv);

}  // namespace vek
