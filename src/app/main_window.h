#pragma once
// The program's only permanent window: the folder and clipboard pages, the
// result list `超级列表框_显示`, the print area and the status bar.  The form
// is designed in forms/main_window.ui; this class adds what the form cannot
// say: the status text, the focus help texts, the frame-aware size, the
// close box that ends the program and the files dropped on it.

#include "widgets/outer_size.h"

#include <QMainWindow>
#include <QString>

#include <memory>

class QLabel;

namespace Ui {
class MainWindow;
}

namespace quillet {

class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // The designed controls, by their designed names.
    Ui::MainWindow& ui();

    // The first part of `状态条1`: where the program tells the user what
    // happened.  A text stays until the next one replaces it; one longer
    // than the status bar is cut, never widening the window.
    void SetStatusText(const QString& text);

    // The designed outer size and position, frame included.
    static constexpr int kOuterWidth = 687;
    static constexpr int kOuterHeight = 545;
    static constexpr int kLeft = 50;
    static constexpr int kTop = 50;

protected:
    // The close box ends the program at once (exit code 0, clean-up run);
    // the window is never closed the ordinary way.
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;
    // Folders and pictures dropped from a file manager open as they do on
    // the command line (app/open_paths).
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    std::unique_ptr<Ui::MainWindow> ui_;
    QLabel* statusText_ = nullptr; // owned by 状态条1
    DesignedOuterSize outerSize_{{kOuterWidth, kOuterHeight}};
};

// The help texts shown in the status bar when the header or footer edit gets
// the input focus.
QString HeaderEditHelpText();
QString FooterEditHelpText();

// The status text a fresh window greets the user with.
QString GreetingText();

} // namespace quillet
