#include "widgets/clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <gtest/gtest.h>

namespace quillet {
namespace {

std::string ClipboardText()
{
    const std::optional<OutsideText> text = ReadClipboardText();
    return text ? text->text : std::string();
}

TEST(Clipboard, KeepsTextExactly)
{
    const std::string table = "序号\t图片名全称\t图片类别\r\n1\t/照片/a.jpg\t旅行\r\n";
    ASSERT_TRUE(SetClipboardText(table));
    EXPECT_EQ(ClipboardText(), table);
    ASSERT_TRUE(SetClipboardText(""));
    EXPECT_EQ(ClipboardText(), "");
}

TEST(Clipboard, TextEndsAtAZeroByte)
{
    ASSERT_TRUE(SetClipboardText(std::string("前\0后", 7)));
    EXPECT_EQ(ClipboardText(), "前");
}

TEST(Clipboard, EmptyClipboardGivesEmptyText)
{
    ASSERT_TRUE(SetClipboardText("x"));
    QGuiApplication::clipboard()->clear();
    EXPECT_EQ(ClipboardText(), "");
}

TEST(Clipboard, ReadsWhatOthersPut)
{
    QGuiApplication::clipboard()->setText(QStringLiteral("别人放的\n"));
    EXPECT_EQ(ClipboardText(), "别人放的\n");
}

} // namespace
} // namespace quillet
