#include "shutdownwatch.h"

#include "terminationwatch.h"
#include "windowwatch.h"

#include <QtCore/QCoreApplication>
#include <QtGui/QGuiApplication>
#include <QtWidgets/QWidget>

ShutdownWatch::ShutdownWatch(QObject *parent)
    : QObject(parent)
    , m_termination(new TerminationWatch(this))
{
    connect(m_termination, &TerminationWatch::terminationRequested, this,
            &ShutdownWatch::endRequested);
    // The session manager ends the session: a logout or a shutdown of the desktop.
    if (auto *app = qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
        connect(app, &QGuiApplication::commitDataRequest, this,
                [this] { emit endRequested(QStringLiteral("end of session")); });
    }
}

void ShutdownWatch::watchWindow(QWidget *window)
{
    if (m_windowWatch || !QCoreApplication::instance())
        return;
    m_windowWatch = new WindowWatch(window->winId(), this);
    connect(m_windowWatch, &WindowWatch::windowDestroyed, this,
            [this] { emit endRequested(QStringLiteral("window destroyed")); });
}
