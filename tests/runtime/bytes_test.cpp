#include "runtime/bytes.h"
#include "runtime/dialogs.h"
#include "shown_dialogs.h"

#include <gtest/gtest.h>

namespace quillet {
namespace {

TEST(ByteArrays, FromTextsAndNumbers)
{
    EXPECT_EQ(ToByteArray("ab"), (ByteArray{0x61, 0x62}));
    EXPECT_EQ(ToByteArray(std::string("中")), (ByteArray{0xE4, 0xB8, 0xAD}));
    EXPECT_EQ(ToByteArray(""), ByteArray());
    EXPECT_EQ(ToByteArray(std::int32_t{0x01020304}), (ByteArray{4, 3, 2, 1}));
    EXPECT_EQ(ToByteArray(1.0).size(), 8u);
}

TEST(ByteArrays, ToTextStopsAtZeroByte)
{
    EXPECT_EQ(BytesToText(ByteArray{'a', 'b', 0, 'c'}), "ab");
    EXPECT_EQ(BytesToText(ByteArray{'a', 'b'}), "ab");
    EXPECT_EQ(BytesToText(ByteArray{0, 'a'}), "");
}

TEST(ByteArrays, PartsAndBlanks)
{
    const ByteArray bytes{1, 2, 3, 4};
    EXPECT_EQ(ByteArrayLength(bytes), 4);
    EXPECT_EQ(LeftBytes(bytes, 2), (ByteArray{1, 2}));
    EXPECT_EQ(LeftBytes(bytes, 9), bytes);
    EXPECT_EQ(LeftBytes(bytes, 0), ByteArray());
    EXPECT_EQ(RightBytes(bytes, 3), (ByteArray{2, 3, 4}));
    EXPECT_EQ(RightBytes(bytes, 9), bytes);
    EXPECT_EQ(RightBytes(bytes, -1), ByteArray());
    EXPECT_EQ(BlankBytes(3), (ByteArray{0, 0, 0}));
    EXPECT_EQ(BlankBytes(0), ByteArray());
    EXPECT_EQ(BlankBytes(-4), ByteArray());
}

struct FindBytesCase {
    const char* name;
    ByteArray bytes;
    ByteArray sought;
    int start;
    int expected;
};

class FindBytesTest : public ::testing::TestWithParam<FindBytesCase> {};

TEST_P(FindBytesTest, FindsFirstOccurrence)
{
    const FindBytesCase& c = GetParam();
    EXPECT_EQ(FindBytes(c.bytes, c.sought, c.start), c.expected);
}

INSTANTIATE_TEST_SUITE_P(ByteArrays, FindBytesTest,
                         ::testing::Values(FindBytesCase{"First", {1, 2, 3, 2, 3}, {2, 3}, 1, 2},
                                           FindBytesCase{
                                               "FromStart", {1, 2, 3, 2, 3}, {2, 3}, 3, 4},
                                           FindBytesCase{"StartPastEnd", {1, 2, 3}, {3}, 4, -1},
                                           FindBytesCase{"None", {1, 2, 3}, {4}, 1, -1},
                                           FindBytesCase{"ZeroBytesCount", {0, 0, 7}, {7}, 1, 3},
                                           FindBytesCase{"EmptySought", {1}, {}, 1, 1},
                                           FindBytesCase{"EmptyBytes", {}, {1}, 1, -1},
                                           FindBytesCase{"PartialAtEnd", {1, 2}, {2, 3}, 1, -1}),
                         [](const auto& info) { return std::string(info.param.name); });

// Little-endian layout as the values are written by the program.
ByteArray SampleRecord()
{
    ByteArray bytes{0xFF, 0x34, 0x12}; // 1: byte, 2: short at 2
    const auto append = [&bytes](const ByteArray& more) {
        bytes.insert(bytes.end(), more.begin(), more.end());
    };
    append(ToByteArray(std::int32_t{-5})); // 4
    append(ToByteArray(std::int64_t{1} << 40)); // 8
    append(ToByteArray(1.5f)); // 16
    append(ToByteArray(0.25)); // 20
    append(ToByteArray("名字")); // 28
    bytes.push_back(0);
    return bytes;
}

TEST(ReadTypedValue, ReadsEveryType)
{
    const ByteArray bytes = SampleRecord();
    EXPECT_EQ(std::get<std::uint8_t>(ReadTypedValue(bytes, 1, 1)), 0xFF);
    EXPECT_EQ(std::get<std::int16_t>(ReadTypedValue(bytes, 2, 2)), 0x1234);
    EXPECT_EQ(std::get<std::int32_t>(ReadTypedValue(bytes, 3, 4)), -5);
    EXPECT_EQ(std::get<std::int64_t>(ReadTypedValue(bytes, 4, 8)), std::int64_t{1} << 40);
    EXPECT_EQ(std::get<float>(ReadTypedValue(bytes, 5, 16)), 1.5f);
    EXPECT_EQ(std::get<double>(ReadTypedValue(bytes, 6, 20)), 0.25);
    EXPECT_TRUE(std::get<bool>(ReadTypedValue(bytes, 7, 4)));
    EXPECT_EQ(std::get<DateTime>(ReadTypedValue(bytes, 8, 20)).days, 0.25);
    EXPECT_EQ(std::get<ProcedureAddress>(ReadTypedValue(bytes, 9, 4)).value, 0xFFFFFFFBu);
    EXPECT_EQ(std::get<std::string>(ReadTypedValue(bytes, 10, 28)), "名字");
    EXPECT_EQ(ReadTypedValue(bytes, 10, 28).index(), 9u);
}

TEST(ReadTypedValue, MissingBytesReadAsZero)
{
    const ByteArray bytes{0x01, 0x02};
    EXPECT_EQ(std::get<std::int32_t>(ReadTypedValue(bytes, 3, 1)), 0x0201);
    EXPECT_EQ(std::get<std::int32_t>(ReadTypedValue(bytes, 3, 3)), 0);
    EXPECT_EQ(std::get<double>(ReadTypedValue(bytes, 6, 100)), 0.0);
    EXPECT_EQ(std::get<std::uint8_t>(ReadTypedValue(bytes, 1, 0)), 0);
    EXPECT_FALSE(std::get<bool>(ReadTypedValue(ByteArray{}, 7)));
    EXPECT_EQ(std::get<std::string>(ReadTypedValue(ByteArray{'a', 'b'}, 10, 2)), "b");
    EXPECT_EQ(std::get<std::string>(ReadTypedValue(bytes, 10, 3)), "");
}

using ReadTypedValueDeathTest = ::testing::Test;

TEST_F(ReadTypedValueDeathTest, UnknownTypeIsARuntimeError)
{
    const auto read = [](int type) {
        ScriptedDialogProvider provider;
        ReportDialogsToStderr(provider);
        ScopedDialogProvider scope(provider);
        ReadTypedValue(ByteArray{1, 2, 3, 4}, type);
    };
    EXPECT_EXIT(read(0), ::testing::ExitedWithCode(255), "运行时出错");
    EXPECT_EXIT(read(11), ::testing::ExitedWithCode(255), "运行时出错");
}

} // namespace
} // namespace quillet
