#include "app/clockformat.h"
#include "ui/form.h"
#include "ui/groupframe.h"
#include "ui/layout.h"

#include <QtTest/QtTest>
#include <QtWidgets/QApplication>
#include <QtWidgets/QCheckBox>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QRadioButton>
#include <QtWidgets/QStyle>
#include <QtWidgets/QStyleOption>

#include <memory>

// The built window as it is drawn, at whatever QT_SCALE_FACTOR the run has: no control's
// painted part overlaps another's or its group box's frame and caption, and no caption is
// wider or taller than the room its control gives it.
class tst_Looks : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void nothingOverlaps();
    void nothingIsClipped();
    void layoutStaysLeftToRight();

private:
    std::unique_ptr<QWidget> m_window;
    std::unique_ptr<Form> m_form;
};

namespace {

// The layout states that the banner, which paints no background, lies over these two.
bool overlapAllowed(const QString &a, const QString &b)
{
    const QStringList underBanner{QStringLiteral("Label3"), QStringLiteral("Shape1")};
    return (a == QLatin1String("Label5") && underBanner.contains(b))
            || (b == QLatin1String("Label5") && underBanner.contains(a));
}

QString captionOf(const QWidget *widget)
{
    if (auto *label = qobject_cast<const QLabel *>(widget))
        return label->text();
    if (auto *button = qobject_cast<const QAbstractButton *>(widget))
        return button->text();
    return {};
}

QStyleOptionButton buttonOption(const QAbstractButton *button)
{
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    if (auto *push = qobject_cast<const QPushButton *>(button); push && push->autoDefault())
        option.features |= QStyleOptionButton::AutoDefaultButton;
    return option;
}

// Where the caption of a check box or option button is drawn.
QRect checkContents(const QAbstractButton *button)
{
    const QStyleOptionButton option = buttonOption(button);
    const bool radio = qobject_cast<const QRadioButton *>(button);
    return button->style()->subElementRect(
            radio ? QStyle::SE_RadioButtonContents : QStyle::SE_CheckBoxContents, &option, button);
}

// The part of a control that paints something, in its parent's coordinates. Labels without a
// border or background paint only their text; check boxes and option buttons their indicator
// and text.
QRect paintedRect(const QWidget *widget)
{
    const QFontMetrics metrics = widget->fontMetrics();
    QRect painted = widget->rect();
    if (auto *label = qobject_cast<const QLabel *>(widget); label
        && label->frameShape() == QFrame::NoFrame && !label->autoFillBackground()
        && label->pixmap().isNull()) {
        const int flags = int(label->alignment()) | (label->wordWrap() ? Qt::TextWordWrap : 0);
        painted = label->text().isEmpty()
                ? QRect()
                : metrics.boundingRect(label->contentsRect(), flags, label->text());
    } else if (qobject_cast<const QCheckBox *>(widget)
               || qobject_cast<const QRadioButton *>(widget)) {
        auto *button = static_cast<const QAbstractButton *>(widget);
        const QStyleOptionButton option = buttonOption(button);
        const bool radio = qobject_cast<const QRadioButton *>(button);
        const QRect indicator = button->style()->subElementRect(
                radio ? QStyle::SE_RadioButtonIndicator : QStyle::SE_CheckBoxIndicator, &option,
                button);
        QRect text = checkContents(button);
        text.setWidth(metrics.horizontalAdvance(button->text()));
        text.setTop(text.center().y() - metrics.height() / 2);
        text.setHeight(metrics.height());
        painted = indicator | text;
    }
    return painted.translated(widget->pos());
}

} // namespace

