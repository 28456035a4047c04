#include "app/progress_window.h"

#include "ui_progress_window.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QWindow>

namespace quillet {
namespace {

class LoadedWindow {
public:
    ~LoadedWindow()
    {
        // Widgets cannot outlive the application object; a window still
        // loaded when the program's statics go is left to the process end.
        if (!QCoreApplication::instance())
            (void)window.release();
    }
    std::unique_ptr<ProgressWindow> window;
};

LoadedWindow& Loaded()
{
    static LoadedWindow loaded;
    return loaded;
}

} // namespace

ProgressWindow::ProgressWindow()
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint),
      ui_(std::make_unique<Ui::ProgressWindow>())
{
    ui_->setupUi(this);
    setFixedSize(380, 51);
    move(50, 50);

    SetProgressRange(0, 100);
    SetProgress(0);
    // The form's scratch canvas is never shown: jobs draw on their own.
    ui_->画板_temp->hide();

    connect(ui_->按钮_取消打印, &QPushButton::clicked, this, [this] { cancelRequested_ = true; });
    ui_->进度条_当前进度->installEventFilter(this);
}

ProgressWindow::~ProgressWindow() = default;

void ProgressWindow::SetProgressRange(int minimum, int maximum)
{
    ui_->进度条_当前进度->setRange(minimum, maximum);
}

void ProgressWindow::SetProgress(int value)
{
    ui_->进度条_当前进度->setValue(value);
}

int ProgressWindow::Progress() const
{
    return ui_->进度条_当前进度->value();
}

void ProgressWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // Come up above the window that started the job, once; the window is
    // not kept on top, so the user can put it behind others.
    raise();
}

bool ProgressWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != ui_->进度条_当前进度)
        return QWidget::eventFilter(watched, event);

    // The window has no caption: the progress bar is its handle.
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton)
            break;
        if (windowHandle() && windowHandle()->startSystemMove())
            return true;
        // No window manager to move it: follow the pointer ourselves.
        dragOffset_ = mouse->globalPosition().toPoint() - frameGeometry().topLeft();
        return true;
    }
    case QEvent::MouseMove: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (dragOffset_ && (mouse->buttons() & Qt::LeftButton)) {
            move(mouse->globalPosition().toPoint() - *dragOffset_);
            return true;
        }
        break;
    }
    case QEvent::MouseButtonRelease:
        if (dragOffset_) {
            dragOffset_.reset();
            return true;
        }
        break;
    default: break;
    }
    return QWidget::eventFilter(watched, event);
}

ProgressWindow& LoadProgressWindow()
{
    auto& window = Loaded().window;
    if (!window)
        window = std::make_unique<ProgressWindow>();
    return *window;
}

ProgressWindow* LoadedProgressWindow()
{
    return Loaded().window.get();
}

void CloseProgressWindow()
{
    // Taken out first, so that nothing reaches a half-destroyed window.
    std::unique_ptr<ProgressWindow> window = std::move(Loaded().window);
    if (window)
        window->hide();
}

} // namespace quillet
