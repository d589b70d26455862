#include "clockformat.h"
#include "form.h"
#include "groupframe.h"
#include "layout.h"

#include <QtTest/QtTest>
#include <QtWidgets/QApplication>
#include <QtWidgets/QLabel>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QRadioButton>
#include <QtWidgets/QStyleOption>

// The built window as it is drawn, at whatever QT_SCALE_FACTOR the run has: it stays left to
// right, no control's painted part overlaps another's or its group box's frame and caption,
// and no caption is wider or taller than the room its control gives it.
class tst_Looks : public QObject
{
    Q_OBJECT
private slots:
    void nothingOverlapsOrIsClipped();
};

namespace {

// Where a button draws its caption or, with painted, all that a check box or option button paints.
QRect buttonRect(const QAbstractButton *button, bool painted = false)
{
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    const auto *push = qobject_cast<const QPushButton *>(button);
#ifdef Q_OS_WIN
    // Windows' styles keep a band for the default button's frame inside every auto-default
    // button, 3 pixels past its 1-pixel outline; the caption is drawn centred across it, and the
    // three-line captions of this layout reach into it. There the outline bounds the caption.
    if (push)
        return button->rect().adjusted(1, 1, -1, -1);
#endif
    if (push && push->autoDefault())
        option.features |= QStyleOptionButton::AutoDefaultButton;
    const bool radio = qobject_cast<const QRadioButton *>(button);
    const QStyle::SubElement element = push ? QStyle::SE_PushButtonContents
            : radio ? (painted ? QStyle::SE_RadioButtonClickRect : QStyle::SE_RadioButtonContents)
                    : (painted ? QStyle::SE_CheckBoxClickRect : QStyle::SE_CheckBoxContents);
    return button->style()->subElementRect(element, &option, button);
}

// The part of a control that paints something, in its parent's coordinates: a label without
// border, background or picture paints only its text.
QRect paintedRect(const QWidget *widget)
{
    QRect painted = widget->rect();
    if (auto *label = qobject_cast<const QLabel *>(widget); label
        && label->frameShape() == QFrame::NoFrame && !label->autoFillBackground()
        && label->pixmap().isNull()) {
        painted = widget->fontMetrics().boundingRect(label->contentsRect(), int(label->alignment()),
                                                     label->text());
    } else if (auto *button = qobject_cast<const QAbstractButton *>(widget);
               button && !qobject_cast<const QPushButton *>(button)) {
        painted = buttonRect(button, true);
    }
    return painted.translated(widget->pos());
}

} // namespace

void tst_Looks::nothingOverlapsOrIsClipped()
{
    // As Qt's -reverse switch and right-to-left languages set it before the window is built.
    QApplication::setLayoutDirection(Qt::RightToLeft);
    QWidget window;
    Form form(&window);
    // The widest captions the clock labels take.
    const QLocale english(QStringLiteral("en_US"));
    form.controls().dateLabel->setText(dateCaption(QDate(2026, 9, 30), english));
    form.controls().timeLabel->setText(timeCaption(QTime(12, 59, 59), english));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    const auto &layout = dawnbellLayout();
    for (auto a = layout.begin(); a != layout.end(); ++a) {
        const QWidget *widget = window.findChild<QWidget *>(a->name);
        QVERIFY2(widget->layoutDirection() == Qt::LeftToRight, a->name);
        const QRect painted = paintedRect(widget);
        if (auto *frame = qobject_cast<const GroupFrame *>(widget->parentWidget())) {
            const int line = GroupFrame::LineWidth;
            const QRect inside = frame->frameRect().adjusted(line, line, -line, -line);
            QVERIFY2(inside.contains(painted) && !painted.intersects(frame->captionRect()),
                     a->name);
        }
        for (auto b = a + 1; b != layout.end(); ++b) {
            // The banner paints no background and lies over the lamp and its label by design.
            const bool meant = qstrcmp(b->name, "bannerLabel") == 0
                    && QByteArrayList{"linkLamp", "linkLabel"}.contains(a->name);
            const QWidget *other = window.findChild<QWidget *>(b->name);
            QVERIFY2(meant || other->parentWidget() != widget->parentWidget()
                             || !painted.intersects(paintedRect(other)),
                     qPrintable(QStringLiteral("%1 and %2").arg(a->name, b->name)));
        }

        // The caption fits where it is drawn; a group box's ends before the right-hand lines.
        QRect room;
        if (auto *label = qobject_cast<const QLabel *>(widget)) {
            room = label->contentsRect();
        } else if (auto *button = qobject_cast<const QAbstractButton *>(widget)) {
            room = buttonRect(button);
        } else if (auto *frame = qobject_cast<const GroupFrame *>(widget)) {
            const int right = frame->frameRect().right() - GroupFrame::LineWidth;
            QVERIFY2(frame->captionRect().right() <= right, a->name);
        }
        const QString caption = widget->property("text").toString();
        if (room.isNull() || caption.isEmpty())
            continue;
        const int wrap = widget->property("wordWrap").toBool() ? Qt::TextWordWrap : 0;
        const QSize needed = widget->fontMetrics().boundingRect(room, wrap, caption).size();
        QVERIFY2(needed.width() <= room.width() && needed.height() <= room.height(), a->name);
    }
}

QTEST_MAIN(tst_Looks)
#include "tst_looks.moc"
