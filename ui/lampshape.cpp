#include "lampshape.h"

#include "colours.h"

#include <QtGui/QPainter>

LampShape::LampShape(QWidget *parent)
    : QWidget(parent)
{ }

void LampShape::setFillColour(int bgr)
{
    if (bgr == m_fillColour)
        return;
    m_fillColour = bgr;
    update();
}

void LampShape::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(colourFromBgr(m_fillColour));
    painter.drawEllipse(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
}
