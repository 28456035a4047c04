#pragma once
// Keeping the user's clicks and keys whole around work that lets window
// events run: a redraw that starts while a mouse button is down would take
// the release away from the control that got the press, and a control that
// received input halfway through such work would act on a half-made state.

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>
#include <utility>
#include <vector>

class QEvent;
class QWindow;

namespace quillet {

// Runs the action from the event loop once no mouse button is held, so that
// a click under way completes (and takes effect) before it.  Nothing runs
// when the context is destroyed first.
void AfterMouseRelease(QObject& context, std::function<void()> action);

// While it lives, keys, mouse buttons, moves and the wheel meant for any
// widget outside the open ones are held back instead of delivered, and are
// handed on in their order when it ends: nothing the user does is lost,
// and nothing reaches the rest of the program mid-way.  Input for the open
// widgets and their children (a progress window's cancel button) goes
// through as usual.
class HeldUserInput : public QObject {
public:
    explicit HeldUserInput(std::vector<QPointer<QWidget>> open);
    ~HeldUserInput() override;
    HeldUserInput(const HeldUserInput&) = delete;
    HeldUserInput& operator=(const HeldUserInput&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool IsOpen(const QWidget* target) const;

    std::vector<QPointer<QWidget>> open_;
    std::vector<std::pair<QPointer<QWindow>, std::unique_ptr<QEvent>>> held_;
};

} // namespace quillet
