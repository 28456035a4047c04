// Quillet: prints picture albums.  Everything starts in RunProgram.
#include "app/startup.h"

int main(int argc, char** argv)
{
    quillet::RunProgram(argc, argv);
}
