#pragma once

#include "deviceconstants.h"
#include "linksocket.h"
#include "linkstate.h"

#include <QtCore/QList>

// A LinkSocket without I/O that records what the link asks of it.
class RecordingSocket : public LinkSocket
{
    Q_OBJECT

public:
    using LinkSocket::LinkSocket;

    LinkState state() const override { return m_state; }
    void connectToDevice() override
    {
        calls.append(QByteArrayLiteral("connect"));
        setState(LinkState::Connecting);
    }
    void close() override
    {
        calls.append(QByteArrayLiteral("close"));
        setState(LinkState::Closed);
    }
    bool write(const QByteArray &piece) override
    {
        calls.append("write " + piece);
        if (m_state != LinkState::Connected)
            return false;
        queued += piece.size();
        return true;
    }
    void flush() override { calls.append(QByteArrayLiteral("flush")); }
    qint64 bytesToWrite() const override { return queued; }
    qint64 unacknowledgedBytes() const override { return queued; }
    void setRemoteHost(const QString &host) override { m_host = host; }
    QString remoteHost() const override { return m_host; }
    void setRemotePort(quint16 port) override { m_port = port; }
    quint16 remotePort() const override { return m_port; }

    void setState(LinkState state)
    {
        if (state == m_state)
            return;
        m_state = state;
        emit stateChanged(state);
    }

    QList<QByteArray> calls;
    qint64 queued = 0;

private:
    LinkState m_state = LinkState::Closed;
    QString m_host = QString::fromLatin1(Device::DefaultHost);
    quint16 m_port = Device::DefaultPort;
};
