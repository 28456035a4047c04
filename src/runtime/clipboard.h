#pragma once
// The clipboard's plain text.

#include <string>
#include <string_view>

namespace quillet {

// The clipboard's plain text, or the empty text when it holds none.
std::string GetClipboardText();

// Replaces the clipboard's content with the text (up to a zero byte, where
// texts end); false when there is no clipboard to write to.
bool SetClipboardText(std::string_view text);

} // namespace quillet
