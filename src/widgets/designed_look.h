#pragma once
// The designed windows were laid out for the Windows window font, 9-point
// 宋体, and the Windows drop-down list, whose text runs up to its arrow
// button.  Drawn with the desktop's font or Qt's wider list margins, texts
// are cut in the narrow boxes (a 48-pixel list shows "居" of "居中").

#include <QFont>
#include <QProxyStyle>

class QWidget;

namespace quillet {

// 9-point 宋体 as the design measured it: 12 pixels at 96 dpi, whatever dpi
// the screen reports (Qt scales pixels on dense screens).
QFont DesignedWindowFont();

// Drop-down lists whose text field reaches the arrow button, as the
// designed lists have it.
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
