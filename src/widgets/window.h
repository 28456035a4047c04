#pragma once
// Window commands of the runtime: message pumping inside long loops, the wait
// cursor, and ending the program with the registered exit clean-up.

#include <functional>

namespace quillet {

// Handles every window event waiting in the queue, then returns.  Long loops
// call it so that buttons (stop, cancel) and the close box still work.
void ProcessPendingMessages();

// Shows the wait cursor; RestoreCursor brings back the cursor that was shown
// before the first WaitCursor call.  Calling WaitCursor twice is harmless.
void WaitCursor();
void RestoreCursor();

// Registers the procedure that EndProgram runs before the process ends.
// A later registration replaces the earlier one.
void RegisterExitProcedure(std::function<void()> procedure);

// Runs the exit procedure (once), closes the windows and ends the process at
// once with the exit code; never returns.
[[noreturn]] void EndProgram(int exitCode);

} // namespace quillet
