#pragma once

#include "deviceconstants.h"
#include "linksocket.h"
#include "linkstate.h"

#include <QtCore/QByteArray>
#include <QtCore/QList>
#include <QtCore/QTimer>

// A socket that does no I/O: the test sets its state and reads back every piece written.
class FakeLinkSocket : public LinkSocket
{
public:
    using LinkSocket::LinkSocket;

    // Every piece accepted, in order; refused writes are not recorded.
    QList<QByteArray> written;
    int connectCalls = 0;
    // "host:port" of every connection attempt, in order.
    QStringList endpoints;
    int closeCalls = 0;
    int flushCalls = 0;
    // When set, a connection attempt comes up on the next turn of the event loop.
    bool connectSucceeds = false;
    // What bytesToWrite() reports: bytes the peer has not taken yet.
    qint64 queuedBytes = 0;
    // Whether the peer's end of the link, once it reads closed by the peer, was a reset.
    bool resetByPeer = false;

    void setState(LinkState state)
    {
        if (state == m_state)
            return;
        m_state = state;
        emit stateChanged(state);
    }

    // All accepted pieces joined: the bytes that would be on the wire.
    QByteArray bytes() const
    {
        QByteArray all;
        for (const QByteArray &piece : written)
            all += piece;
        return all;
    }

    LinkState state() const override { return m_state; }

    void connectToDevice() override
    {
        ++connectCalls;
        endpoints.append(m_host + QLatin1Char(':') + QString::number(m_port));
        if (connectSucceeds)
            QTimer::singleShot(0, this, [this] { setState(LinkState::Connected); });
    }

    void close() override
    {
        ++closeCalls;
        setState(LinkState::Closed);
    }

    bool write(const QByteArray &piece) override
    {
        if (m_state != LinkState::Connected)
            return false;
        written.append(piece);
        return true;
    }

    void flush() override { ++flushCalls; }
    qint64 bytesToWrite() const override { return queuedBytes; }
    qint64 unacknowledgedBytes() const override { return queuedBytes; }
    bool closedByReset() const override { return resetByPeer; }

    void setRemoteHost(const QString &host) override { m_host = host; }
    QString remoteHost() const override { return m_host; }
    void setRemotePort(quint16 port) override { m_port = port; }
    quint16 remotePort() const override { return m_port; }

private:
    LinkState m_state = LinkState::Closed;
    QString m_host = QString::fromLatin1(Device::DefaultHost);
    quint16 m_port = Device::DefaultPort;
};
