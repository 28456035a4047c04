#include "app/startup.h"

#include "app/collection_wiring.h"
#include "app/globals.h"
#include "app/main_window.h"
#include "app/open_paths.h"
#include "printing/fonts.h"
#include "widgets/qt_translations.h"
#include "widgets/window.h"

#include <QApplication>
#include <QTimer>

#include <string>
#include <vector>

namespace quillet {

void PrepareProgramState()
{
    ResetGlobals();
    RegisterExitProcedure(ExitCleanup);
}

void ExitCleanup()
{
    ReleaseGlobals();
}

std::function<void(MainWindow&)>& FolderTreeBuilder()
{
    static std::function<void(MainWindow&)> builder;
    return builder;
}

void MainWindowCreated(MainWindow& window)
{
    App().SearchFinished = true;
    if (const auto& buildFolderTree = FolderTreeBuilder())
        buildFolderTree(window);
}

std::unique_ptr<MainWindow> LoadMainWindow()
{
    auto window = std::make_unique<MainWindow>();
    MainWindowCreated(*window);
    return window;
}

void RunProgram(int& argc, char** argv)
{
    QApplication application(argc, argv);
    InstallFontSubstitutions();
    InstallQtTranslations();
    PrepareProgramState();
    FolderTreeBuilder() = AttachCollection;
    const std::unique_ptr<MainWindow> window = LoadMainWindow();
    window->show();
    // Read after QApplication took its own options out of argv.
    const std::vector<std::string> paths(argv + 1, argv + argc);
    // Once the window is up, so a search shows its progress in it.
    QTimer::singleShot(0, window.get(), [&window, paths] { OpenPathsInWindow(*window, paths); });
    QApplication::exec();
    // The loop only ends when something quits the application; leave the
    // same way as the exit button, so the clean-up runs exactly once.
    EndProgram(0);
}

} // namespace quillet
