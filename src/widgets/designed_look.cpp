#include "widgets/designed_look.h"

#include <QComboBox>
#include <QStyleOptionComboBox>
#include <QWidget>

#include <algorithm>

namespace quillet {
namespace {

// The list's frame: the text starts right inside it.
constexpr int kFrame = 1;
// The narrowest arrow button that still shows its arrow.
constexpr int kNarrowestArrow = 8;
// The label is drawn one pixel inside the text field on either side.
constexpr int kLabelPadding = 2;

struct ListParts {
    QRect field;
    QRect arrow;
};

int WidestItem(const QComboBox& list)
{
    const QFontMetrics metrics = list.fontMetrics();
    int widest = 0;
    for (int i = 0; i < list.count(); ++i)
        widest = std::max(widest, metrics.horizontalAdvance(list.itemText(i)));
    return widest;
}

// The style's arrow button keeps its width where the longest item fits
// beside it; in the narrow designed lists ("左对齐" in 48 pixels) the
// button gives up what the text needs, down to a button that still shows
// its arrow.
ListParts SplitList(const QStyleOptionComboBox& option, const QRect& styleArrow,
                    const QComboBox* list)
{
    const QRect inside = option.rect.adjusted(kFrame, kFrame, -kFrame, -kFrame);
    int arrowWidth = styleArrow.width();
    if (list) {
        const int spare = inside.width() - WidestItem(*list) - kLabelPadding;
        arrowWidth = std::clamp(spare, kNarrowestArrow, std::max(kNarrowestArrow, arrowWidth));
    }
    QRect arrow(0, option.rect.top(), arrowWidth, option.rect.height());
    QRect field = inside;
    if (option.direction == Qt::RightToLeft) {
        arrow.moveLeft(inside.left());
        field.setLeft(arrow.right() + 1);
    } else {
        arrow.moveRight(inside.right());
        field.setRight(arrow.left() - 1);
    }
    return {field, arrow};
}

} // namespace

QFont DesignedWindowFont()
{
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(12);
    return font;
}

DesignedComboBoxStyle::DesignedComboBoxStyle() = default;

QRect DesignedComboBoxStyle::subControlRect(ComplexControl control,
                                            const QStyleOptionComplex* option,
                                            SubControl subControl, const QWidget* widget) const
{
    const auto* list = qstyleoption_cast<const QStyleOptionComboBox*>(option);
    if (control != CC_ComboBox || !list || list->editable
        || (subControl != SC_ComboBoxEditField && subControl != SC_ComboBoxArrow))
        return QProxyStyle::subControlRect(control, option, subControl, widget);
    const QRect styleArrow = QProxyStyle::subControlRect(control, option, SC_ComboBoxArrow, widget);
    const ListParts parts = SplitList(*list, styleArrow, qobject_cast<const QComboBox*>(widget));
    return subControl == SC_ComboBoxArrow ? parts.arrow : parts.field;
}

void UseDesignedLook(QWidget& window)
{
    window.setFont(DesignedWindowFont());
    // QWidget::setStyle does not take ownership; the window deletes the
    // style after its children, which are destroyed first.
    auto* style = new DesignedComboBoxStyle;
    style->setParent(&window);
    for (QComboBox* list : window.findChildren<QComboBox*>())
        list->setStyle(style);
}

} // namespace quillet
