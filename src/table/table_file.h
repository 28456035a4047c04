#pragma once
// A table read from a file (a `Vistrel` text list, a `--table` file): its
// text in the encoding it was written in, or why it could not be read.

#include "textfiles/files.h"
#include "textfiles/text_encoding.h"

#include <cstddef>
#include <string>

namespace quillet {

// Far beyond any list of pictures, and small enough to hold in memory.
inline constexpr int kTableFileLimitMegabytes = 64;
inline constexpr std::size_t kTableFileLimit = std::size_t{kTableFileLimitMegabytes} << 20;

struct TableFile {
    OutsideText text;
    FileReadProblem problem = FileReadProblem::None;
};

// Only a regular file of at most kTableFileLimit bytes is read.
TableFile ReadTableFile(const std::string& path);

} // namespace quillet
