// Quillet: prints picture albums.  The window starts in RunProgram; the
// headless command (quillet render / print / --help) in RunHeadlessProgram.
#include "app/headless_command.h"
#include "app/startup.h"

#include <string>
#include <vector>

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (quillet::IsHeadlessCommand(args))
        return quillet::RunHeadlessProgram(argc, argv);
    quillet::RunProgram(argc, argv);
}
