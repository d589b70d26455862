#pragma once

#include <QtWidgets/QCheckBox>

// A check box that keeps the keyboard of a check box on its own when it belongs to a button
// group. A group member that takes the focus otherwise takes the Tab stop from every other
// member, making the group one stop, and its arrow keys move only among the members; the colour
// scheme and wake-up screen boxes each have their own place in the window's tab order, and the
// arrow keys walk that order.
class ChoiceBox : public QCheckBox
{
    Q_OBJECT
public:
    explicit ChoiceBox(QWidget *parent = nullptr);

protected:
    void focusInEvent(QFocusEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
};
