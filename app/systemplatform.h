#pragma once

#include "platform.h"

#include <QtCore/QLockFile>
#include <QtCore/QObject>

#include <memory>

// The real machine: the system clock, a per-user lock file, Qt's message box and desktop
// services, the system beep, and the application's event loop. What differs between the
// systems is in systemplatform_unix.cpp and systemplatform_win.cpp.
class SystemPlatform : public Platform
{
public:
    QDateTime now() const override;
    SingleCopyClaim claimSingleCopy() override;
    void showMessage(const QString &caption, const QString &text) override;
    void showWarning(const QString &caption, const QString &text) override;
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
    // absolute path, ~/.config otherwise; the roaming application-data folder on Windows.
    static QString configHome();

private:
    struct LockPlace
    {
        QString path;
        // A folder that a home shared over the network carries to other machines, where a
        // lock file may name a copy that runs there.
        bool seenByOtherMachines = false;
    };
    static LockPlace lockPlace(QString *failure);
    // Whether the process runs on this machine under this account.
    static bool isRunningHere(qint64 pid);
    // This machine's name as QLockFile writes it into the lock.
    static QString machineName();

    bool takeOverStaleLock(const QByteArray &judgedBytes);

    std::unique_ptr<QLockFile> m_lock;
};

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
