#include "twinwindow.h"

#include "deviceconstants.h"
#include "form.h"
#include "layout.h"
#include "simulator.h"

#include <QtGui/QPixmap>
#include <QtWidgets/QLabel>
#include <QtWidgets/QStackedWidget>

namespace {

// The panel's preview of each wake-up screen, by screen number; the twin shows the same.
const char *const previewControls[Device::ScreenCount]
        = {"screen1Picture", "screen2Picture", "screen3Preview"};

const ControlEntry &previewEntry(int screen)
{
    const ControlEntry *entry = findControlEntry(previewControls[screen - 1]);
    Q_ASSERT(entry);
    return *entry;
}

QSize previewSize()
{
    const ControlEntry &entry = previewEntry(1);
    return {entry.width, entry.height};
}

QFont pixelFont(int pixelSize, bool bold)
{
    QFont font;
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

// A wake-up screen as the panel shows it: its picture, or for the screen without one the
// coloured caption, scaled by `scale` from the panel's preview size.
QWidget *screenWidget(int screen, const QSize &size, double scale, bool keepAspect)
{
    const ControlEntry &entry = previewEntry(screen);
    auto *label = new QLabel;
    label->setAccessibleName(QString::fromLatin1(entry.accessibleName));
    label->setAlignment(Qt::AlignCenter);
    if (entry.picture) {
        const QPixmap picture(QStringLiteral(":/pictures/") + QString::fromLatin1(entry.picture));
        if (keepAspect) {
            label->setPixmap(picture.scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation));
        } else {
            // Stretched like the panel's own preview, so both show the same pixels.
            label->setScaledContents(true);
            label->setPixmap(picture);
        }
        return label;
    }
    label->setText(QString::fromLatin1(entry.caption));
    label->setWordWrap(true);
    QFont font(QString::fromLatin1(entry.font.family));
    font.setPointSizeF(entry.font.pointSize * scale);
    font.setBold(entry.font.bold);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, entry.backColour.colour);
    palette.setColor(QPalette::WindowText, entry.foreColour.colour);
    label->setPalette(palette);
    label->setAutoFillBackground(true);
    return label;
}

// The name carries the state, so a screen reader or a test reads what the face shows. Set
// only on a change, since each setting is announced to assistive tools.
void setName(QWidget *widget, const QString &name)
{
    if (widget->accessibleName() != name)
        widget->setAccessibleName(name);
}

void setShown(QLabel *label, const QString &text)
{
    if (label->text() != text)
        label->setText(text);
    // An empty line is still named, by what it would show.
    setName(label, text.isEmpty() ? label->accessibleDescription() : text);
}

} // namespace

