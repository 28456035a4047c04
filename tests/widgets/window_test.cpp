#include "widgets/window.h"

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QTimer>
#include <gtest/gtest.h>

#include <cstdlib>

namespace quillet {
namespace {

TEST(Window, ProcessPendingMessagesRunsQueuedWork)
{
    bool ran = false;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [&ran] { ran = true; }, Qt::QueuedConnection);
    ASSERT_FALSE(ran);
    ProcessPendingMessages();
    EXPECT_TRUE(ran);
}

TEST(Window, WaitCursorIsShownOnceAndRestored)
{
    ASSERT_EQ(QGuiApplication::overrideCursor(), nullptr);
    WaitCursor();
    WaitCursor();
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    RestoreCursor();
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    RestoreCursor();
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

using EndProgramDeathTest = ::testing::Test;

TEST_F(EndProgramDeathTest, RunsTheExitProcedureOnceAndExitsWithTheCode)
{
    const auto end = [] {
        // The procedure ends the program itself; were it run a second time,
        // the exit code would say so.
        RegisterExitProcedure([] {
            static int runs = 0;
            if (++runs > 1)
                std::_Exit(99);
            std::fputs("clean-up\n", stderr);
            EndProgram(3);
        });
        EndProgram(5);
    };
    EXPECT_EXIT(end(), ::testing::ExitedWithCode(3), "clean-up");
}

TEST_F(EndProgramDeathTest, LaterRegistrationReplacesEarlier)
{
    const auto end = [] {
        RegisterExitProcedure([] { std::_Exit(98); });
        RegisterExitProcedure([] { std::fputs("second procedure\n", stderr); });
        EndProgram(0);
    };
    EXPECT_EXIT(end(), ::testing::ExitedWithCode(0), "second procedure");
}

TEST_F(EndProgramDeathTest, MinusOneIsExitStatus255)
{
    EXPECT_EXIT(EndProgram(-1), ::testing::ExitedWithCode(255), "");
}

} // namespace
} // namespace quillet
