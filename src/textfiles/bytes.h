#pragma once
// Byte arrays: encoded pictures, page files and file contents.

#include <cstdint>
#include <span>
#include <vector>

namespace quillet {

using ByteArray = std::vector<std::uint8_t>;
using ByteView = std::span<const std::uint8_t>;

} // namespace quillet
