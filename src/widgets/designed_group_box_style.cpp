#include "widgets/designed_group_box_style.h"

#include <QGroupBox>
#include <QPainter>
#include <QStyleOption>

namespace quillet {
namespace {

// Where the caption starts, and the gap left in the frame line on either
// side of it.
constexpr int kCaptionIndent = 8;
constexpr int kCaptionGap = 2;

} // namespace

DesignedGroupBoxStyle::DesignedGroupBoxStyle() = default;

QRect DesignedGroupBoxStyle::subControlRect(ComplexControl control,
                                            const QStyleOptionComplex* option,
                                            SubControl subControl, const QWidget* widget) const
{
    const auto* box = qstyleoption_cast<const QStyleOptionGroupBox*>(option);
    if (control != CC_GroupBox || !box)
        return QProxyStyle::subControlRect(control, option, subControl, widget);

    const QRect outer = box->rect;
    const int textHeight = box->fontMetrics.height();
    switch (subControl) {
    case SC_GroupBoxLabel: {
        if (box->text.isEmpty())
            return QRect();
        const int width = box->fontMetrics.horizontalAdvance(box->text) + 2 * kCaptionGap;
        return QRect(outer.left() + kCaptionIndent, outer.top(), width, textHeight);
    }
    case SC_GroupBoxFrame:
        // The top line at half the caption's height, with or without caption,
        // as the designed frames stand.
        return outer.adjusted(0, textHeight / 2, 0, 0);
    case SC_GroupBoxContents: return outer;
    default: return QProxyStyle::subControlRect(control, option, subControl, widget);
    }
}

void DesignedGroupBoxStyle::drawComplexControl(ComplexControl control,
                                               const QStyleOptionComplex* option, QPainter* painter,
                                               const QWidget* widget) const
{
    const auto* box = qstyleoption_cast<const QStyleOptionGroupBox*>(option);
    if (control != CC_GroupBox || !box || (box->subControls & SC_GroupBoxCheckBox)) {
        QProxyStyle::drawComplexControl(control, option, painter, widget);
        return;
    }

    const QRect label = subControlRect(control, option, SC_GroupBoxLabel, widget);
    if (box->subControls & SC_GroupBoxFrame) {
        // Drawn here rather than by the base style, whose group box frame
        // makes room for the caption below its top again.  An etched line,
        // as the designed windows show it.
        const QRect frame =
            subControlRect(control, option, SC_GroupBoxFrame, widget).adjusted(0, 0, -1, -1);
        painter->save();
        // The caption interrupts the frame line.
        QRegion clip(box->rect);
        if (!label.isEmpty())
            clip -= label;
        painter->setClipRegion(clip);
        painter->setBrush(Qt::NoBrush);
        painter->setPen(box->palette.color(QPalette::Mid));
        painter->drawRect(frame.adjusted(0, 0, -1, -1));
        painter->setPen(box->palette.color(QPalette::Light));
        painter->drawRect(frame.adjusted(1, 1, 0, 0));
        painter->restore();
    }
    if ((box->subControls & SC_GroupBoxLabel) && !label.isEmpty()) {
        int alignment = Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextShowMnemonic;
        if (!proxy()->styleHint(SH_UnderlineShortcut, option, widget))
            alignment |= Qt::TextHideMnemonic;
        proxy()->drawItemText(painter, label, alignment, box->palette, box->state & State_Enabled,
                              box->text, QPalette::WindowText);
    }
}

void UseDesignedGroupBoxes(QWidget& window)
{
    // QWidget::setStyle does not take ownership; the window deletes the
    // style after its children, which are destroyed first.
    auto* style = new DesignedGroupBoxStyle;
    style->setParent(&window);
    for (QGroupBox* box : window.findChildren<QGroupBox*>())
        box->setStyle(style);
}

} // namespace quillet
