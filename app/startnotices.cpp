#include "startnotices.h"

#include "appplatform.h"

StartNotices::StartNotices(AppPlatform &platform, const QString &caption, QObject *parent)
    : QObject(parent)
    , m_platform(platform)
    , m_caption(caption)
{ }

void StartNotices::showSoon()
{
    if (!m_pending.isEmpty())
        QMetaObject::invokeMethod(this, &StartNotices::showPending, Qt::QueuedConnection);
}

// Each message holds the event loop while it is open; a shutdown meanwhile drops the rest.
void StartNotices::showPending()
{
    while (!m_pending.isEmpty())
        m_platform.showMessage(MessageKind::Warning, m_caption, m_pending.takeFirst());
}
