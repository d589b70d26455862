#pragma once

#include <QtWidgets/QGroupBox>

// A group box whose etched frame starts at the middle of its caption, so that the layout's
// coordinates, which count from the box's top-left corner, put the contents inside the frame.
class GroupFrame : public QGroupBox
{
    Q_OBJECT
public:
    explicit GroupFrame(const QString &title, QWidget *parent = nullptr);

    // Where the caption is drawn, with the gap it cuts into the frame's top line.
    QRect captionRect() const;
    // The frame's outer rectangle; its top line runs through the caption's middle.
    QRect frameRect() const;
    // Width of the frame's lines: contents must stay this far inside frameRect().
    static constexpr int LineWidth = 2;

protected:
    void changeEvent(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
};
