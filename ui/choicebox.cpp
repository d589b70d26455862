#include "choicebox.h"

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
