#include "systemplatform.h"

#include <QtCore/QCoreApplication>
#include <QtCore/QDir>
#include <QtCore/QStandardPaths>
#include <QtGui/QDesktopServices>
#include <QtWidgets/QApplication>
#include <QtWidgets/QMessageBox>

#ifdef Q_OS_UNIX
#    include <csignal>
#endif

void SystemPlatform::prepareProcess()
{
#ifdef Q_OS_UNIX
    // Past a file-size limit a write must fail like any other, so the atomic save keeps the
    // old settings file and the panel still ends normally, instead of the signal killing it.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
}

QDateTime SystemPlatform::now() const
{
    return QDateTime::currentDateTime();
}

QString SystemPlatform::lockFilePath()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    // The temporary folder may be shared between users; one panel per user is the rule.
    QString user = qEnvironmentVariable("USER", qEnvironmentVariable("USERNAME"));
    user.remove(QLatin1Char('/')).remove(QLatin1Char('\\'));
    return QDir(folder).filePath(QStringLiteral("dawnbell-%1.lock").arg(user));
}

bool SystemPlatform::claimSingleCopy()
{
    m_lock = std::make_unique<QLockFile>(lockFilePath());
    // No age limit: a lock is stale only when the copy that took it is gone, which QLockFile
    // checks by its process id, so a killed panel never blocks the next start.
    m_lock->setStaleLockTime(0);
    return m_lock->tryLock(0);
}

void SystemPlatform::showMessage(const QString &caption, const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok);
    box.exec();
}

bool SystemPlatform::openUrl(const QUrl &url)
{
    return QDesktopServices::openUrl(url);
}

void SystemPlatform::beep()
{
    QApplication::beep();
}

void SystemPlatform::endProcess()
{
    QCoreApplication::exit(0);
}
