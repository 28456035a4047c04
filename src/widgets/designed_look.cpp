#include "widgets/designed_look.h"

#include <QComboBox>
#include <QStyleOptionComboBox>
#include <QWidget>

namespace quillet {
namespace {

// The list's sunken frame and the gap between it and the text.
constexpr int kFieldInset = 2;

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
    if (control != CC_ComboBox || subControl != SC_ComboBoxEditField || !list || list->editable)
        return QProxyStyle::subControlRect(control, option, subControl, widget);
    const QRect arrow = QProxyStyle::subControlRect(control, option, SC_ComboBoxArrow, widget);
    QRect field = list->rect.adjusted(kFieldInset, kFieldInset, -kFieldInset, -kFieldInset);
    if (list->direction == Qt::RightToLeft)
        field.setLeft(arrow.right() + 1);
    else
        field.setRight(arrow.left() - 1);
    return field;
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
