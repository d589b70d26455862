#pragma once

#include "link/devicelink.h"
#include "panel/controlpanel.h"
#include "settings/setupdata.h"
#include "ui/form.h"

#include <QtCore/QTimer>
#include <QtWidgets/QWidget>

class LinkSocket;
class QLabel;
class Platform;

// The panel's one window: its start-up sequence, clock display and both ways of leaving.
class DawnbellWindow : public QWidget
{
    Q_OBJECT

public:
    static constexpr int ClockTickMs = 1000;
    static constexpr quint16 DesignTimePort = 5000;
    static inline const QString DesignTimeHost = QStringLiteral("127.0.0.1");
    static inline const QString Title = QStringLiteral("Dawnbell");
    static inline const QString AlreadyRunningText
            = QStringLiteral("Dawnbell App already running.....");
    static inline const QString MakerWebSite = QStringLiteral("https://www.dawnbell.example/");

    DawnbellWindow(LinkSocket &socket, Platform &platform, const QString &settingsPath,
                   QWidget *parent = nullptr);

    // The start-up sequence. False when another copy runs and this one must end at once.
    bool Form_Load();

    void Timer1_Timer();
    void LoadSettings();
    void SaveSettings();
    void CMD_SaveExit_Click();
    void Image1_Click();
    void Form_Terminate();

    const Form &form() const { return m_form; }
    const SetupData &setupData() const { return m_setupData; }
    ControlPanel &panel() { return m_panel; }
    DeviceLink &link() { return m_link; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void startUp();
    void applyEndpoint();
    static PanelControls panelControls(const Form &form);

    Platform &m_platform;
    QString m_settingsPath;
    Form m_form;
    DeviceLink m_link;
    SetupData m_setupData;
    const PanelControls m_controls;
    ControlPanel m_panel;
    QLabel *m_dateLabel = nullptr;
    QLabel *m_timeLabel = nullptr;
    QTimer m_timer;
    bool m_settingsLoaded = false;
    bool m_shuttingDown = false;
};
