#include "widgets/message_box_style.h"

#include <algorithm>

namespace quillet {

int ToSystemResult(int result)
{
    return result + 1;
}

MessageBoxLayout DescribeMessageBox(int style)
{
    MessageBoxLayout layout;
    switch (style & 0x0F) {
    case kMessageBoxOkCancel: layout.buttons = {kResultOk, kResultCancel}; break;
    case kMessageBoxAbortRetryIgnore:
        layout.buttons = {kResultAbort, kResultRetry, kResultIgnore};
        break;
    case kMessageBoxYesNoCancel: layout.buttons = {kResultYes, kResultNo, kResultCancel}; break;
    case kMessageBoxYesNo: layout.buttons = {kResultYes, kResultNo}; break;
    case kMessageBoxRetryCancel: layout.buttons = {kResultRetry, kResultCancel}; break;
    default: layout.buttons = {kResultOk}; break;
    }

    std::size_t defaultIndex = 0;
    if ((style & 0xF00) == kMessageBoxDefaultButton2)
        defaultIndex = 1;
    else if ((style & 0xF00) == kMessageBoxDefaultButton3)
        defaultIndex = 2;
    if (defaultIndex >= layout.buttons.size())
        defaultIndex = 0;
    layout.defaultButton = layout.buttons[defaultIndex];

    if (std::ranges::find(layout.buttons, kResultCancel) != layout.buttons.end())
        layout.escapeResult = kResultCancel;
    else if (layout.buttons.size() == 1)
        layout.escapeResult = kResultOk;

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

std::string ButtonCaption(int result)
{
    switch (result) {
    case kResultOk: return "确定";
    case kResultCancel: return "取消";
    case kResultAbort: return "中止";
    case kResultRetry: return "重试";
    case kResultIgnore: return "忽略";
    case kResultYes: return "是";
    case kResultNo: return "否";
    default: return {};
    }
}

} // namespace quillet
