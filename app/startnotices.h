#pragma once

#include <QtCore/QObject>
#include <QtCore/QStringList>

class AppPlatform;

// Messages for the user gathered while the panel starts, shown one after another once the
// window is up, so that a modal message does not hold up the start.
class StartNotices : public QObject
{
    Q_OBJECT

public:
    StartNotices(AppPlatform &platform, const QString &caption, QObject *parent = nullptr);

    void add(const QString &text) { m_pending.append(text); }
    // Shows what was gathered from the event loop, after the window has been shown.
    void showSoon();
    // The panel is ending: what has not been shown yet never is.
    void drop() { m_pending.clear(); }

private:
    void showPending();

    AppPlatform &m_platform;
    QString m_caption;
    QStringList m_pending;
};
