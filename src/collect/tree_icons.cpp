#include "collect/tree_icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <array>

namespace quillet {
namespace {

constexpr int iconSize = 16;

// A drive: a flat box with a status light; the colour tells the kind.
void DrawDriveBox(QPainter& painter, const QColor& body)
{
    painter.setPen(QColor(60, 60, 60));
    painter.setBrush(body);
    painter.drawRoundedRect(QRectF(1.5, 5.5, 13, 6), 1.5, 1.5);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(40, 200, 60));
    painter.drawRect(QRectF(11, 9, 2, 1.5));
}

void DrawDesktop(QPainter& painter)
{
    painter.setPen(QColor(40, 40, 40));
    painter.setBrush(QColor(70, 130, 210));
    painter.drawRect(QRectF(1.5, 2.5, 13, 9));
    painter.setBrush(QColor(90, 90, 90));
    painter.drawRect(QRectF(6.5, 11.5, 3, 2));
    painter.drawRect(QRectF(4.5, 13.5, 7, 1));
}

void DrawDocuments(QPainter& painter)
{
    painter.setPen(QColor(60, 60, 60));
    painter.setBrush(QColor(250, 250, 240));
    QPainterPath page;
    page.moveTo(3.5, 1.5);
    page.lineTo(10.5, 1.5);
    page.lineTo(12.5, 3.5);
    page.lineTo(12.5, 14.5);
    page.lineTo(3.5, 14.5);
    page.closeSubpath();
    painter.drawPath(page);
    painter.setPen(QColor(120, 140, 200));
    for (int y = 5; y <= 12; y += 2)
        painter.drawLine(QPointF(5, y + 0.5), QPointF(11, y + 0.5));
}

void DrawRemovable(QPainter& painter)
{
    painter.setPen(QColor(60, 60, 60));
    painter.setBrush(QColor(200, 200, 205));
    painter.drawRect(QRectF(5.5, 1.5, 5, 4));
    painter.setBrush(QColor(50, 90, 170));
    painter.drawRoundedRect(QRectF(3.5, 5.5, 9, 9), 1.5, 1.5);
}

void DrawCdRom(QPainter& painter)
{
    painter.setPen(QColor(90, 90, 110));
    QRadialGradient shine(QPointF(6, 6), 9);
    shine.setColorAt(0, QColor(240, 240, 255));
    shine.setColorAt(1, QColor(170, 180, 210));
    painter.setBrush(shine);
    painter.drawEllipse(QRectF(1.5, 1.5, 13, 13));
    painter.setBrush(Qt::white);
    painter.drawEllipse(QRectF(6, 6, 4, 4));
}

void DrawFolder(QPainter& painter)
{
    painter.setPen(QColor(150, 110, 20));
    painter.setBrush(QColor(240, 200, 80));
    QPainterPath folder;
    folder.moveTo(1.5, 3.5);
    folder.lineTo(6.5, 3.5);
    folder.lineTo(8, 5);
    folder.lineTo(14.5, 5);
    folder.lineTo(14.5, 13.5);
    folder.lineTo(1.5, 13.5);
    folder.closeSubpath();
    painter.drawPath(folder);
    painter.setBrush(QColor(250, 220, 120));
    painter.drawRect(QRectF(1.5, 6.5, 13, 7));
}

void DrawNetwork(QPainter& painter)
{
    DrawDriveBox(painter, QColor(190, 190, 190));
    painter.setPen(QPen(QColor(40, 90, 180), 1.5));
    painter.drawLine(QPointF(8, 11.5), QPointF(8, 15));
    painter.drawLine(QPointF(3, 15), QPointF(13, 15));
}

void DrawOther(QPainter& painter)
{
    DrawDriveBox(painter, QColor(150, 150, 150));
    painter.setPen(QColor(255, 255, 255));
    QFont font = painter.font();
    font.setPixelSize(6);
    painter.setFont(font);
    painter.drawText(QRectF(2, 5, 9, 7), Qt::AlignCenter, QStringLiteral("?"));
}

QPixmap Draw(int imageIndex)
{
    QPixmap pixmap(iconSize, iconSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    switch (imageIndex) {
    case kDesktopImage: DrawDesktop(painter); break;
    case kDocumentsImage: DrawDocuments(painter); break;
    case kRemovableDriveImage: DrawRemovable(painter); break;
    case kFixedDiskImage: DrawDriveBox(painter, QColor(210, 210, 215)); break;
    case kCdRomImage: DrawCdRom(painter); break;
    case kFolderImage: DrawFolder(painter); break;
    case kNetworkDriveImage: DrawNetwork(painter); break;
    default: DrawOther(painter); break;
    }
    return pixmap;
}

// The icon theme's name for each picture, in the tree's image order.  An
// unknown kind of volume keeps its own drawing with the question mark: no
// theme icon says "some drive, kind unknown".
constexpr std::array<const char*, treeImageCount> themeNames = {
    "user-desktop",  "folder-documents", "drive-removable-media", "drive-harddisk",
    "media-optical", "folder",           "folder-remote",         nullptr,
};

} // namespace

QIcon TreeIcon(int imageIndex)
{
    if (imageIndex < 0 || imageIndex >= treeImageCount)
        return {};
    // Not cached in a static: pixmaps must not outlive the application.
    QIcon drawn(Draw(imageIndex));
    const char* themeName = themeNames[static_cast<std::size_t>(imageIndex)];
    return themeName ? QIcon::fromTheme(QString::fromLatin1(themeName), drawn) : drawn;
}

} // namespace quillet
