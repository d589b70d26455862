#pragma once

#include <QtCore/QObject>
#include <QtCore/QString>

// Turns the requests to end that come from outside the window into a signal on the event
// loop: on Unix the termination signals (SIGTERM, SIGINT, SIGHUP, SIGQUIT); on Windows the
// console the program was started from closing, or Ctrl+C or Ctrl+Break in it. The program
// then ends the way its own window would end it. One watch at a time.
class TerminationWatch : public QObject
{
    Q_OBJECT

public:
    explicit TerminationWatch(QObject *parent = nullptr);
    // Once the watch is gone the way out has been taken and the process is ending with the
    // status that way chose; on Unix later signals are ignored, so that none changes it.
    ~TerminationWatch() override;

signals:
    void terminationRequested(const QString &why);
};
