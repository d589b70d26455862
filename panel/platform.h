#pragma once

#include <QtCore/QDateTime>

// What the panel's controls ask of the machine they run on: the time to set the clock to, and
// the beep for an alarm time that cannot be sent. In one place so tests can stand in for it.
class Platform
{
public:
    virtual ~Platform() = default;

    virtual QDateTime now() const = 0;
    virtual void beep() = 0;
};
