#pragma once
// Text commands.  Texts are UTF-8 byte strings; lengths and positions count
// bytes and positions are 1-based.  A missing text is the empty text.
//
// Byte positions can land inside a multi-byte character: left, right and
// middle part then cut through it, as plain byte slices (callers compute
// their positions from the find commands, which never do).  Replacing steps
// over whole characters, and ignoring case only ever folds ASCII letters, so
// neither can change or split a Chinese character.

#include <optional>
#include <string>
#include <string_view>

namespace quillet {

int TextLength(std::string_view text);

// The first (last) min(n, length) bytes; empty when n <= 0.
std::string LeftPart(std::string_view text, int n);
std::string RightPart(std::string_view text, int n);

// n bytes from the 1-based start, cut at the end of the text; empty when the
// start lies outside the text or n <= 0.
std::string MiddlePart(std::string_view text, int start, int n);

// 1-based position of the first occurrence at or after start, -1 when none.
// An empty sought text is found at 1 in any non-empty text.
int FindText(std::string_view text, std::string_view sought, int start = 1,
             bool ignoreCase = false);

// 1-based position of the last occurrence, -1 when none.  With an end
// position, the occurrence must lie wholly in the bytes before it.  An empty
// sought text is found at 1 in any non-empty text, as for FindText.
int FindTextFromEnd(std::string_view text, std::string_view sought, std::optional<int> end = {},
                    bool ignoreCase = false);

// ASCII letters only; every other byte is kept.
std::string ToUpperAscii(std::string_view text);
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

// n ASCII spaces; empty when n < 1.
std::string Spaces(int n);

// The one-byte text of the code's low byte.  Texts end at a zero byte, so the
// code 0 gives the empty text.
std::string Character(int code);

// The byte (0..255) at the 1-based position; 0 outside the text.
int CharacterCode(std::string_view text, int position = 1);

// Bytes of the character that starts at the 0-based index: a lead byte and
// the continuation bytes that really follow it (1 for ASCII and stray bytes).
std::size_t CharacterLengthAt(std::string_view text, std::size_t index);

} // namespace quillet
