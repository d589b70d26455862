#include "choicebox.h"

#include <QtGui/QKeyEvent>
#include <QtWidgets/QButtonGroup>

ChoiceBox::ChoiceBox(QWidget *parent)
    : QCheckBox(parent)
{ }

void ChoiceBox::focusInEvent(QFocusEvent *event)
{
    QCheckBox::focusInEvent(event);
    QButtonGroup *choice = group();
    if (!choice)
        return;
    const auto boxes = choice->buttons();
    for (QAbstractButton *box : boxes)
        box->setFocusPolicy(Qt::StrongFocus);
}

void ChoiceBox::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Left:
        focusNextPrevChild(false);
        return;
    case Qt::Key_Down:
    case Qt::Key_Right:
        focusNextPrevChild(true);
        return;
    default:
        QCheckBox::keyPressEvent(event);
    }
}
