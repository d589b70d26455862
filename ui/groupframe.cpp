#include "groupframe.h"

#include <QtCore/QEvent>
#include <QtGui/QPainter>
#include <QtWidgets/QStyle>

namespace {

// The caption starts this far from the left edge, and keeps a gap this wide on both sides.
constexpr int captionIndent = 8;
constexpr int captionGap = 2;

} // namespace

GroupFrame::GroupFrame(const QString &title, QWidget *parent)
    : QGroupBox(title, parent)
{ }

QRect GroupFrame::captionRect() const
{
    if (title().isEmpty())
        return {};
    const QFontMetrics metrics = fontMetrics();
    const int width = metrics.horizontalAdvance(title()) + 2 * captionGap;
    return QRect(captionIndent - captionGap, 0, width, metrics.height());
}

QRect GroupFrame::frameRect() const
{
    // The two rows of the etched line sit on either side of the caption's middle.
    const int top = fontMetrics().height() / 2 - LineWidth / 2;
    return rect().adjusted(0, top, 0, 0);
}

void GroupFrame::changeEvent(QEvent *event)
{
    // On a new font QGroupBox works out contents margins from the caption's height, which
    // loads the font at once, before anything is drawn. This frame draws its own caption and
    // its controls sit at fixed places, so those margins are never used: the font is loaded
    // when the caption is first drawn.
    if (event->type() == QEvent::FontChange) {
        QWidget::changeEvent(event);
        return;
    }
    QGroupBox::changeEvent(event);
}

void GroupFrame::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRect caption = captionRect();

    // An etched frame: a dark rectangle with a light one a pixel inside it, left open behind
    // the caption, so that the frame reads as cut into the window whatever the style.
    painter.save();
    painter.setClipRegion(QRegion(rect()) - caption);
    const QRect frame = frameRect();
    painter.setPen(palette().color(QPalette::Light));
    painter.drawRect(frame.adjusted(1, 1, -1, -1));
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawRect(frame.adjusted(0, 0, -2, -2));
    painter.restore();

    if (!caption.isEmpty()) {
        style()->drawItemText(&painter, caption, Qt::AlignCenter | Qt::TextShowMnemonic, palette(),
                              isEnabled(), title(), foregroundRole());
    }
}
