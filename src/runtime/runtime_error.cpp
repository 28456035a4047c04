#include "runtime/runtime_error.h"

#include "runtime/dialogs.h"
#include "runtime/message_box_style.h"
#include "runtime/window.h"

namespace quillet {

std::string RuntimeErrorText(std::string_view message, std::optional<int> code)
{
    std::string text = "运行时出错!\r\n\r\n";
    if (code)
        text += "错误代码：" + std::to_string(*code) + "\r\n\r\n";
    if (!message.empty())
        text += "错误信息：" + std::string(message) + "\r\n";
    return text;
}

void RuntimeError(std::string_view message, std::optional<int> code)
{
    // An event handler that runs while the error box is open may fail too;
    // the program is ending anyway, so the second error ends it at once.
    static bool reporting = false;
    if (!reporting) {
        reporting = true;
        MessageBox(RuntimeErrorText(message, code), kMessageBoxIconStop);
    }
    EndProgram(-1);
}

} // namespace quillet
