#pragma once
// The designed windows were laid out for the Windows window font, 9-point
// 宋体.  Drawn with the desktop's font, or beside the style's wide arrow
// button, texts are cut in the narrow boxes (a 48-pixel list shows "左对"
// of "左对齐").

#include <QFont>
#include <QProxyStyle>

class QWidget;

namespace quillet {

// 9-point 宋体 as the design measured it: 12 pixels at 96 dpi, whatever dpi
// the screen reports (Qt scales pixels on dense screens).
QFont DesignedWindowFont();

// Drop-down lists whose text field runs from the frame to the arrow button,
// and whose arrow button narrows where the longest item needs the room.
class DesignedComboBoxStyle : public QProxyStyle {
public:
    DesignedComboBoxStyle();

    QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option,
                         SubControl subControl, const QWidget* widget) const override;
};

// Gives the window the designed font and its drop-down lists the designed
// text room; positions and sizes stay as designed.  The style belongs to
// the window, which outlives its lists.
void UseDesignedLook(QWidget& window);

} // namespace quillet
