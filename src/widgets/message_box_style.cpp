#include "widgets/message_box_style.h"

#include <algorithm>

namespace quillet {

int SystemAnswerNumber(MessageBoxAnswer answer)
{
    return static_cast<int>(answer) + 1;
}

MessageBoxLayout DescribeMessageBox(int style)
{
    MessageBoxLayout layout;
    switch (style & 0x0F) {
    case kMessageBoxOkCancel:
        layout.buttons = {MessageBoxAnswer::Ok, MessageBoxAnswer::Cancel};
        break;
    case kMessageBoxAbortRetryIgnore:
        layout.buttons = {MessageBoxAnswer::Abort, MessageBoxAnswer::Retry,
                          MessageBoxAnswer::Ignore};
        break;
    case kMessageBoxYesNoCancel:
        layout.buttons = {MessageBoxAnswer::Yes, MessageBoxAnswer::No, MessageBoxAnswer::Cancel};
        break;
    case kMessageBoxYesNo: layout.buttons = {MessageBoxAnswer::Yes, MessageBoxAnswer::No}; break;
    case kMessageBoxRetryCancel:
        layout.buttons = {MessageBoxAnswer::Retry, MessageBoxAnswer::Cancel};
        break;
    default: layout.buttons = {MessageBoxAnswer::Ok}; break;
    }

    std::size_t defaultIndex = 0;
    if ((style & 0xF00) == kMessageBoxDefaultButton2)
        defaultIndex = 1;
    else if ((style & 0xF00) == kMessageBoxDefaultButton3)
        defaultIndex = 2;
    if (defaultIndex >= layout.buttons.size())
        defaultIndex = 0;
    layout.defaultButton = layout.buttons[defaultIndex];

    if (std::ranges::find(layout.buttons, MessageBoxAnswer::Cancel) != layout.buttons.end())
        layout.escapeResult = MessageBoxAnswer::Cancel;
    else if (layout.buttons.size() == 1)
        layout.escapeResult = MessageBoxAnswer::Ok;

    switch (style & 0xF0) {
    case kMessageBoxIconStop: layout.icon = MessageBoxIcon::Stop; break;
    case kMessageBoxIconQuestion: layout.icon = MessageBoxIcon::Question; break;
    case kMessageBoxIconExclamation: layout.icon = MessageBoxIcon::Exclamation; break;
    case kMessageBoxIconInformation: layout.icon = MessageBoxIcon::Information; break;
    default: layout.icon = MessageBoxIcon::None; break;
    }
    layout.systemModal = (style & kMessageBoxSystemModal) != 0;
    return layout;
}

std::string ButtonCaption(MessageBoxAnswer answer)
{
    switch (answer) {
    case MessageBoxAnswer::Ok: return "确定";
    case MessageBoxAnswer::Cancel: return "取消";
    case MessageBoxAnswer::Abort: return "中止";
    case MessageBoxAnswer::Retry: return "重试";
    case MessageBoxAnswer::Ignore: return "忽略";
    case MessageBoxAnswer::Yes: return "是";
    case MessageBoxAnswer::No: return "否";
    }
    return {};
}

} // namespace quillet
