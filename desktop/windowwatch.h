#pragma once

#include <QtCore/QAbstractNativeEventFilter>
#include <QtCore/QObject>
#include <QtGui/qwindowdefs.h>

// Tells when another client of the display destroys a window's native counterpart (a window
// manager's "kill", xdotool windowclose), which the toolkit does not report: the program
// would live on without a window. Watches X only; elsewhere closing the window is the only
// way, and the watch never fires.
class WindowWatch : public QObject, public QAbstractNativeEventFilter
{
    Q_OBJECT

public:
    // Watches the native window `window` from now on; the application object must exist.
    explicit WindowWatch(WId window, QObject *parent = nullptr);
    ~WindowWatch() override;

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

signals:
    // Queued, so it arrives once the display's event has been handled.
    void windowDestroyed();

private:
    WId m_window;
};
