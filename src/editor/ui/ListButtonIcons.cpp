#include "editor/ui/ListButtonIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace velmora {

namespace {

QPixmap draw(ListButtonIcons::Picture picture, int size, bool enabled)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 16.0, size / 16.0);
    const QColor green = enabled ? QColor(0x3a, 0xa1, 0x5a) : QColor(0xa8, 0xa8, 0xa8);
    const QColor red = enabled ? QColor(0xc8, 0x3c, 0x32) : QColor(0xa8, 0xa8, 0xa8);
    const QColor blue = enabled ? QColor(0x3d, 0x6f, 0xb6) : QColor(0xa8, 0xa8, 0xa8);
    const QColor dark = enabled ? QColor(0x44, 0x44, 0x44) : QColor(0xb8, 0xb8, 0xb8);
    switch (picture) {
    case ListButtonIcons::Picture::Add:
        p.setPen(QPen(green, 2.6, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(8, 2.5), QPointF(8, 13.5));
        p.drawLine(QPointF(2.5, 8), QPointF(13.5, 8));
        break;
    case ListButtonIcons::Picture::Remove:
        p.setPen(QPen(red, 2.6, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(2.5, 8), QPointF(13.5, 8));
        break;
    case ListButtonIcons::Picture::Edit: {
        // A pencil lying from the lower left to the upper right.
        QPainterPath pencil;
        pencil.moveTo(2, 14);
        pencil.lineTo(3, 10.5);
        pencil.lineTo(11, 2.5);
        pencil.lineTo(13.5, 5);
        pencil.lineTo(5.5, 13);
        pencil.closeSubpath();
        p.setPen(QPen(dark, 1.0));
        p.setBrush(blue);
        p.drawPath(pencil);
        p.drawLine(QPointF(3, 10.5), QPointF(5.5, 13));
        break;
    }
    case ListButtonIcons::Picture::Up:
    case ListButtonIcons::Picture::Down: {
        QPainterPath arrow;
        arrow.moveTo(8, 2.5);
        arrow.lineTo(14, 9);
        arrow.lineTo(10.2, 9);
        arrow.lineTo(10.2, 13.5);
        arrow.lineTo(5.8, 13.5);
        arrow.lineTo(5.8, 9);
        arrow.lineTo(2, 9);
        arrow.closeSubpath();
        if (picture == ListButtonIcons::Picture::Down) {
            p.translate(0, 16);
            p.scale(1, -1);
        }
        p.setPen(Qt::NoPen);
        p.setBrush(blue);
        p.drawPath(arrow);
        break;
    }
    }
    return pixmap;
}

} // namespace

QIcon ListButtonIcons::icon(Picture picture)
{
    QIcon icon;
    for (int size : {16, 24, 32}) {
        icon.addPixmap(draw(picture, size, true), QIcon::Normal);
        icon.addPixmap(draw(picture, size, false), QIcon::Disabled);
    }
    return icon;
}

} // namespace velmora
