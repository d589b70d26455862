#pragma once

#include "appplatform.h"

#include <QtCore/QLockFile>
#include <QtNetwork/QLocalServer>

#include <memory>

// The real machine: the system clock, a per-user lock file, Qt's message box and desktop
// services, the system beep, and the application's event loop. What differs between the
// systems is in systemplatform_unix.cpp and systemplatform_win.cpp.
class SystemPlatform : public AppPlatform
{
public:
    QDateTime now() const override;
    SingleCopyClaim claimSingleCopy() override;
    void showMessage(MessageKind kind, const QString &caption, const QString &text) override;
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
    SingleCopyClaim claimLock();

    // The running copy answers a later start's call by bringing its window forward, so that a
    // second start shows the user the panel that already runs. The call goes through a local
    // socket of the account's own, named after the lock it stands beside.
    static QString callName(const QString &lockPath);
    void answerCalls(const QString &name);
    static void callRunningCopy(const QString &name);

    std::unique_ptr<QLockFile> m_lock;
    std::unique_ptr<QLocalServer> m_callServer;
};
