#include "widgets/held_input.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>
#include <QWindow>

#include <chrono>

namespace quillet {
namespace {

// Often enough that the action follows the release without a visible pause.
constexpr std::chrono::milliseconds kReleasePoll{15};

bool IsUserInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel: return true;
    default: return false;
    }
}

// The widget the window would hand the event to: keys go to the focus
// widget, the pointer's events to the widget under it.
QWidget* TargetOf(const QEvent& event)
{
    if (event.type() == QEvent::KeyPress || event.type() == QEvent::KeyRelease)
        return QApplication::focusWidget();
    const auto& pointer = static_cast<const QSinglePointEvent&>(event);
    return QApplication::widgetAt(pointer.globalPosition().toPoint());
}

} // namespace

void AfterMouseRelease(QObject& context, std::function<void()> action)
{
    const bool held = QGuiApplication::mouseButtons() != Qt::NoButton;
    QTimer::singleShot(held ? kReleasePoll : std::chrono::milliseconds(0), &context,
                       [&context, held, action = std::move(action)]() mutable {
                           if (held)
                               AfterMouseRelease(context, std::move(action));
                           else
                               action();
                       });
}

HeldUserInput::HeldUserInput(std::vector<QPointer<QWidget>> open) : open_(std::move(open))
{
    QCoreApplication::instance()->installEventFilter(this);
}

HeldUserInput::~HeldUserInput()
{
    QCoreApplication::instance()->removeEventFilter(this);
    // Posted, so that they arrive after the work that held them has
    // returned, in the order the user gave them.
    for (auto& [window, event] : held_) {
        if (window)
            QCoreApplication::postEvent(window, event.release());
    }
}

bool HeldUserInput::IsOpen(const QWidget* target) const
{
    for (const QPointer<QWidget>& open : open_) {
        if (open && target && (open == target || open->isAncestorOf(target)))
            return true;
    }
    return false;
}

bool HeldUserInput::eventFilter(QObject* watched, QEvent* event)
{
    // Input arrives at the window first, which hands it to its widgets:
    // holding it there keeps the window's own bookkeeping (the widget that
    // got the press gets the release) intact for when it is handed on.
    if (!watched->isWindowType() || !IsUserInput(event->type()) || IsOpen(TargetOf(*event)))
        return false;
    held_.emplace_back(static_cast<QWindow*>(watched), std::unique_ptr<QEvent>(event->clone()));
    return true;
}

} // namespace quillet
