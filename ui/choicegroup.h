#pragma once

#include <QtWidgets/QButtonGroup>

// Check boxes that act as one choice among several: after a click the clicked box is the only
// one checked. Unlike an exclusive group, a click on the checked box clears it; with no other
// box checked it is checked again, so the choice is made once more. The group is not
// exclusive, so each box keeps a Tab stop of its own.
class ChoiceGroup : public QButtonGroup
{
    Q_OBJECT

public:
    explicit ChoiceGroup(QObject *parent = nullptr);

    // Checks the box with this id and clears the others; clears all for an id the group
    // lacks. Runs no click handler.
    void showOnly(int id);

signals:
    // A click made the box `id` the one chosen; a click that leaves it clear, while another
    // box stays checked, chooses nothing.
    void chosen(int id);

private:
    void onIdClicked(int id);
};
