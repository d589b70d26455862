#pragma once

#include <QtCore/QObject>

class QWidget;
class TerminationWatch;
class WindowWatch;

// Every way the panel is told to end besides its own window's close: the termination signals
// (SIGTERM, SIGINT, SIGHUP, SIGQUIT), the session manager's end of session, and the window
// destroyed by another client of the display, and on Windows the console it was started from
// closing or taking Ctrl+C or Ctrl+Break. Each one arrives as endRequested on the event
// loop, so it runs the same shutdown as closing the window.
class ShutdownWatch : public QObject
{
    Q_OBJECT

public:
    explicit ShutdownWatch(QObject *parent = nullptr);

    // Starts watching the shown window's native counterpart on the display.
    void watchWindow(QWidget *window);

signals:
    void endRequested(const QString &why);

private:
    TerminationWatch *m_termination = nullptr;
    WindowWatch *m_windowWatch = nullptr;
};
