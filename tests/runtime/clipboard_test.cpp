#include "runtime/clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <gtest/gtest.h>

namespace quillet {
namespace {

TEST(Clipboard, KeepsTextExactly)
{
    const std::string table = "序号\t图片名全称\t图片类别\r\n1\t/照片/a.jpg\t旅行\r\n";
    ASSERT_TRUE(SetClipboardText(table));
    EXPECT_EQ(GetClipboardText(), table);
    ASSERT_TRUE(SetClipboardText(""));
    EXPECT_EQ(GetClipboardText(), "");
}

TEST(Clipboard, TextEndsAtAZeroByte)
{
    ASSERT_TRUE(SetClipboardText(std::string("前\0后", 7)));
    EXPECT_EQ(GetClipboardText(), "前");
}

TEST(Clipboard, EmptyClipboardGivesEmptyText)
{
    ASSERT_TRUE(SetClipboardText("x"));
    QGuiApplication::clipboard()->clear();
    EXPECT_EQ(GetClipboardText(), "");
}

TEST(Clipboard, ReadsWhatOthersPut)
{
    QGuiApplication::clipboard()->setText(QStringLiteral("别人放的\n"));
    EXPECT_EQ(GetClipboardText(), "别人放的\n");
}

// Raw text/plain bytes as another program offers them, with what they read as.
struct RawClipboardCase {
    const char* name;
    QByteArray bytes;
    std::string expected;
};

class RawClipboardTest : public ::testing::TestWithParam<RawClipboardCase> {};

TEST_P(RawClipboardTest, DecodesTheRawTextBytes)
{
    auto* data = new QMimeData;
    data->setData(QStringLiteral("text/plain"), GetParam().bytes);
    QGuiApplication::clipboard()->setMimeData(data);
    EXPECT_EQ(ReadClipboardText(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Clipboard, RawClipboardTest, ::testing::Values(
    // Qt's own text() would give replacement characters here.
    RawClipboardCase{"Gbk", QByteArray("\xCD\xBC\xC6\xAC\t\xBA\xA3\xB1\xDF\r\n"), "图片\t海边\r\n"},
    RawClipboardCase{"Utf8WithByteOrderMark", QByteArray("\xEF\xBB\xBF图片"), "图片"},
    RawClipboardCase{"Utf16LittleEndian", QByteArray("\xFF\xFE\xFE\x56\x47\x72", 6), "图片"},
    RawClipboardCase{"EmptyText", QByteArray(), ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Clipboard, AClipboardWithoutTextHasNoText)
{
    QGuiApplication::clipboard()->setImage(QImage(2, 2, QImage::Format_RGB32));
    EXPECT_EQ(ReadClipboardText(), std::nullopt);
    QGuiApplication::clipboard()->clear();
    EXPECT_EQ(ReadClipboardText(), std::nullopt);
}

} // namespace
} // namespace quillet
