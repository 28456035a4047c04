#include "widgets/window.h"

#include <QCursor>
#include <QGuiApplication>

#include <cstdio>
#include <cstdlib>
#include <utility>

namespace quillet {
namespace {

bool waitCursorShown = false;

std::function<void()>& ExitProcedure()
{
    static std::function<void()> procedure;
    return procedure;
}

} // namespace

void ProcessPendingMessages()
{
    if (QCoreApplication::instance())
        QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void WaitCursor()
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()) || waitCursorShown)
        return;
    QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    waitCursorShown = true;
}

void RestoreCursor()
{
    if (!waitCursorShown)
        return;
    QGuiApplication::restoreOverrideCursor();
    waitCursorShown = false;
}

void RegisterExitProcedure(std::function<void()> procedure)
{
    ExitProcedure() = std::move(procedure);
}

void EndProgram(int exitCode)
{
    // Take the procedure out first, so that a clean-up which itself ends the
    // program cannot run twice.
    std::function<void()> procedure = std::exchange(ExitProcedure(), nullptr);
    if (procedure)
        procedure();
    std::fflush(nullptr);
    // The windows go with the process.  Nothing returns to the event loop on
    // purpose: a search or a print job that is still running must not get
    // control back, and no close handler may ask a question.
    std::_Exit(exitCode);
}

} // namespace quillet
