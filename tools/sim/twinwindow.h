#pragma once

#include "devicestate.h"

#include <QtCore/QElapsedTimer>
#include <QtCore/QTimer>
#include <QtWidgets/QWidget>

class QLabel;
class QStackedWidget;
class Simulator;

// The simulated clock's face: shows what the device would show, from the simulator's traffic.
class TwinWindow : public QWidget
{
    Q_OBJECT

public:
    static constexpr int FaceWidth = 560;
    static constexpr int FaceHeight = 300;

    TwinWindow(Simulator &simulator, const QString &endpoint, QWidget *parent = nullptr);

private:
    static constexpr int RefreshMs = 200; // how late a new second may show
    static constexpr int Margin = 12;
    static constexpr int OverlayBandHeight = 60;

    void receive(const Protocol::Command &command);
    void refresh();
    QLabel *addLabel(const QRect &geometry, int pixelSize, bool bold, const QString &role);
    QStackedWidget *addScreens(QWidget *parent, const QRect &geometry, bool keepAspect);
    void applyScheme(int number);

    DeviceState m_state;
    QElapsedTimer m_clock;
    QTimer m_tick;
    int m_shownScheme = 0;
    QLabel *m_time = nullptr;
    QLabel *m_date = nullptr;
    QLabel *m_alarm = nullptr;
    QLabel *m_announce = nullptr;
    QLabel *m_link = nullptr;
    QLabel *m_event = nullptr;
    QLabel *m_screenCaption = nullptr;
    QStackedWidget *m_preview = nullptr;
    QWidget *m_overlay = nullptr;
    QStackedWidget *m_overlayScreen = nullptr;
    QLabel *m_overlayText = nullptr;
};
