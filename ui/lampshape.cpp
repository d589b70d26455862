#include "lampshape.h"

#include "accessiblerole.h"

#include <QtGui/QPainter>

LampShape::LampShape(QWidget *parent)
    : QWidget(parent)
{
    // To a screen reader the lamp is a status indicator, read out with its name, which says the
    // link's state and changes with it.
    announceToScreenReadersAs<LampShape, QAccessible::StatusBar>();
}

void LampShape::setFillColour(const QColor &colour)
{
    if (colour == m_fillColour)
        return;
    m_fillColour = colour;
    update();
}

void LampShape::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(m_fillColour);
    painter.drawEllipse(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
}
