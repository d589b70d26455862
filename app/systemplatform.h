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
    SingleCopyClaim claimSingleCopy() override;
    void showMessage(const QString &caption, const QString &text) override;
    bool openUrl(const QUrl &url) override;
    void beep() override;
    void endProcess() override;

    // Process-wide settings the rest relies on; called first thing in main().
    static void prepareProcess();

    // Where the single-copy lock lives: the session's runtime folder when only this account
    // can write it, otherwise a folder of the panel's own in the account's cache folder, made
    // when missing. Empty, with the reason in *failure, when neither can be had.
    static QString lockFilePath(QString *failure = nullptr);

    // The folder of the account's configuration files: $XDG_CONFIG_HOME when that is an
    // absolute path, ~/.config otherwise (the platform's own place outside XDG systems).
    static QString configHome();

    // Why the toolkit would find no display to open a window on, or empty. The toolkit
    // itself aborts in that case, so this is asked before it starts. The arguments are the
    // -platform and -display options, empty when not given.
    static QString missingDisplay(const QString &platformOption, const QString &displayOption);

private:
    std::unique_ptr<QLockFile> m_lock;
};

class QWidget;

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
