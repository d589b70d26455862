#include "connectionreset.h"

#include <QtNetwork/QTcpSocket>

#include <sys/socket.h>

void resetOnClose(QTcpSocket *socket)
{
    const linger noLinger{1, 0};
    ::setsockopt(int(socket->socketDescriptor()), SOL_SOCKET, SO_LINGER, &noLinger,
                 sizeof noLinger);
}
