#include "terminationwatch.h"

#include <QtCore/QMetaObject>
#include <QtCore/QMutex>
#include <QtCore/QMutexLocker>

#include <windows.h>

namespace {

// The watch that console events go to. The system calls the handler on a thread of its
// own, so the pointer is only read and cleared under the lock.
QMutex consoleWatchLock;
TerminationWatch *consoleWatch = nullptr;
// Set when the watch goes, as the program leaves main(); never reset, as one watch is the last.
HANDLE watchGone = CreateEventW(nullptr, TRUE, FALSE, nullptr);

QString consoleEventName(DWORD event)
{
    switch (event) {
    case CTRL_C_EVENT:
        return QStringLiteral("Ctrl+C");
    case CTRL_BREAK_EVENT:
        return QStringLiteral("Ctrl+Break");
    case CTRL_CLOSE_EVENT:
        return QStringLiteral("console closed");
    }
    return QStringLiteral("console event %1").arg(event);
}

BOOL WINAPI onConsoleEvent(DWORD event)
{
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT)
        return FALSE;
    {
        const QMutexLocker locker(&consoleWatchLock);
        if (!consoleWatch)
            return FALSE;
        const QString why = consoleEventName(event);
        QMetaObject::invokeMethod(
                consoleWatch,
                [watch = consoleWatch, why] { emit watch->terminationRequested(why); },
                Qt::QueuedConnection);
    }
    if (event == CTRL_CLOSE_EVENT) {
        // The system ends the process as soon as the handler returns from a close, and
        // after five seconds in any case. Staying here until the watch goes lets the event
        // loop end the program its own way first. The system keeps its console lock while a
        // handler runs, and removing the handler takes that lock: the wait must end first.
        WaitForSingleObject(watchGone, INFINITE);
    }
    return TRUE;
}

} // namespace

TerminationWatch::TerminationWatch(QObject *parent)
    : QObject(parent)
{
    {
        const QMutexLocker locker(&consoleWatchLock);
        consoleWatch = this;
    }
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

TerminationWatch::~TerminationWatch()
{
    {
        const QMutexLocker locker(&consoleWatchLock);
        consoleWatch = nullptr;
    }
    SetEvent(watchGone);
    SetConsoleCtrlHandler(onConsoleEvent, FALSE);
}
