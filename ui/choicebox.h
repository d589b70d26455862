#pragma once

#include <QtWidgets/QCheckBox>

// A check box that keeps a tab stop of its own when it belongs to a button group. A group
// member that takes the focus otherwise takes the Tab stop from every other member, making
// the group one stop; the colour scheme and wake-up screen boxes each have their own place
// in the window's tab order.
class ChoiceBox : public QCheckBox
{
    Q_OBJECT
public:
    explicit ChoiceBox(QWidget *parent = nullptr);

protected:
    void focusInEvent(QFocusEvent *event) override;
};
