#pragma once

#include <QtCore/QAbstractNativeEventFilter>

class QWidget;

// Ends the simulator when another client destroys its window's native counterpart (a window
// manager's "kill", xdotool windowclose), which the toolkit does not report: the process would
// live on without a window. Watches X only; elsewhere closing the window is the only way.
class WindowWatch : public QAbstractNativeEventFilter
{
public:
    // Watches `window` from now on, which must have been created.
    explicit WindowWatch(QWidget &window);
    ~WindowWatch() override;

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

private:
    quintptr m_windowId;
};
