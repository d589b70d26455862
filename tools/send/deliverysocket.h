#pragma once

#include <QtCore/QObject>
#include <QtCore/QString>

#include <memory>
#include <optional>

class QTcpSocket;

// The connected socket from the first byte written to the end, where the system lets us tell
// what became of the bytes: whether the module's TCP acknowledged them, and whether the module
// closed the connection or reset it. A program that closes with unread bytes sends a reset,
// so a reset is the sign that the command was not taken.
//
// The connection is taken over from Qt, whose reads take an ordinary close and a reset for the
// same end; each system's calls live in deliverysocket_<system>.cpp.
class DeliverySocket : public QObject
{
    Q_OBJECT

public:
    enum class Ending {
        Closed, // the module closed its side in order
        Reset,  // the module reset the connection
        Failed, // the system reports another error; errorString() says which
    };
    Q_ENUM(Ending)

    // Takes over the connected `socket`; it is closed or left alone from here on.
    explicit DeliverySocket(QTcpSocket &socket, QObject *parent = nullptr);
    ~DeliverySocket() override;

    // Writes all of `bytes` or reports why not (ended() may follow). An end of the module's
    // that came before the command is reported here, so it never passes for an answer to it.
    bool write(const QByteArray &bytes);
    // The bytes written that the module's TCP has not acknowledged yet; nothing where the
    // system does not tell.
    std::optional<qint64> unacknowledged() const;
    // Ends the sending side, so that the module reads the end of the stream after the command.
    // Where acknowledgements are not told, the side stays open until confirmUnreset().
    bool closeSending();
    // At the end of the wait for the module's end: false, after ended(), when the connection
    // was reset in the meantime, whether or not the system has said so yet; otherwise ends the
    // sending side if it is still open.
    bool confirmUnreset();
    QString errorString() const { return m_error; }

signals:
    // The connection has ended from the module's side; emitted once.
    void ended(DeliverySocket::Ending how);

private:
    struct Native; // the system's handles

    void readEnd();
    void finish(Ending how);
    void stopWatching();

    QTcpSocket &m_socket;
    std::unique_ptr<Native> m_native;
    bool m_ended = false;
    QString m_error;
};
