#include "table/table_file.h"

namespace quillet {

TableFile ReadTableFile(const std::string& path)
{
    const BoundedFileRead read = ReadRegularFile(path, kTableFileLimit);
    if (read.problem != FileReadProblem::None)
        return {{}, read.problem};
    return {DecodeOutsideText(std::string_view(reinterpret_cast<const char*>(read.bytes.data()),
                                               read.bytes.size())),
            FileReadProblem::None};
}

} // namespace quillet
