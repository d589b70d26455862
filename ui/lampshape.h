#pragma once

#include <QtGui/QColor>
#include <QtWidgets/QWidget>

// The connection lamp: a shape filled solid with one colour that the link code sets.
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

// The lamp after a connection run: red when the link did not come up; when it did, green,
// or yellow if it was green already, so that a second success in a row shows as a change.
inline QColor afterConnectRun(const QColor &current, bool connected)
{
    if (!connected)
        return Red;
    return current == Green ? Yellow : Green;
}
} // namespace LampColour
