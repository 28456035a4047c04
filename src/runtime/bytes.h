#pragma once
// Byte arrays: a length and that many bytes (encoded pictures, BMP pages,
// file contents), and the commands on them.  Positions are 1-based.

#include "runtime/datetime.h"

#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>
#include <vector>

namespace quillet {

using ByteArray = std::vector<std::uint8_t>;
using ByteView = std::span<const std::uint8_t>;

// The bytes of a text, without an ending zero.
ByteArray ToByteArray(std::string_view text);

// The memory image of a number.
template <typename Number>
requires std::is_arithmetic_v<Number> ByteArray ToByteArray(Number value)
{
    ByteArray bytes(sizeof value);
    std::memcpy(bytes.data(), &value, sizeof value);
    return bytes;
}

// The bytes up to the first zero byte, as a text.
std::string BytesToText(ByteView bytes);

int ByteArrayLength(ByteView bytes);

// The first (last) min(n, length) bytes; empty when n <= 0.
ByteArray LeftBytes(ByteView bytes, int n);
ByteArray RightBytes(ByteView bytes, int n);

// 1-based position of the first occurrence at or after start, -1 when none.
// Empty sought bytes are found at 1 in any non-empty array.
int FindBytes(ByteView bytes, ByteView sought, int start = 1);

// n zero bytes; empty when n <= 0.
ByteArray BlankBytes(int n);

// A procedure address as the data layout stores it (4 bytes).  There is
// nothing to call through it here; it is only ever compared or shown.
struct ProcedureAddress {
    std::uint32_t value = 0;
    bool operator==(const ProcedureAddress&) const = default;
};

// A value read out of a byte array; the alternative's index is the type
// number minus 1: 1 byte, 2 short, 3 integer, 4 64-bit integer, 5 float,
// 6 number, 7 boolean (4 bytes, non-zero is true), 8 date-time,
// 9 procedure address, 10 text (up to the first zero byte).
using TypedValue = std::variant<std::uint8_t, std::int16_t, std::int32_t, std::int64_t, float,
                                double, bool, DateTime, ProcedureAddress, std::string>;

// Reads the value of the given type at the 1-based position.  Bytes that the
// array does not have read as zero, so a value past the end is zero (or the
// empty text).  A type outside 1..10 is a runtime error.
TypedValue ReadTypedValue(ByteView bytes, int type, int position = 1);

} // namespace quillet