TwinWindow::TwinWindow(Simulator &simulator, const QString &endpoint, QWidget *parent)
    : QWidget(parent)
{
    Form::installFontSubstitutes();
    setWindowTitle(tr("Dawnbell simulated clock (%1)").arg(endpoint));
    setFixedSize(FaceWidth, FaceHeight);
    setAutoFillBackground(true);
    setAccessibleDescription(tr("Clock face"));

    const int statusWidth = FaceWidth - 2 * Margin;
    const QSize preview = previewSize();
    const int previewLeft = FaceWidth - Margin - preview.width();
    const int textWidth = previewLeft - 2 * Margin;
    m_time = addLabel({Margin, 8, textWidth, 80}, 56, true, tr("Device time"));
    m_date = addLabel({Margin + 2, 88, textWidth, 24}, 18, false, tr("Device date"));
    m_preview = addScreens(this, {QPoint(previewLeft, Margin), preview}, false);
    m_preview->setAccessibleDescription(tr("Wake-up screen preview"));
    m_screenCaption = addLabel(
            {previewLeft - Margin, Margin + preview.height() + 2, preview.width() + 2 * Margin, 20},
            13, false, tr("Chosen wake-up screen"));
    m_screenCaption->setAlignment(Qt::AlignCenter);
    m_alarm = addLabel({Margin + 2, 140, statusWidth, 24}, 16, false, tr("Alarm"));
    m_announce = addLabel({Margin + 2, 166, statusWidth, 24}, 16, false, tr("Hourly announcement"));
    m_link = addLabel({Margin + 2, 192, statusWidth, 24}, 16, false, tr("Link"));
    m_event = addLabel({Margin + 2, 226, statusWidth, 56}, 28, true, tr("Event"));

    // The wake-up screen of a test or a ringing alarm covers the face, with a band that says
    // which of the two it is.
    m_overlay = new QWidget(this);
    m_overlay->setGeometry(rect());
    m_overlay->setAutoFillBackground(true);
    m_overlay->setAccessibleDescription(tr("Wake-up screen shown"));
    const QRect screenArea(0, 0, FaceWidth, FaceHeight - OverlayBandHeight);
    m_overlayScreen = addScreens(m_overlay, screenArea, true);
    m_overlayText = new QLabel(m_overlay);
    m_overlayText->setGeometry(0, screenArea.height(), FaceWidth, OverlayBandHeight);
    m_overlayText->setFont(pixelFont(36, true));
    m_overlayText->setAlignment(Qt::AlignCenter);
    m_overlayText->setAccessibleDescription(tr("Wake-up event"));
    m_overlay->hide();

    connect(&simulator, &Simulator::commandReceived, this, &TwinWindow::receive);
    connect(&simulator, &Simulator::clientConnected, this, [this](const QString &peer) {
        m_state.setPeer(peer);
        refresh();
    });
    connect(&simulator, &Simulator::clientDisconnected, this, [this] {
        m_state.setPeer(QString());
        refresh();
    });
    connect(&m_tick, &QTimer::timeout, this, &TwinWindow::refresh);
    m_clock.start();
    m_tick.start(RefreshMs);
    refresh();
}

QLabel *TwinWindow::addLabel(const QRect &geometry, int pixelSize, bool bold, const QString &role)
{
    auto *label = new QLabel(this);
    label->setGeometry(geometry);
    label->setFont(pixelFont(pixelSize, bold));
    label->setAccessibleDescription(role);
    return label;
}

QStackedWidget *TwinWindow::addScreens(QWidget *parent, const QRect &geometry, bool keepAspect)
{
    auto *screens = new QStackedWidget(parent);
    screens->setGeometry(geometry);
    const double scale = double(geometry.height()) / previewSize().height();
    for (int screen = 1; screen <= Device::ScreenCount; ++screen)
        screens->addWidget(screenWidget(screen, geometry.size(), scale, keepAspect));
    return screens;
}

void TwinWindow::receive(const Protocol::Command &command)
{
    m_state.receive(command, m_clock.elapsed());
    refresh();
}

void TwinWindow::applyScheme(int number)
{
    if (number == m_shownScheme)
        return;
    m_shownScheme = number;
    const DeviceState::Scheme &scheme = DeviceState::scheme(number);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, scheme.background);
    palette.setColor(QPalette::WindowText, scheme.text);
    setPalette(palette);
    setName(this, tr("Clock face, %1").arg(layoutText(scheme.name)));
}

void TwinWindow::refresh()
{
    m_state.advance(m_clock.elapsed());
    applyScheme(m_state.schemeNumber());
    setShown(m_time, m_state.timeText());
    setShown(m_date, m_state.dateText());
    setShown(m_alarm, m_state.alarmText());
    setShown(m_announce, m_state.announceText());
    setShown(m_link, m_state.linkText());
    setShown(m_event, m_state.eventText());
    setShown(m_screenCaption, m_state.screenText());
    m_preview->setCurrentIndex(Device::screenNumber(m_state.screen()) - 1);
    setName(m_preview, m_state.screenText());

    const bool covered = m_state.overlay() != DeviceState::Overlay::None;
    m_overlayScreen->setCurrentIndex(Device::screenNumber(m_state.screen()) - 1);
    setName(m_overlayScreen, m_state.screenText());
    setShown(m_overlayText, m_state.overlayText());
    setName(m_overlay,
            covered ? QStringLiteral("%1, %2").arg(m_state.screenText(), m_state.overlayText())
                    : tr("Nothing over the face"));
    m_overlay->setVisible(covered);
}
