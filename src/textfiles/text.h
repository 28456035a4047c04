#pragma once
// Text commands.  Texts are UTF-8 byte strings; lengths and positions count
// bytes and positions are 1-based.  A missing text is the empty text.
//
// Replacing steps over whole characters, and ignoring case only ever folds
// ASCII letters, so neither can change or split a Chinese character.

#include <string>
#include <string_view>

namespace quillet {

std::string ToLowerAscii(std::string_view text);

// Removes leading and trailing ASCII spaces and ideographic spaces (U+3000).
std::string TrimBoth(std::string_view text);

// Scans from start, left to right, character by character, and replaces at
// most count non-overlapping occurrences (a negative count means all).
// Without case sensitivity ASCII letters compare without case.  An empty text
// or an empty sought text comes back unchanged.
std::string ReplaceSubstring(std::string_view text, std::string_view sought,
                             std::string_view replacement = "", int start = 1, int count = -1,
                             bool caseSensitive = true);

// Bytes of the character that starts at the 0-based index: a lead byte and
// the continuation bytes that really follow it (1 for ASCII and stray bytes).
std::size_t CharacterLengthAt(std::string_view text, std::size_t index);

} // namespace quillet
