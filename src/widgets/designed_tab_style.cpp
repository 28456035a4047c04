#include "widgets/designed_tab_style.h"

#include <QStyleOption>
#include <QTabWidget>

namespace quillet {

DesignedTabStyle::DesignedTabStyle() = default;

QRect DesignedTabStyle::subElementRect(SubElement element, const QStyleOption* option,
                                       const QWidget* widget) const
{
    if (element == SE_TabWidgetTabContents && option)
        return option->rect;
    return QProxyStyle::subElementRect(element, option, widget);
}

void UseDesignedPageCoordinates(QTabWidget& tabControl, QObject& owner)
{
    // QWidget::setStyle does not take ownership; a style that died before the
    // tab control would be used during the control's own destruction.
    auto* style = new DesignedTabStyle;
    style->setParent(&owner);
    tabControl.setStyle(style);
}

} // namespace quillet
