#include "runtime/runtime_error.h"
#include "runtime/window.h"
#include "shown_dialogs.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace quillet {
namespace {

struct ErrorTextCase {
    const char* name;
    std::string message;
    std::optional<int> code;
    std::string expected;
};

class RuntimeErrorTextTest : public ::testing::TestWithParam<ErrorTextCase> {};

TEST_P(RuntimeErrorTextTest, ComposesTheBoxText)
{
    EXPECT_EQ(RuntimeErrorText(GetParam().message, GetParam().code), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    RuntimeError, RuntimeErrorTextTest,
    ::testing::Values(ErrorTextCase{"MessageOnly", "不能整除于零", std::nullopt,
                                    "运行时出错!\r\n\r\n错误信息：不能整除于零\r\n"},
                      ErrorTextCase{"CodeOnly", "", 7, "运行时出错!\r\n\r\n错误代码：7\r\n\r\n"},
                      ErrorTextCase{"CodeAndMessage", "坏", -3,
                                    "运行时出错!\r\n\r\n错误代码：-3\r\n\r\n错误信息：坏\r\n"},
                      ErrorTextCase{"Neither", "", std::nullopt, "运行时出错!\r\n\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

using RuntimeErrorDeathTest = ::testing::Test;

TEST_F(RuntimeErrorDeathTest, ShowsTheBoxRunsTheExitProcedureAndEndsWith255)
{
    const auto fail = [] {
        ScriptedDialogProvider provider;
        ReportDialogsToStderr(provider);
        ScopedDialogProvider scope(provider);
        RegisterExitProcedure([] { std::fputs("exit procedure ran\n", stderr); });
        RuntimeError("图片太大", 12);
    };
    EXPECT_EXIT(fail(), ::testing::ExitedWithCode(255),
                ShownDialogPattern("信息：",
                                   "运行时出错!\r\n\r\n错误代码：12\r\n\r\n错误信息：图片太大\r\n")
                    + "\n(.|\n)*exit procedure ran");
}

TEST_F(RuntimeErrorDeathTest, AnErrorWhileTheBoxIsOpenEndsWithoutASecondBox)
{
    const auto fail = [] {
        ScriptedDialogProvider provider;
        provider.SetOnRequest([](const DialogRequest&) {
            static int boxes = 0;
            if (++boxes > 1)
                std::_Exit(99);
            RuntimeError("second");
        });
        ScopedDialogProvider scope(provider);
        RuntimeError("first");
    };
    EXPECT_EXIT(fail(), ::testing::ExitedWithCode(255), "");
}

} // namespace
} // namespace quillet
