#include "choicegroup.h"

#include <QtWidgets/QAbstractButton>

#include <algorithm>

ChoiceGroup::ChoiceGroup(QObject *parent)
    : QButtonGroup(parent)
{
    setExclusive(false);
    // idClicked fires for the user's clicks only, never for a box set by code.
    connect(this, &QButtonGroup::idClicked, this, &ChoiceGroup::onIdClicked);
}

void ChoiceGroup::showOnly(int id)
{
    const auto boxes = buttons();
    for (QAbstractButton *box : boxes)
        box->setChecked(this->id(box) == id);
}

void ChoiceGroup::onIdClicked(int id)
{
    QAbstractButton *clicked = button(id);
    if (!clicked->isChecked()) {
        const auto boxes = buttons();
        if (std::any_of(boxes.begin(), boxes.end(),
                        [](const QAbstractButton *box) { return box->isChecked(); }))
            return;
        clicked->setChecked(true);
    }
    showOnly(id);
    emit chosen(id);
}
