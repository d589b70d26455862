#pragma once

#include "deviceconstants.h"
#include "devicelink.h"

#include <QtTest/QSignalSpy>

// Starts a connection run and serves events until its wait has ended; true when the link
// was up then. False as well when the run never ended, which a test reports as a failure.
inline bool connectAndWait(DeviceLink &link)
{
    QSignalSpy ended(&link, &DeviceLink::connectionWaitEnded);
    link.connectToDevice();
    if (ended.isEmpty() && !ended.wait(4 * Device::ConnectWaitMs))
        return false;
    return ended.constFirst().constFirst().toBool();
}
