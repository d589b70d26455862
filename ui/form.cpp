#include "form.h"

#include "choicebox.h"
#include "choicegroup.h"
#include "groupframe.h"
#include "lampshape.h"
#include "layout.h"
#include "picturebox.h"
#include "preparedpicture.h"
#include "typedlengthvalidator.h"

#include <QtCore/QFileInfo>
#include <QtGui/QFontDatabase>
#include <QtGui/QFontMetrics>
#include <QtGui/QIcon>
#include <QtGui/QImageReader>
#include <QtGui/QPixmap>
#include <QtWidgets/QApplication>
#include <QtWidgets/QButtonGroup>
#include <QtWidgets/QCheckBox>
#include <QtWidgets/QFrame>
#include <QtWidgets/QGroupBox>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QRadioButton>
#include <QtWidgets/QStyle>

#include <algorithm>
#include <utility>
#include <vector>

namespace {

constexpr int maxTypedTimeCharacters = 2;

// The picture of a box. At the scale the layout counts in, the build's copy, shown as it is. At
// another scale the box has more or fewer pixels than that copy, so the file is read, to be
// scaled to them when it is first drawn; it is read in the format its name's suffix names, as
// Qt left to guess would load every image-format plugin to ask whether it reads a bitmap.
QPixmap pictureFor(const char *file, qreal scale)
{
    if (scale == 1)
        return QPixmap::fromImage(preparedPicture(file));
    const QString path = QStringLiteral(":/pictures/") + QString::fromLatin1(file);
    QImageReader reader(path, QFileInfo(path).suffix().toLatin1());
    reader.setAutoDetectImageFormat(false);
    return QPixmap::fromImage(reader.read());
}

// The family drawn for one the layout names: that family if installed, else the first installed
// of its substitutes. Fonts are made with it, so that Qt neither looks for a missing family nor
// builds a fallback list for it whenever a font is first used.
QString installedFamily(const char *family)
{
    static QHash<QByteArray, QString> resolved;
    const auto known = resolved.constFind(family);
    if (known != resolved.cend())
        return *known;
    const QString requested = QString::fromLatin1(family);
    const QStringList installed = QFontDatabase::families();
    QString drawn = requested;
    for (const QString &candidate : QStringList{requested} + QFont::substitutes(requested)) {
        if (installed.contains(candidate, Qt::CaseInsensitive)) {
            drawn = candidate;
            break;
        }
    }
    resolved.insert(family, drawn);
    return drawn;
}

QFont fontFrom(const FontStyle &requested)
{
    const FontStyle entry = requested.family ? requested : windowFontStyle();
    // Every attribute is set explicitly: a control must not inherit the bold of its group box.
    QFont font(installedFamily(entry.family));
    font.setPointSizeF(entry.pointSize);
    font.setBold(entry.bold);
    font.setUnderline(entry.underline);
    font.setItalic(false);
    font.setStrikeOut(false);
    return font;
}

QColor resolveColour(const ColourChoice &colour, QPalette::ColorRole kindDefault,
                     const QPalette &palette)
{
    switch (colour.source) {
    case ColourChoice::Fixed:
        return colour.colour;
    case ColourChoice::Role:
        return palette.color(colour.role);
    case ColourChoice::Default:
        break;
    }
    return palette.color(kindDefault);
}

bool takesFocus(ControlKind kind)
{
    switch (kind) {
    case ControlKind::PushButton:
    case ControlKind::LineEdit:
    case ControlKind::CheckBox:
    case ControlKind::RadioButton:
        return true;
    default:
        return false;
    }
}

// Push buttons do not wrap their captions; break a caption that does not fit at its blanks.
QString wrappedCaption(const QString &caption, const QFontMetrics &metrics, int width)
{
    if (metrics.horizontalAdvance(caption) <= width)
        return caption;
    QStringList lines;
    QString line;
    for (const QString &word : caption.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QString candidate = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
        if (!line.isEmpty() && metrics.horizontalAdvance(candidate) > width) {
            lines << line;
            line = word;
        } else {
            line = candidate;
        }
    }
    if (!line.isEmpty())
        lines << line;
    return lines.join(QLatin1Char('\n'));
}

Qt::Alignment alignmentOf(unsigned style)
{
    if (style & Centred)
        return Qt::AlignCenter;
    if (style & RightAligned)
        return Qt::AlignRight | Qt::AlignVCenter;
    return Qt::AlignLeft | Qt::AlignVCenter;
}

void showCaption(QLabel *label, const QString &caption, unsigned style)
{
    label->setTextFormat(Qt::PlainText);
    label->setText(caption);
    label->setAlignment(alignmentOf(style));
    label->setWordWrap(style & WordWrap);
}

QWidget *createWidget(const ControlEntry &entry, const QFont &font, QWidget *parent)
{
    const QString caption = layoutText(entry.caption);
    // A control gets its font before its caption: a caption given first is laid out in the
    // inherited font, which may be one the window never shows, and then laid out again.
    auto withFont = [&font](auto *widget) {
        widget->setFont(font);
        return widget;
    };
    switch (entry.slot.kind) {
    case ControlKind::Label: {
        auto *label = withFont(new QLabel(parent));
        showCaption(label, caption, entry.style);
        if (entry.style & Border)
            label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        return label;
    }
    case ControlKind::PushButton: {
        auto *button = withFont(new QPushButton(parent));
        button->setText(caption);
        // Enter clicks the focused button, as Space does; outside a dialog this is all that
        // auto-default changes.
        button->setAutoDefault(true);
        return button;
    }
    case ControlKind::LineEdit: {
        // A text box lays its text out as it is made, in the font it inherits; made inside a
        // group box that would be the box's caption font, loaded for a text it never shows.
        // Made on its own it inherits the application font, and it joins its container with
        // its own font.
        auto *edit = withFont(new QLineEdit);
        edit->setParent(parent);
        edit->setText(caption);
        edit->setAlignment(alignmentOf(entry.style));
        if (entry.style & TwoTypedCharacters)
            edit->setValidator(new TypedLengthValidator(maxTypedTimeCharacters, edit));
        return edit;
    }
    case ControlKind::CheckBox: {
        auto *box = withFont(new ChoiceBox(parent));
        box->setText(caption);
        return box;
    }
    case ControlKind::RadioButton: {
        auto *option = withFont(new QRadioButton(parent));
        option->setText(caption);
        return option;
    }
    case ControlKind::GroupBox:
        // The caption comes first here: a group frame measures nothing in its own font until
        // it draws, and the caption is measured in the window's font, which is loaded anyway.
        return withFont(new GroupFrame(caption, parent));
    case ControlKind::Picture: {
        auto *picture = withFont(new PictureBox(parent));
        if (entry.picture)
            picture->setPixmap(pictureFor(entry.picture, parent->devicePixelRatioF()));
        else // a picture made of words on a colour
            showCaption(picture, caption, entry.style);
        return picture;
    }
    case ControlKind::Lamp: {
        auto *lamp = withFont(new LampShape(parent));
        if (entry.backColour.source == ColourChoice::Fixed)
            lamp->setFillColour(entry.backColour.colour);
        return lamp;
    }
    case ControlKind::Line: {
        auto *line = withFont(new QFrame(parent));
        line->setFrameStyle(QFrame::HLine | QFrame::Sunken);
        return line;
    }
    }
    return nullptr;
}

// Returns the background the control shows, which its own controls paint over.
QColor applyColours(const ControlEntry &entry, QWidget *widget, const QColor &containerBackground)
{
    const bool isLineEdit = entry.slot.kind == ControlKind::LineEdit;
    const QPalette::ColorRole defaultFore = isLineEdit ? QPalette::Text : QPalette::ButtonText;
    const QPalette::ColorRole defaultBack = isLineEdit ? QPalette::Base : QPalette::Button;

    QPalette palette = widget->palette();
    const QColor fore = resolveColour(entry.foreColour, defaultFore, palette);
    const QColor back = (entry.style & Transparent)
            ? containerBackground
            : resolveColour(entry.backColour, defaultBack, palette);

    if (entry.slot.kind == ControlKind::PushButton) {
        // Most native styles ignore a button palette, so a face of its own needs a style sheet.
        if (entry.backColour.source != ColourChoice::Default) {
            widget->setStyleSheet(
                    QStringLiteral("QPushButton { background-color: %1; border: 1px solid "
                                   "palette(shadow); border-radius: 2px; padding: 2px; }"
                                   "QPushButton:pressed { background-color: palette(midlight); }")
                            .arg(back.name()));
        }
        if (entry.foreColour.source == ColourChoice::Default)
            return back;
    }

    // Disabled controls keep the style's greyed text, so that they read as disabled.
    palette.setColor(QPalette::Active, widget->foregroundRole(), fore);
    palette.setColor(QPalette::Inactive, widget->foregroundRole(), fore);
    if (entry.slot.kind != ControlKind::PushButton)
        palette.setColor(widget->backgroundRole(), back);
    widget->setPalette(palette);

    switch (entry.slot.kind) {
    case ControlKind::Label:
    case ControlKind::Picture:
    case ControlKind::CheckBox:
    case ControlKind::RadioButton:
    case ControlKind::GroupBox:
        // Painting a background equal to the container's would only hide the style's own
        // shading of group boxes behind a flat rectangle.
        widget->setAutoFillBackground(back != containerBackground);
        break;
    default:
        break;
    }
    return back;
}

void applyGeometry(const ControlEntry &entry, QWidget *widget)
{
    // A sunken line is a dark and a light pixel row.
    const int height = entry.slot.kind == ControlKind::Line ? 2 : entry.height;
    widget->setGeometry(entry.left, entry.top, entry.width, height);

    if (entry.style & AutoSize)
        widget->resize(widget->sizeHint().width(), height);

    if (auto *button = qobject_cast<QPushButton *>(widget)) {
        // Leave room for the bevel and two pixels of air on both sides.
        const int frame
                = widget->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, widget);
        const int room = entry.width - 2 * (frame + 2);
        button->setText(wrappedCaption(layoutText(entry.caption), button->fontMetrics(), room));
    }
}

