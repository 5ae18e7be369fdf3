#include "appicon.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>

namespace platform {

QImage drawAppIcon(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);
    // The sheet.
    QPainterPath sheet;
    sheet.moveTo(12, 4);
    sheet.lineTo(44, 4);
    sheet.lineTo(54, 14);
    sheet.lineTo(54, 60);
    sheet.lineTo(12, 60);
    sheet.closeSubpath();
    p.setPen(QPen(QColor(40, 70, 100), 2));
    p.setBrush(QColor(250, 250, 244));
    p.drawPath(sheet);
    p.setBrush(QColor(200, 214, 228));
    p.drawPolygon(QPolygonF { QPointF(44, 4), QPointF(44, 14), QPointF(54, 14) });
    // Form lines.
    p.setPen(QPen(QColor(141, 180, 207), 3, Qt::SolidLine, Qt::RoundCap));
    for (int y : { 18, 25, 32 })
        p.drawLine(QPointF(18, y), QPointF(48, y));
    // The plate strip.
    p.setPen(QPen(QColor(20, 20, 20), 1.5));
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(8, 40, 50, 14), 2, 2);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 56, 168));
    p.drawRect(QRectF(9, 41, 6, 12));
    p.setPen(QColor(20, 20, 20));
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setBold(true);
    font.setPixelSize(9);
    p.setFont(font);
    p.drawText(QRectF(16, 40, 42, 14), Qt::AlignCenter, QStringLiteral("34 EK 1"));
    return image;
}

QIcon appIcon()
{
    QIcon icon;
    for (int size : { 16, 24, 32, 48, 64, 128, 256 })
        icon.addPixmap(QPixmap::fromImage(drawAppIcon(size)));
    return icon;
}

} // namespace platform
