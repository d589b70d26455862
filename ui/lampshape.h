#pragma once

#include <QtWidgets/QWidget>

// The connection lamp: a shape filled solid with one colour that the link code sets.
class LampShape : public QWidget
{
    Q_OBJECT
public:
    explicit LampShape(QWidget *parent = nullptr);

    // Blue-green-red, red in the low byte (255 is red).
    int fillColour() const { return m_fillColour; }
    void setFillColour(int bgr);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int m_fillColour = 0;
};
