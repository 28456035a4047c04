#pragma once
// The clipboard's plain text.

#include "textfiles/text_encoding.h"

#include <optional>
#include <string>
#include <string_view>

namespace quillet {

// The clipboard's plain text, or nothing when it holds no text at all.  The
// raw `text/plain` bytes are decoded in the encoding they were written in
// (runtime/text_encoding.h), because other programs put GBK there too; the
// text ends at a zero character.
std::optional<OutsideText> ReadClipboardText();

// Replaces the clipboard's content with the text (up to a zero byte, where
// texts end); false when there is no clipboard to write to.
bool SetClipboardText(std::string_view text);

} // namespace quillet
