#pragma once
// The small window shown while a job prints or renders: a progress bar to
// drag it by and a cancel button.  It only shows progress: the job owns the
// printer or canvas it draws on.
//
// There is at most one; jobs load it, fill it, hide it and close it, and
// hand the page loop its progress bar and its cancel button as callbacks.

#include <QPoint>
#include <QWidget>

#include <memory>
#include <optional>

namespace Ui {
class ProgressWindow;
}

namespace quillet {

class ProgressWindow : public QWidget {
public:
    ProgressWindow();
    ~ProgressWindow() override;

    Ui::ProgressWindow& ui() { return *ui_; }

    void SetProgressRange(int minimum, int maximum);
    void SetProgress(int value);
    int Progress() const;

    // Set by the cancel button; the job showing the window polls it and
    // clears it when it starts and when it ends.
    bool CancelRequested() const { return cancelRequested_; }
    void ClearCancelRequest() { cancelRequested_ = false; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    std::unique_ptr<Ui::ProgressWindow> ui_;
    bool cancelRequested_ = false;
    // Where the pointer grabbed the window, while it is dragged by hand.
    std::optional<QPoint> dragOffset_;
};

// The window, created (not modal, not yet shown) if it is not loaded.
ProgressWindow& LoadProgressWindow();
// The window if it is loaded, else nullptr.
ProgressWindow* LoadedProgressWindow();
// Destroys the window; nothing happens when it is not loaded.
void CloseProgressWindow();

} // namespace quillet
