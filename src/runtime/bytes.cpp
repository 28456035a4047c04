#include "runtime/bytes.h"

#include "runtime/runtime_error.h"

#include <algorithm>
#include <array>
#include <climits>

namespace quillet {
namespace {

// The bytes from the 0-based index, padded with zeros to Size bytes.
template <std::size_t Size>
std::array<std::uint8_t, Size> BytesAt(ByteView bytes, std::size_t index)
{
    std::array<std::uint8_t, Size> result{};
    if (index < bytes.size())
        std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(index),
                    std::min(Size, bytes.size() - index), result.begin());
    return result;
}

template <typename Value>
Value ValueAt(ByteView bytes, std::size_t index)
{
    const auto raw = BytesAt<sizeof(Value)>(bytes, index);
    Value value;
    std::memcpy(&value, raw.data(), sizeof value);
    return value;
}

} // namespace

ByteArray ToByteArray(std::string_view text)
{
    return ByteArray(text.begin(), text.end());
}

std::string BytesToText(ByteView bytes)
{
    const auto end = std::find(bytes.begin(), bytes.end(), std::uint8_t{0});
    return std::string(bytes.begin(), end);
}

int ByteArrayLength(ByteView bytes)
{
    return static_cast<int>(std::min<std::size_t>(bytes.size(), INT_MAX));
}

ByteArray LeftBytes(ByteView bytes, int n)
{
    if (n <= 0)
        return {};
    const auto count = std::min(static_cast<std::size_t>(n), bytes.size());
    return ByteArray(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(count));
}

ByteArray RightBytes(ByteView bytes, int n)
{
    if (n <= 0)
        return {};
    const auto count = std::min(static_cast<std::size_t>(n), bytes.size());
    return ByteArray(bytes.end() - static_cast<std::ptrdiff_t>(count), bytes.end());
}

int FindBytes(ByteView bytes, ByteView sought, int start)
{
    if (bytes.empty())
        return -1;
    if (sought.empty())
        return 1;
    const std::size_t from = start < 1 ? 0 : static_cast<std::size_t>(start) - 1;
    if (from >= bytes.size())
        return -1;
    const auto found = std::search(bytes.begin() + static_cast<std::ptrdiff_t>(from), bytes.end(),
                                   sought.begin(), sought.end());
    if (found == bytes.end())
        return -1;
    return static_cast<int>(found - bytes.begin()) + 1;
}

ByteArray BlankBytes(int n)
{
    return n <= 0 ? ByteArray() : ByteArray(static_cast<std::size_t>(n), 0);
}

TypedValue ReadTypedValue(ByteView bytes, int type, int position)
{
    // Position 0 and below cannot name a byte: read them as past the end.
    const std::size_t index = position < 1 ? bytes.size() : static_cast<std::size_t>(position) - 1;
    switch (type) {
    case 1: return ValueAt<std::uint8_t>(bytes, index);
    case 2: return ValueAt<std::int16_t>(bytes, index);
    case 3: return ValueAt<std::int32_t>(bytes, index);
    case 4: return ValueAt<std::int64_t>(bytes, index);
    case 5: return ValueAt<float>(bytes, index);
    case 6: return ValueAt<double>(bytes, index);
    case 7: return ValueAt<std::int32_t>(bytes, index) != 0;
    case 8: return DateTime{ValueAt<double>(bytes, index)};
    case 9: return ProcedureAddress{ValueAt<std::uint32_t>(bytes, index)};
    case 10: return index < bytes.size() ? BytesToText(bytes.subspan(index)) : std::string();
    default: RuntimeError("读取数据的类型无效：" + std::to_string(type));
    }
}

} // namespace quillet
