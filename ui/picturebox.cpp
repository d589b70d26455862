#include "picturebox.h"

#include <QtGui/QMouseEvent>

PictureBox::PictureBox(QWidget *parent)
    : QLabel(parent)
{
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
