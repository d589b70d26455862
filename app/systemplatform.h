#pragma once

#include "platform.h"

#include <QtCore/QLockFile>
#include <QtCore/QObject>

#include <memory>

// The real machine: the system clock, a per-user lock file, Qt's message box and desktop
// services, the system beep, and the application's event loop.
class SystemPlatform : public Platform
{
public:
    QDateTime now() const override;
    bool claimSingleCopy() override;
    void showMessage(const QString &caption, const QString &text) override;
    bool openUrl(const QUrl &url) override;
    void beep() override;
    void endProcess() override;

    // Process-wide settings the rest relies on; called first thing in main().
    static void prepareProcess();

    // Where the single-copy lock lives: the session's runtime folder, under a name made of
    // the account's number.
    static QString lockFilePath();

private:
    std::unique_ptr<QLockFile> m_lock;
};

class QWidget;

// Every way the panel is told to end besides its own window's close: the termination signals
// (SIGTERM, SIGINT, SIGHUP, SIGQUIT), the session manager's end of session, and the window
// destroyed by another client of the display. Each one arrives as endRequested on the event
// loop, so it runs the same shutdown as closing the window.
class ShutdownWatch : public QObject
{
    Q_OBJECT

public:
    explicit ShutdownWatch(QObject *parent = nullptr);
    ~ShutdownWatch() override;

    // Starts watching the shown window's native counterpart on the display.
    void watchWindow(QWidget *window);

signals:
    void endRequested(const QString &why);

private:
    void watchSignals();

    class WindowFilter;
    std::unique_ptr<WindowFilter> m_windowFilter;
};
