#pragma once
// The designed windows give a group box's children coordinates from the box's
// outer corner and expect the frame line to run through the middle of the
// caption, which sits on the line near the left end.  Qt's styles draw the
// frame below the caption instead, so the top row of controls of a designed
// box would cross the frame line.  This style draws the frame and caption
// the designed way; the children's coordinates need no change, since a box
// without a layout places them from its outer corner anyway.

#include <QProxyStyle>

class QWidget;

namespace quillet {

class DesignedGroupBoxStyle : public QProxyStyle {
public:
    DesignedGroupBoxStyle();

    QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option,
                         SubControl subControl, const QWidget* widget) const override;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                            QPainter* painter, const QWidget* widget) const override;
};

// Gives every group box inside the window the designed frame.  The style
// belongs to the window, which outlives its group boxes.
void UseDesignedGroupBoxes(QWidget& window);

} // namespace quillet
