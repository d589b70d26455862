#include "picturebox.h"

#include <QtGui/QMouseEvent>
#include <QtWidgets/QAccessibleWidget>

namespace {

// Every picture is an image to a screen reader, also one made of words on a colour, which a
// label's own description would read as text.
QAccessibleInterface *pictureAccessible(const QString &className, QObject *object)
{
    if (className != QLatin1String("PictureBox") || !object || !object->isWidgetType())
        return nullptr;
    return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::Graphic);
}

} // namespace

PictureBox::PictureBox(QWidget *parent)
    : QLabel(parent)
{
    static const bool described = (QAccessible::installFactory(pictureAccessible), true);
    Q_UNUSED(described);
    setScaledContents(true);
}

void PictureBox::mousePressEvent(QMouseEvent *event)
{
    // Accept the press so that the release comes to us, not to the group box behind.
    event->accept();
}

void PictureBox::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
    // A press dragged off the picture before release is not a click.
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}
