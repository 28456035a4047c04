#pragma once
// Start-up and the ways out.  The start-up sequence, in its order:
//   1. the form runtime (the QApplication, the font substitutions, Qt's
//      Chinese translations),
//   2. the global state in its start-up values,
//   3. the exit clean-up, registered with the window runtime,
//   4. (the image codecs need no start here),
//   5. the main window, whose creation handler runs before it is shown,
//   6. the message loop.
// Every way out (close box, exit button, runtime error, the loop ending)
// goes through EndProgram, which runs the exit clean-up once.

#include <functional>
#include <memory>

namespace quillet {

class MainWindow;

// Step 2 and 3: the global state as a fresh run starts it, whatever an
// earlier run in this process left, and the exit clean-up registered.
void PrepareProgramState();

// The exit clean-up: releases the global state.
void ExitCleanup();

// Called once the main window and its controls exist, before it is shown:
// `SearchFinished` becomes true and the folder tree is built.
void MainWindowCreated(MainWindow& window);

// Builds the folder tree of a new main window (and wires the folder page).
// RunProgram installs the picture collection here; left empty, a window
// comes up without touching the file system, as the window tests want.
std::function<void(MainWindow&)>& FolderTreeBuilder();

// Step 5: loads the main window and runs its creation handler.
std::unique_ptr<MainWindow> LoadMainWindow();

// The whole sequence; ends the process with the loop's end.  Arguments
// (folders or pictures, as a file manager passes them) are opened in the
// window once it is up.
[[noreturn]] void RunProgram(int& argc, char** argv);

} // namespace quillet
