#include "windowwatch.h"

#include <QtCore/QCoreApplication>
#include <QtWidgets/QWidget>

#ifdef DAWNBELL_HAVE_XCB
#    include <xcb/xcb.h>
#endif

WindowWatch::WindowWatch(QWidget &window)
    : m_windowId(window.winId())
{
    QCoreApplication::instance()->installNativeEventFilter(this);
}

WindowWatch::~WindowWatch()
{
    QCoreApplication::instance()->removeNativeEventFilter(this);
}

bool WindowWatch::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
#ifdef DAWNBELL_HAVE_XCB
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    if ((event->response_type & 0x7f) != XCB_DESTROY_NOTIFY)
        return false;
    if (static_cast<const xcb_destroy_notify_event_t *>(message)->window == m_windowId) {
        // Left once the event has been handled, like a close of the window.
        QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit,
                                  Qt::QueuedConnection);
    }
#else
    Q_UNUSED(eventType);
    Q_UNUSED(message);
#endif
    return false;
}
