#pragma once
// The titles by which the result list's picture columns are known: the folder
// search writes them, the table import, the print driver and the command's
// table files find the columns by them.

#include <string_view>

namespace quillet {

inline constexpr std::string_view kPathColumnTitle = "图片名全称";
inline constexpr std::string_view kCategoryColumnTitle = "图片类别";
inline constexpr std::string_view kCaptionColumnTitle = "图片说明";

} // namespace quillet
