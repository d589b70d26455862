#include "picturebox.h"

#include "accessiblerole.h"

#include <QtGui/QMouseEvent>

PictureBox::PictureBox(QWidget *parent)
    : QLabel(parent)
{
    // Every picture is an image to a screen reader, also one made of words on a colour, which a
    // label's own description would read as text.
    announceToScreenReadersAs<PictureBox, QAccessible::Graphic>();
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
