#include "app/globals.h"

namespace quillet {

Globals& App()
{
    static Globals globals;
    return globals;
}

void ResetGlobals()
{
    Globals& g = App();
    g = Globals{};
    g.printSettings = StartupPrintSettings();
}

void ReleaseGlobals()
{
    // Swapping with empty values frees the memory, not just the sizes.
    Globals& g = App();
    std::string().swap(g.jobHeaderText);
    std::string().swap(g.jobFooterText);
    g.printSettings = PrintSettings{};
    std::vector<std::string>().swap(g.jobPicturePaths);
    std::vector<float>().swap(g.jobAspectRatios);
    std::vector<std::string>().swap(g.jobCaptions);
    std::string().swap(g.SelectedFolderPath);
    std::string().swap(g.DesktopPath);
    std::string().swap(g.DocumentsPath);
}

} // namespace quillet
