#pragma once

#include "commands.h"

#include <QtCore/QObject>

class LinkSocket;

// The connection procedure and the send rule that every command follows.
class DeviceLink : public QObject
{
    Q_OBJECT

public:
    static constexpr int ConnectWaitMs = 2000;
    // Commands waiting in the socket beyond this are dropped whole, so a device that stops
    // reading cannot make the panel's memory grow.
    static constexpr qint64 MaxQueuedBytes = 64 * 1024;

    explicit DeviceLink(LinkSocket &socket, QObject *parent = nullptr);

    LinkSocket &socket() const { return m_socket; }

    // Closes the link unless it is closed, connects, and waits up to ConnectWaitMs of
    // elapsed time for it to come up while the event loop runs. Returns, and reports through
    // connectDeviceEnded, whether the link was up when the wait ended.
    bool ConnectDevice();

    // Writes the command's pieces, one write each, when the link is up, and reports whether
    // it did. A closed, failed or peer-closed link starts a connection instead and the
    // command is dropped.
    bool SendToDevice(const Protocol::Pieces &pieces);

signals:
    // The outcome of one ConnectDevice run; how it is shown is the window's business.
    void connectDeviceEnded(bool connected);

private:
    bool dropped(const Protocol::Pieces &pieces, const char *reason);

    LinkSocket &m_socket;
};