// The track group is one tab stop, at its selected member, from which the arrow keys move the
// selection. The other members stay in the focus chain at their own places for a mouse click.
void keepTabStopOnSelection(QButtonGroup *group)
{
    const QAbstractButton *selected = group->checkedButton();
    const auto buttons = group->buttons();
    for (QAbstractButton *button : buttons)
        button->setFocusPolicy(!selected || button == selected ? Qt::StrongFocus : Qt::ClickFocus);
}

} // namespace

void Form::installFontSubstitutes()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    // Microsoft Sans Serif is the outline font drawn to MS Sans Serif's metrics; Liberation Sans
    // and Arial come close to both.
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               {QStringLiteral("Microsoft Sans Serif"),
                                QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                                QStringLiteral("DejaVu Sans")});
    // Carlito is drawn to Calibri's metrics.
    QFont::insertSubstitutions(QStringLiteral("Calibri"), {QStringLiteral("Carlito")});
}

Form::Form(QWidget *window)
{
    installFontSubstitutes();

    window->setObjectName(QStringLiteral("Dawnbell"));
    window->setWindowTitle(QStringLiteral("Dawnbell"));
    window->setWindowIcon(QIcon(QPixmap::fromImage(preparedPicture(windowIconFile))));
    window->setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                           | Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint
                           | Qt::MSWindowsFixedSizeDialogHint);
    window->setFixedSize(windowWidth, windowHeight);
    window->setFont(fontFrom(windowFontStyle()));
    // A text box lays its text out in the application font before it takes its own. While the
    // controls are built that is the window's font, so that no font the window never shows is
    // loaded for it; other windows, such as a message box, keep the desktop's font.
    const QFont desktopFont = QApplication::font();
    QApplication::setFont(window->font());
    window->setAutoFillBackground(true);
    // Positions are fixed in pixels from the left; a right-to-left language or Qt's -reverse
    // would mirror the captions, indicators and alignments but not the positions.
    window->setLayoutDirection(Qt::LeftToRight);

    QHash<const QWidget *, QColor> backgrounds; // of the window and of each group box
    backgrounds.insert(window, window->palette().color(QPalette::Window));
    std::vector<std::pair<int, QWidget *>> tabOrder;
    for (const ControlEntry &entry : dawnbellLayout()) {
        // Containers come before their contents in the table, so they are built by now.
        QWidget *parent = entry.container ? m_controls.*entry.container : nullptr;
        if (!parent)
            parent = window;
        QWidget *widget = createWidget(entry, fontFrom(entry.font), parent);
        if (!widget)
            continue;
        entry.slot.fill(m_controls, widget);
        widget->setObjectName(QString::fromLatin1(entry.name));
        const QColor background = applyColours(entry, widget, backgrounds.value(parent));
        if (entry.slot.kind == ControlKind::GroupBox)
            backgrounds.insert(widget, background);
        applyGeometry(entry, widget);
        if (entry.slot.kind == ControlKind::Label && !*entry.caption && entry.accessibleName) {
            // A label filled at run time (the clock) is read by its text, so its name follows
            // the text and the table's name describes it.
            widget->setAccessibleDescription(layoutText(entry.accessibleName));
        } else {
            widget->setAccessibleName(
                    layoutText(entry.accessibleName ? entry.accessibleName : entry.caption));
        }
        if (auto *button = qobject_cast<QAbstractButton *>(widget))
            button->setChecked(entry.state == InitialState::Checked);
        widget->setEnabled(entry.state != InitialState::Disabled);

        if (takesFocus(entry.slot.kind))
            tabOrder.emplace_back(entry.tabIndex, widget);
        else
            widget->setFocusPolicy(Qt::NoFocus);
    }
    buildGroups(window);

    // The banner only decorates; clicks and hovers belong to what lies beneath it.
    m_controls.bannerLabel->setAttribute(Qt::WA_TransparentForMouseEvents);

    std::stable_sort(tabOrder.begin(), tabOrder.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });
    for (size_t i = 1; i < tabOrder.size(); ++i)
        QWidget::setTabOrder(tabOrder[i - 1].second, tabOrder[i].second);
    // The window opens with the focus on the first control in tab order, not on whichever
    // happens to follow the window in the focus chain.
    if (!tabOrder.empty())
        tabOrder.front().second->setFocus();

    QApplication::setFont(desktopFont);
}

void Form::buildGroups(QWidget *window)
{
    WindowControls &c = m_controls;
    c.trackGroup = new QButtonGroup(window);
    c.trackGroup->setExclusive(true);
    for (int n = 0; n < Device::TrackCount; ++n)
        c.trackGroup->addButton(c.trackButtons[n], Device::FirstTrack + n);

    c.schemeGroup = new ChoiceGroup(window);
    for (int n = 0; n < Device::SchemeCount; ++n)
        c.schemeGroup->addButton(c.schemeBoxes[n], n + 1);

    c.screenGroup = new ChoiceGroup(window);
    for (int n = 0; n < Device::ScreenCount; ++n)
        c.screenGroup->addButton(c.screenBoxes[n], Device::FirstScreenCode + n);

    keepTabStopOnSelection(c.trackGroup);
    QObject::connect(c.trackGroup, &QButtonGroup::buttonToggled, c.trackGroup,
                     [group = c.trackGroup](QAbstractButton *, bool checked) {
                         if (checked)
                             keepTabStopOnSelection(group);
                     });
}
