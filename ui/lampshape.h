#pragma once

#include <QtGui/QColor>
#include <QtWidgets/QWidget>

// The connection lamp: a shape filled solid with the colour it is given. What the colour
// means is worked out elsewhere; the shape only paints it.
class LampShape : public QWidget
{
    Q_OBJECT
public:
    explicit LampShape(QWidget *parent = nullptr);

    QColor fillColour() const { return m_fillColour; }
    void setFillColour(const QColor &colour);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_fillColour = Qt::black;
};

// The connection lamp's fill colours.
namespace LampColour {
inline const QColor Black = Qt::black; // no connection run has ended yet
inline const QColor Red = Qt::red;
inline const QColor Green = Qt::green;
inline const QColor Yellow = Qt::yellow;
} // namespace LampColour
