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

// Results of MessageBox.
inline constexpr int kResultOk = 0;
inline constexpr int kResultCancel = 1;
inline constexpr int kResultAbort = 2;
inline constexpr int kResultRetry = 3;
inline constexpr int kResultIgnore = 4;
inline constexpr int kResultYes = 5;
inline constexpr int kResultNo = 6;

// The timed box answers as the system's message box does (OK 1, Cancel 2,
// Abort 3, Retry 4, Ignore 5, Yes 6, No 7), and 32000 when its time ran out.
inline constexpr int kTimedOut = 32000;
int ToSystemResult(int result);

enum class MessageBoxIcon { None, Stop, Question, Exclamation, Information };

struct MessageBoxLayout {
    std::vector<int> buttons; // results, in the order shown
    int defaultButton = kResultOk; // a result out of buttons
    std::optional<int> escapeResult; // what Esc answers; none when Esc does nothing
    MessageBoxIcon icon = MessageBoxIcon::None;
    bool systemModal = false;
};

// Unknown button groups show OK alone; a default button beyond the buttons
// falls back to the first one.
MessageBoxLayout DescribeMessageBox(int style);

// The caption of the button that gives the result: "确定", "取消", ...
std::string ButtonCaption(int result);

} // namespace quillet
