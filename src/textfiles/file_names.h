#pragma once
// File and folder names as people read them.  A name on disk is a byte
// string; names that came from Windows archives and old memory cards are
// often GBK.  Paths keep their bytes everywhere a file is opened; only what
// is shown goes through these.

#include <string>
#include <string_view>

namespace quillet {

// A name as it is shown: itself when it is valid UTF-8, otherwise read as
// GB18030 (which covers GBK), like every other text from outside.
std::string DisplayName(std::string_view name);

// A path as it is shown, each component decoded on its own, so that a GBK
// file name in a UTF-8 folder reads right.  '/' is never part of a GBK
// character, so splitting the bytes there is safe.
std::string DisplayPath(std::string_view path);

// The path made absolute against the working folder, with "." and ".."
// resolved by name and runs of "/" made one (no link is looked at); the
// bytes of every name are kept.
std::string AbsolutePath(std::string_view path);

// The bytes under which a path written in UTF-8 exists: the text itself
// when there is such a file, otherwise its GB18030 spelling when that
// exists (a GBK name typed into a UTF-8 table), otherwise the text itself.
std::string ExistingSpelling(const std::string& path);

} // namespace quillet
