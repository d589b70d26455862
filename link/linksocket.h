#pragma once

#include "linkstate.h"

#include <QtCore/QByteArray>
#include <QtCore/QObject>
#include <QtCore/QString>

// The operations the panel needs from its TCP client socket, and nothing more. The panel
// only writes; whatever the module sends back is read and dropped by the implementation.
class LinkSocket : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    virtual LinkState state() const = 0;
    // Starts a connection to the remote host and port and returns at once.
    virtual void connectToDevice() = 0;
    virtual void close() = 0;
    // Queues one piece of a command. Refused (false, nothing queued) when not connected.
    virtual bool write(const QByteArray &piece) = 0;
    // Hands what the writes of one command queued to the network, without waiting.
    virtual void flush() = 0;
    // Bytes queued that the peer has not taken yet.
    virtual qint64 bytesToWrite() const = 0;
    // Bytes written that the peer has not acknowledged yet, queued here or in the system.
    virtual qint64 unacknowledgedBytes() const = 0;
    // Whether the peer ended the link with a reset rather than an orderly close, while the
    // state reads ClosedByPeer; false where the system does not tell.
    virtual bool closedByReset() const { return false; }

    virtual void setRemoteHost(const QString &host) = 0;
    virtual QString remoteHost() const = 0;
    virtual void setRemotePort(quint16 port) = 0;
    virtual quint16 remotePort() const = 0;

signals:
    void stateChanged(LinkState state);
};
