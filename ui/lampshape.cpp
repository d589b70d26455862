#include "lampshape.h"

#include <QtGui/QPainter>
#include <QtWidgets/QAccessibleWidget>

namespace {

// To a screen reader the lamp is a status indicator, read out with its name, which says the
// link's state and changes with it.
QAccessibleInterface *lampAccessible(const QString &className, QObject *object)
{
    if (className != QLatin1String("LampShape") || !object || !object->isWidgetType())
        return nullptr;
    return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::StatusBar);
}

} // namespace

LampShape::LampShape(QWidget *parent)
    : QWidget(parent)
{
    static const bool described = (QAccessible::installFactory(lampAccessible), true);
    Q_UNUSED(described);
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
