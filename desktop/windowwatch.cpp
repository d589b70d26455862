#include "windowwatch.h"

#include <QtCore/QCoreApplication>

#ifdef DAWNBELL_HAVE_XCB
#    include <xcb/xcb.h>
#endif

WindowWatch::WindowWatch(WId window, QObject *parent)
    : QObject(parent)
    , m_window(window)
{
    QCoreApplication::instance()->installNativeEventFilter(this);
}

WindowWatch::~WindowWatch()
{
    if (QCoreApplication *app = QCoreApplication::instance())
        app->removeNativeEventFilter(this);
}

bool WindowWatch::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
#ifdef DAWNBELL_HAVE_XCB
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    if ((event->response_type & 0x7f) != XCB_DESTROY_NOTIFY)
        return false;
    if (static_cast<const xcb_destroy_notify_event_t *>(message)->window == m_window)
        QMetaObject::invokeMethod(this, &WindowWatch::windowDestroyed, Qt::QueuedConnection);
#else
    Q_UNUSED(eventType);
    Q_UNUSED(message);
#endif
    return false;
}
