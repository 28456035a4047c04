#pragma once
// Byte arrays: a length and that many bytes (encoded pictures, BMP pages,
// file contents).

#include <cstdint>
#include <vector>

namespace quillet {

using ByteArray = std::vector<std::uint8_t>;

} // namespace quillet
