#pragma once
// The runtime error: the one failure that stops the program.  It shows the
// error box (through the dialog seam) and ends the program with exit code -1.

#include <optional>
#include <string>
#include <string_view>

namespace quillet {

// "运行时出错!\r\n\r\n", then "错误代码：<code>\r\n\r\n" when a code is given,
// then "错误信息：<message>\r\n" when the message is not empty.
std::string RuntimeErrorText(std::string_view message, std::optional<int> code = {});

// Shows RuntimeErrorText in a message box and ends the program through
// EndProgram(-1), so the registered exit procedure still runs.
[[noreturn]] void RuntimeError(std::string_view message, std::optional<int> code = {});

} // namespace quillet
