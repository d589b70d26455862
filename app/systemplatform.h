#pragma once

#include "panel/platform.h"

#include <QtCore/QLockFile>

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

    // Where the single-copy lock lives: the user's runtime folder, or the temporary folder.
    static QString lockFilePath();

private:
    std::unique_ptr<QLockFile> m_lock;
};
