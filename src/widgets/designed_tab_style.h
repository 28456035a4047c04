#pragma once
// The designed windows place the controls of a tab page relative to the tab
// control's own top-left corner, tab strip included (a page's first control
// sits below the strip, its last ones reach the control's bottom edge).  A
// QTabWidget puts its pages below the strip, which would push those controls
// out of sight.  This style lets the pages cover the whole tab control; the
// tab strip stays above them and the pane frame is drawn as usual.

#include <QProxyStyle>

class QTabWidget;

namespace quillet {

class DesignedTabStyle : public QProxyStyle {
public:
    DesignedTabStyle();

    QRect subElementRect(SubElement element, const QStyleOption* option,
                         const QWidget* widget) const override;
};

// Gives the tab control the designed page coordinates.  The style belongs to
// `owner`, which must outlive the tab control (its window, created before it
// or made its parent afterwards).
void UseDesignedPageCoordinates(QTabWidget& tabControl, QObject& owner);

} // namespace quillet
