#pragma once
// What the main window's status bar says, read from its label as the user
// sees it.

#include <QLabel>
#include <QString>
#include <QWidget>

namespace quillet::testing {

inline QString StatusBarText(const QWidget& window)
{
    const auto* label = window.findChild<QLabel*>(QStringLiteral("状态条1_文本"));
    return label ? label->text() : QString();
}

} // namespace quillet::testing