void tst_Looks::init()
{
    m_window = std::make_unique<QWidget>();
    m_form = std::make_unique<Form>(m_window.get());
    // The widest captions the clock labels take.
    const QLocale english(QStringLiteral("en_US"));
    m_form->find<QLabel>(QStringLiteral("Label16"))
            ->setText(dateCaption(QDate(2026, 9, 30), english));
    m_form->find<QLabel>(QStringLiteral("Label15"))
            ->setText(timeCaption(QTime(12, 59, 59), english));
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void tst_Looks::cleanup()
{
    m_form.reset();
    m_window.reset();
}

void tst_Looks::nothingOverlaps()
{
    QStringList overlaps;
    const auto &layout = dawnbellLayout();
    for (auto a = layout.begin(); a != layout.end(); ++a) {
        const QWidget *first = m_form->control(QString::fromLatin1(a->name));
        const QRect firstRect = paintedRect(first);
        if (auto *frame = qobject_cast<const GroupFrame *>(first->parentWidget())) {
            const QRect inside
                    = frame->frameRect().adjusted(GroupFrame::LineWidth, GroupFrame::LineWidth,
                                                  -GroupFrame::LineWidth, -GroupFrame::LineWidth);
            if (!firstRect.isEmpty()
                && (!inside.contains(firstRect) || firstRect.intersects(frame->captionRect())))
                overlaps << QStringLiteral("%1 and the frame of %2").arg(a->name, a->container);
        }
        for (auto b = a + 1; b != layout.end(); ++b) {
            const QWidget *second = m_form->control(QString::fromLatin1(b->name));
            if (second->parentWidget() != first->parentWidget()
                || overlapAllowed(first->objectName(), second->objectName()))
                continue;
            if (firstRect.intersects(paintedRect(second)))
                overlaps << QStringLiteral("%1 and %2").arg(a->name, b->name);
        }
    }
    QVERIFY2(overlaps.isEmpty(), qPrintable(overlaps.join(QStringLiteral(", "))));
}

void tst_Looks::nothingIsClipped()
{
    QStringList clipped;
    for (const ControlSpec &entry : dawnbellLayout()) {
        const QWidget *widget = m_form->control(QString::fromLatin1(entry.name));
        const QFontMetrics metrics = widget->fontMetrics();
        const QString caption = captionOf(widget);
        QRect room;   // where the caption is drawn
        QSize needed; // what the caption takes
        if (auto *label = qobject_cast<const QLabel *>(widget)) {
            if (caption.isEmpty())
                continue; // a picture
            room = label->contentsRect();
            needed = metrics.boundingRect(room, label->wordWrap() ? Qt::TextWordWrap : 0, caption)
                             .size();
            if (label->wordWrap()) {
                for (const QString &word : caption.split(QLatin1Char(' ')))
                    needed.setWidth(std::max(needed.width(), metrics.horizontalAdvance(word)));
            }
        } else if (auto *button = qobject_cast<const QPushButton *>(widget)) {
            const QStyleOptionButton option = buttonOption(button);
            room = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
            const QStringList lines = caption.split(QLatin1Char('\n'));
            for (const QString &line : lines)
                needed.setWidth(std::max(needed.width(), metrics.horizontalAdvance(line)));
            needed.setHeight(int(lines.size()) * metrics.height());
        } else if (auto *button = qobject_cast<const QAbstractButton *>(widget)) {
            room = checkContents(button);
            needed = {metrics.horizontalAdvance(caption), metrics.height()};
        } else if (auto *frame = qobject_cast<const GroupFrame *>(widget)) {
            // The caption must end before the frame's right-hand lines.
            room = QRect(0, 0, frame->frameRect().right() + 1 - GroupFrame::LineWidth,
                         frame->height());
            needed = {frame->captionRect().right() + 1, frame->captionRect().height()};
        } else if (auto *edit = qobject_cast<const QLineEdit *>(widget)) {
            QStyleOptionFrame option;
            option.initFrom(edit);
            option.lineWidth = edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
            // QLineEdit keeps two pixels of air left and right and one above and below.
            room = edit->style()
                           ->subElementRect(QStyle::SE_LineEditContents, &option, edit)
                           .adjusted(2, 1, -2, -1);
            const QStringList samples = edit->validator()
                    ? QStringList{QStringLiteral("PM"), QStringLiteral("00")}
                    : QStringList{edit->text()};
            for (const QString &sample : samples)
                needed.setWidth(std::max(needed.width(), metrics.horizontalAdvance(sample)));
            needed.setHeight(metrics.height());
        } else {
            continue;
        }
        if (needed.width() > room.width() || needed.height() > room.height()) {
            clipped << QStringLiteral("%1 needs %2x%3 in %4x%5")
                               .arg(QLatin1String(entry.name))
                               .arg(needed.width())
                               .arg(needed.height())
                               .arg(room.width())
                               .arg(room.height());
        }
    }
    QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join(QStringLiteral(", "))));
}

void tst_Looks::layoutStaysLeftToRight()
{
    // As Qt's -reverse switch and right-to-left languages set it before the window is built.
    QApplication::setLayoutDirection(Qt::RightToLeft);
    QWidget window;
    Form form(&window);
    QApplication::setLayoutDirection(Qt::LeftToRight);
    QCOMPARE(window.layoutDirection(), Qt::LeftToRight);
    for (const QString &name : form.names())
        QVERIFY2(form.control(name)->layoutDirection() == Qt::LeftToRight, qPrintable(name));
}

QTEST_MAIN(tst_Looks)
#include "tst_looks.moc"
