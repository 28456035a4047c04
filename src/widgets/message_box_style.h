#pragma once
// Message box style bits and results, and what a style means for the box:
// which buttons in which order, which is the default, which icon.

#include <optional>
#include <string>
#include <vector>

namespace quillet {

// Button groups (the low four bits).
inline constexpr int kMessageBoxOk = 0;
inline constexpr int kMessageBoxOkCancel = 1;
inline constexpr int kMessageBoxAbortRetryIgnore = 2;
inline constexpr int kMessageBoxYesNoCancel = 3;
inline constexpr int kMessageBoxYesNo = 4;
inline constexpr int kMessageBoxRetryCancel = 5;
// Icons.
inline constexpr int kMessageBoxIconStop = 0x10;
inline constexpr int kMessageBoxIconQuestion = 0x20;
inline constexpr int kMessageBoxIconExclamation = 0x30;
inline constexpr int kMessageBoxIconInformation = 0x40;
// The second or third button is the default one instead of the first.
inline constexpr int kMessageBoxDefaultButton2 = 0x100;
inline constexpr int kMessageBoxDefaultButton3 = 0x200;
// Above every other window instead of only the program's.
inline constexpr int kMessageBoxSystemModal = 0x1000;

// The button a message box was answered with.  The runtime numbers them
// from OK 0 in this order.
enum class MessageBoxAnswer { Ok, Cancel, Abort, Retry, Ignore, Yes, No };

// The system's timed box numbers the same answers from OK 1 (Cancel 2,
// Abort 3, Retry 4, Ignore 5, Yes 6, No 7) and says 32000 when its time ran
// out.
inline constexpr int kTimedOut = 32000;
int SystemAnswerNumber(MessageBoxAnswer answer);

enum class MessageBoxIcon { None, Stop, Question, Exclamation, Information };

struct MessageBoxLayout {
    std::vector<MessageBoxAnswer> buttons; // in the order shown
    MessageBoxAnswer defaultButton = MessageBoxAnswer::Ok; // one out of buttons
    std::optional<MessageBoxAnswer> escapeResult; // what Esc answers; none when Esc does nothing
    MessageBoxIcon icon = MessageBoxIcon::None;
    bool systemModal = false;
};

// Unknown button groups show OK alone; a default button beyond the buttons
// falls back to the first one.
MessageBoxLayout DescribeMessageBox(int style);

// The caption of the button that gives the answer: "确定", "取消", ...
std::string ButtonCaption(MessageBoxAnswer answer);

} // namespace quillet
